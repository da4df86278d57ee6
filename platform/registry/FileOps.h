#pragma once
// The file system calls the registry makes, behind one virtual seam so that a test can make any
// single step of a load or save fail. Each call follows its POSIX counterpart: -1 and errno on
// failure.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace platform::registry {

class FileOps {
  public:
    virtual ~FileOps() = default;

    virtual int Open(const std::string& path, int flags, mode_t mode);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Flock(int fd, int operation);
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Unlink(const std::string& path);
    virtual int Mkdir(const std::string& path, mode_t mode);
};

// The plain POSIX calls.
FileOps& PosixFileOps();

}  // namespace platform::registry

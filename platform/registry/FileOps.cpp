#include "platform/registry/FileOps.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace platform::registry {

int FileOps::Open(const std::string& path, int flags, mode_t mode) {
    return ::open(path.c_str(), flags, mode);
}

ssize_t FileOps::Read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileOps::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileOps::Fsync(int fd) {
    return ::fsync(fd);
}

int FileOps::Close(int fd) {
    return ::close(fd);
}

int FileOps::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int FileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int FileOps::Unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

int FileOps::Mkdir(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode);
}

FileOps& PosixFileOps() {
    static FileOps ops;
    return ops;
}

}  // namespace platform::registry

#pragma once
// File access as the plug-in needs it, behind an interface so that a test can make any step
// fail (see FaultyFileSystem). Failures are values: a null file, false, -1. Paths are 8-bit
// text as the file dialogs return them.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform::crt {

// An open file. Destroying it closes it if Close was not called.
class File {
  public:
    virtual ~File() = default;
    // Up to buffer.size() bytes; 0 at the end of the file, -1 on an error.
    virtual std::ptrdiff_t Read(std::span<char> buffer) = 0;
    // All of bytes, or false.
    virtual bool Write(std::string_view bytes) = 0;
    // Puts what was written on the storage device (fsync).
    virtual bool Flush() = 0;
    // Releases the file; false when the system reported an error (the file is closed anyway).
    virtual bool Close() = 0;
};

enum class OpenMode {
    Read,       // "r"
    ReadWrite,  // "r+": the file must exist and be writable; nothing is truncated
};

struct FileStatus {
    bool directory = false;
    unsigned mode = 0;  // permission bits (07777)
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // An existing regular file, symbolic links followed; nullptr when it cannot be opened so.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    // A new file with a unique name that begins with prefix, in folder, with the permission
    // bits mode, opened for writing; its path goes to createdPath. nullptr on failure.
    virtual std::unique_ptr<File> CreateTemporary(const std::string& folder,
                                                  std::string_view prefix, unsigned mode,
                                                  std::string& createdPath) = 0;
    // Replaces to by from in one step.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // The path that symbolic links lead to, followed to the end (which need not exist);
    // path itself when it is no link; nullopt for a loop or a link that cannot be read.
    virtual std::optional<std::string> ResolveLinks(const std::string& path) = 0;
    // nullopt when nothing exists at path (links followed).
    virtual std::optional<FileStatus> Status(const std::string& path) = 0;
    // The permission bits that a newly created file gets (0666 less the process's umask).
    virtual unsigned NewFileMode() = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

// The process-wide file system; the real one unless a test set another.
FileSystem& CurrentFileSystem();
// Sets the file system used from now on (nullptr: the real one again). Not owned.
void SetCurrentFileSystem(FileSystem* fileSystem);

}  // namespace platform::crt

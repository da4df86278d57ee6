#pragma once
// File access as the plug-in and the host need it, behind an interface so that a test can make
// any step fail (tests/support/FaultyFileSystem). Failures are values: a null file, false, nullopt,
// with errno saying why. Paths are 8-bit text as the file dialogs return them.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::crt {

// The errno of opening something that is not a regular file.
constexpr int kNotRegularFile = ENODEV;

struct FileStatus {
    bool directory = false;
    bool regular = false;
    unsigned mode = 0;  // permission bits (07777)
    unsigned owner = 0;
    unsigned group = 0;
    std::uint64_t size = 0;
    // Which file it is and when its contents last changed: another value means other contents.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool SameContents(const FileStatus& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
};

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
    virtual std::optional<FileStatus> Status() = 0;
    // Gives the file to owner and group; false where the process may not.
    virtual bool SetOwner(unsigned owner, unsigned group) = 0;
    // Cuts the file to nothing; the next write goes to its start.
    virtual bool Truncate() = 0;
    // Locks the whole file without waiting: shared or exclusive, released when the file is
    // closed. False with errno EWOULDBLOCK while another open file holds a conflicting lock.
    virtual bool TryLock(bool exclusive) = 0;
};

enum class OpenMode {
    Read,       // "r"
    ReadWrite,  // "r+": the file must exist and be writable; nothing is truncated
    Replace,    // "w": created when missing (NewFileMode), else emptied; for writing only
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // An existing regular file (or with Replace a new one), symbolic links followed; nullptr
    // when it cannot be opened so, errno kNotRegularFile for a folder, a device, a pipe or a
    // socket, which Replace leaves as they were. Never blocks.
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    // A new file with a unique name that begins with prefix, in folder, with the permission
    // bits mode, opened for writing; its path goes to createdPath. nullptr on failure.
    virtual std::unique_ptr<File> CreateTemporary(const std::string& folder,
                                                  std::string_view prefix, unsigned mode,
                                                  std::string& createdPath) = 0;
    // A lock file, opened for reading and writing and created when missing; nullptr when it
    // cannot be (errno kNotRegularFile when something else is in its place). Never blocks.
    virtual std::unique_ptr<File> OpenLockFile(const std::string& path) = 0;
    // Replaces to by from in one step.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Creates one folder; true also when a folder is there already.
    virtual bool MakeFolder(const std::string& path) = 0;
    // The names in a folder, "." and ".." left out.
    virtual std::optional<std::vector<std::string>> List(const std::string& folder) = 0;
    // Puts the folder's entries on the storage device, so that a rename in it lasts.
    virtual bool SyncFolder(const std::string& folder) = 0;
    // The path that symbolic links lead to, followed to the end (which need not exist);
    // path itself when it is no link; nullopt for a loop or a link that cannot be read.
    virtual std::optional<std::string> ResolveLinks(const std::string& path) = 0;
    // nullopt when nothing exists at path (links followed).
    virtual std::optional<FileStatus> Status(const std::string& path) = 0;
    // The permission bits that a newly created file gets (0666 less the process's umask).
    virtual unsigned NewFileMode() = 0;
    // Sets the permission bits (07777) of what is at path.
    virtual bool SetMode(const std::string& path, unsigned mode) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

// The process-wide file system; the real one unless a test set another.
FileSystem& CurrentFileSystem();
// Sets the file system used from now on (nullptr: the real one again). Not owned.
void SetCurrentFileSystem(FileSystem* fileSystem);

// The folder that holds path ("." for a bare name) and its last component.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Reads the whole file, at most limit bytes; nullopt with errno (EFBIG past the limit).
std::optional<std::string> ReadAll(File& file, std::size_t limit);

}  // namespace platform::crt

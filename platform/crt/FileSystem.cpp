#include "platform/crt/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform::crt {

namespace {

// Enough for any sane chain of links; the kernel's own limit is 40.
constexpr int kMaxLinkHops = 40;

FileStatus StatusOf(const struct stat& st) {
    FileStatus status;
    status.directory = S_ISDIR(st.st_mode);
    status.regular = S_ISREG(st.st_mode);
    status.mode = static_cast<unsigned>(st.st_mode) & 07777u;
    status.owner = st.st_uid;
    status.group = st.st_gid;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.device = st.st_dev;
    status.inode = st.st_ino;
    status.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    status.changedNs = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return status;
}

// Opens path without blocking (a pipe without writer would block an open for reading) and
// keeps it only when it is a regular file.
int OpenRegular(const std::string& path, int flags, mode_t mode = 0) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, mode);
    if (fd < 0) {
        // A socket cannot even be opened; say what it is rather than why.
        const int error = errno;
        struct stat st {};
        errno = ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) ? kNotRegularFile : error;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = kNotRegularFile;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

class PosixFile final : public File {
  public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override { Close(); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::ptrdiff_t Read(std::span<char> buffer) override {
        if (m_fd < 0) {
            return -1;
        }
        ssize_t n;
        do {
            n = ::read(m_fd, buffer.data(), buffer.size());
        } while (n < 0 && errno == EINTR);
        return n;
    }

    bool Write(std::string_view bytes) override {
        while (m_fd >= 0 && !bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return m_fd >= 0;
    }

    bool Flush() override { return m_fd >= 0 && ::fsync(m_fd) == 0; }

    std::optional<FileStatus> Status() override {
        struct stat st {};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
            return std::nullopt;
        }
        return StatusOf(st);
    }

    bool SetOwner(unsigned owner, unsigned group) override {
        return m_fd >= 0 && ::fchown(m_fd, owner, group) == 0;
    }

    bool Truncate() override {
        return m_fd >= 0 && ::ftruncate(m_fd, 0) == 0 && ::lseek(m_fd, 0, SEEK_SET) == 0;
    }

    bool TryLock(bool exclusive) override {
        if (m_fd < 0) {
            return false;
        }
        int result;
        do {
            result = ::flock(m_fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        return result == 0;
    }

    bool Close() override {
        if (m_fd < 0) {
            return false;
        }
        // Linux releases the descriptor even when close reports an error: never retry.
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

  private:
    int m_fd;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        // Only regular files: a folder or a device is no settings file, and a pipe could
        // block the user-interface thread.
        if (mode == OpenMode::Replace) {
            // Emptied only once it is known to be a regular file.
            const int fd = OpenRegular(path, O_WRONLY | O_CREAT, 0666);
            auto file = fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
            return file && file->Truncate() ? std::move(file) : nullptr;
        }
        const int fd = OpenRegular(path, mode == OpenMode::Read ? O_RDONLY : O_RDWR);
        return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
    }

    bool SetMode(const std::string& path, unsigned mode) override {
        return ::chmod(path.c_str(), static_cast<mode_t>(mode & 07777)) == 0;
    }

    std::unique_ptr<File> OpenLockFile(const std::string& path) override {
        const int fd = OpenRegular(path, O_RDWR | O_CREAT, 0666);
        return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
    }

    bool MakeFolder(const std::string& path) override {
        if (::mkdir(path.c_str(), 0777) == 0) {
            return true;
        }
        const int error = errno;
        struct stat st {};
        if (error == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            return true;
        }
        errno = error == EEXIST ? ENOTDIR : error;
        return false;
    }

    std::optional<std::vector<std::string>> List(const std::string& folder) override {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            return std::nullopt;
        }
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
        }
        const int error = errno;
        ::closedir(dir);
        if (error != 0) {
            errno = error;
            return std::nullopt;
        }
        return names;
    }

    bool SyncFolder(const std::string& folder) override {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool synced = ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        errno = error;
        return synced;
    }

    std::unique_ptr<File> CreateTemporary(const std::string& folder, std::string_view prefix,
                                          unsigned mode, std::string& createdPath) override {
        std::string pattern = folder;
        if (pattern.empty() || pattern.back() != '/') {
            pattern += '/';
        }
        pattern.append(prefix).append("XXXXXX");
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        if (::fchmod(fd, static_cast<mode_t>(mode & 07777)) != 0) {
            ::close(fd);
            ::unlink(name.data());
            return nullptr;
        }
        createdPath = name.data();
        return std::make_unique<PosixFile>(fd);
    }

    bool Rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    std::optional<std::string> ResolveLinks(const std::string& path) override {
        std::string current = path;
        for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
            struct stat st {};
            if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
                return current;
            }
            std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) +
                                     1);
            const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0 || static_cast<std::size_t>(n) >= target.size()) {
                errno = n < 0 ? errno : ENAMETOOLONG;
                return std::nullopt;
            }
            const std::string link(target.data(), static_cast<std::size_t>(n));
            if (link.empty()) {
                errno = ENOENT;
                return std::nullopt;
            }
            // A relative link is relative to the folder that holds the link.
            current = link.front() == '/' || current.find('/') == std::string::npos
                          ? link
                          : FolderOf(current) + "/" + link;
        }
        errno = ELOOP;
        return std::nullopt;
    }

    std::optional<FileStatus> Status(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return std::nullopt;
        }
        return StatusOf(st);
    }

    unsigned NewFileMode() override {
        // umask can only be read by setting it; put it straight back (one thread).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666u & ~static_cast<unsigned>(mask);
    }
};

FileSystem* g_fileSystem = nullptr;

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem real;
    return real;
}

FileSystem& CurrentFileSystem() {
    return g_fileSystem != nullptr ? *g_fileSystem : RealFileSystem();
}

void SetCurrentFileSystem(FileSystem* fileSystem) {
    g_fileSystem = fileSystem;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> ReadAll(File& file, std::size_t limit) {
    std::string text;
    std::array<char, 65536> buffer;
    for (;;) {
        const std::ptrdiff_t n = file.Read(buffer);
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            return text;
        }
        if (text.size() + static_cast<std::size_t>(n) > limit) {
            errno = EFBIG;
            return std::nullopt;
        }
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
}

}  // namespace platform::crt

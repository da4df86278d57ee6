#include "platform/crt/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform::crt {

namespace {

// Enough for any sane chain of links; the kernel's own limit is 40.
constexpr int kMaxLinkHops = 40;

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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        const int flags = (mode == OpenMode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
        const int fd = ::open(path.c_str(), flags);
        if (fd < 0) {
            return nullptr;
        }
        // Only regular files: a folder or a device is no settings file, and a pipe could
        // block the user-interface thread.
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return std::make_unique<PosixFile>(fd);
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
                return std::nullopt;
            }
            const std::string link(target.data(), static_cast<std::size_t>(n));
            if (link.empty()) {
                return std::nullopt;
            }
            // A relative link is relative to the folder that holds the link.
            current = link.front() == '/' || current.find('/') == std::string::npos
                          ? link
                          : FolderOf(current) + "/" + link;
        }
        return std::nullopt;
    }

    std::optional<FileStatus> Status(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return std::nullopt;
        }
        return FileStatus{S_ISDIR(st.st_mode), static_cast<unsigned>(st.st_mode) & 07777u};
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

}  // namespace platform::crt

#include "platform/registry/RegStore.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace platform::registry {

// An flock on the side file, released when the lock file is closed.
class RegStore::Lock {
  public:
    explicit Lock(FileOps& ops) : m_ops(ops) {}
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() {
        if (m_fd >= 0) {
            m_ops.Close(m_fd);
        }
    }

    // 0, or the errno of the step that failed.
    int Take(const std::string& path, int operation) {
        m_fd = m_ops.Open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            return errno;
        }
        while (m_ops.Flock(m_fd, operation) != 0) {
            if (errno != EINTR) {
                return errno;
            }
        }
        return 0;
    }

  private:
    FileOps& m_ops;
    int m_fd = -1;
};

namespace {

std::string LockPath(const std::string& path) {
    return path + ".lock";
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

StoreError RegStore::IoError(const std::string& what) const {
    return {StoreError::Kind::Io, what + ": " + std::strerror(errno)};
}

std::optional<StoreError> RegStore::Read(RegTree& tree) {
    // Without the lock (say, the folder is read-only) the read is still whole: saves replace
    // the file by renaming, never by rewriting it in place.
    Lock lock(m_ops);
    lock.Take(LockPath(m_path), LOCK_SH);
    std::string text;
    return Load(tree, text);
}

std::optional<StoreError> RegStore::Modify(const std::function<bool(RegTree&)>& change) {
    if (auto error = MakeFolder()) {
        return error;
    }
    Lock lock(m_ops);
    if (const int error = lock.Take(LockPath(m_path), LOCK_EX); error != 0) {
        errno = error;
        return IoError("cannot lock registry file " + LockPath(m_path));
    }
    RegTree tree;
    std::string before;
    if (auto error = Load(tree, before)) {
        return error;
    }
    if (!change(tree)) {
        return std::nullopt;
    }
    const std::string after = tree.Format();
    if (after == before) {
        return std::nullopt;
    }
    return Save(after);
}

std::optional<StoreError> RegStore::Load(RegTree& tree, std::string& text) {
    text.clear();
    const int fd = m_ops.Open(m_path, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        if (errno == ENOENT) {
            tree = RegTree();
            text = tree.Format();
            return std::nullopt;
        }
        return IoError("cannot open registry file " + m_path);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = m_ops.Read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            StoreError error = IoError("cannot read registry file " + m_path);
            m_ops.Close(fd);
            return error;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    m_ops.Close(fd);
    std::string what;
    std::optional<RegTree> parsed = RegTree::Parse(text, what);
    if (!parsed) {
        return StoreError{StoreError::Kind::Malformed,
                          "malformed registry file " + m_path + ": " + what};
    }
    tree = std::move(*parsed);
    return std::nullopt;
}

std::optional<StoreError> RegStore::Save(const std::string& text) {
    const std::string temporary = m_path + ".tmp";
    const std::string failure = "cannot save registry file " + m_path;
    const int fd = m_ops.Open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return IoError(failure + " (creating " + temporary + ")");
    }
    const auto abandon = [&](const std::string& step, bool closed) {
        StoreError error = IoError(failure + " (" + step + ")");
        if (!closed) {
            m_ops.Close(fd);
        }
        m_ops.Unlink(temporary);
        return error;
    };
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = m_ops.Write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return abandon("writing", false);
        }
        written += static_cast<std::size_t>(n);
    }
    if (m_ops.Fsync(fd) != 0) {
        return abandon("flushing", false);
    }
    if (m_ops.Close(fd) != 0) {
        return abandon("closing", true);
    }
    if (m_ops.Rename(temporary, m_path) != 0) {
        return abandon("renaming", true);
    }
    // Make the rename itself durable. The new file is in place already, so a failure here
    // does not undo the save.
    const int folder = m_ops.Open(FolderOf(m_path), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder >= 0) {
        m_ops.Fsync(folder);
        m_ops.Close(folder);
    }
    return std::nullopt;
}

std::optional<StoreError> RegStore::MakeFolder() {
    const std::string folder = FolderOf(m_path);
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string prefix = folder.substr(0, slash);
        if (m_ops.Mkdir(prefix, 0755) != 0 && errno != EEXIST) {
            return IoError("cannot create folder " + prefix);
        }
        if (slash == std::string::npos) {
            return std::nullopt;
        }
    }
}

}  // namespace platform::registry

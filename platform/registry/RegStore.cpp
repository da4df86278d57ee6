#include "platform/registry/RegStore.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>

#include "platform/crt/AtomicWrite.h"
#include "platform/crt/LockPlace.h"

using platform::crt::File;
using platform::crt::FileStatus;

namespace platform::registry {

namespace {

// A file whose contents changed this recently may change again without its time stamps
// showing it (they tick coarsely): it is read again at the next query.
constexpr std::int64_t kSettledNs = 50'000'000;
// How often a held lock is tried again.
constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::string LockPath(const std::string& path) {
    return platform::crt::LockFilePath(path);
}

std::string Reason(int error) {
    return error == platform::crt::kNotRegularFile ? "not a regular file" : std::strerror(error);
}

std::string Duration(std::int64_t ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

bool Settled(const FileStatus& status) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    return now - std::max(status.modifiedNs, status.changedNs) > kSettledNs;
}

}  // namespace

// An flock on the side file, released when the lock file is closed.
class RegStore::Lock {
  public:
    // Nothing when the lock is held; held tells whether another process kept it too long.
    std::optional<StoreError> Take(const RegStore& store, bool exclusive, bool& held) {
        held = false;
        const std::string path = LockPath(store.m_path);
        m_file = store.m_files.OpenLockFile(path);
        if (!m_file) {
            return store.IoError("cannot lock registry file " + path, errno);
        }
        const auto start = std::chrono::steady_clock::now();
        bool told = false;
        while (!m_file->TryLock(exclusive)) {
            if (errno != EWOULDBLOCK && errno != EAGAIN) {
                return store.IoError("cannot lock registry file " + path, errno);
            }
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count();
            if (waited >= store.m_wait.limitMs) {
                held = true;
                return StoreError{StoreError::Kind::Io, "cannot lock registry file " + path +
                                                            ": another process has held it for " +
                                                            Duration(store.m_wait.limitMs)};
            }
            if (!told && waited >= store.m_wait.noticeMs && store.m_wait.notice) {
                told = true;
                store.m_wait.notice("waiting for the registry file " + store.m_path +
                                    ": another process holds its lock " + path);
            }
            std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
                kLockRetry, std::chrono::milliseconds(store.m_wait.limitMs - waited)));
        }
        return std::nullopt;
    }

  private:
    std::unique_ptr<File> m_file;
};

StoreError RegStore::IoError(const std::string& what, int error) const {
    return {StoreError::Kind::Io, what + ": " + Reason(error)};
}

bool RegStore::Current() {
    if (!m_tree || !m_trusted) {
        return false;
    }
    const std::optional<FileStatus> status = m_files.Status(m_path);
    if (!status) {
        return !m_status && errno == ENOENT;
    }
    return m_status && status->SameContents(*m_status);
}

std::optional<StoreError> RegStore::CheckKind() const {
    // Refused before anything is locked or created beside it.
    const std::optional<FileStatus> status = m_files.Status(m_path);
    if (status && !status->regular) {
        return StoreError{StoreError::Kind::Io, m_path + ": not a regular file"};
    }
    return std::nullopt;
}

const RegTree* RegStore::Read(StoreError& error) {
    if (!Current()) {
        if (auto failure = CheckKind()) {
            error = std::move(*failure);
            return nullptr;
        }
        // Without the lock (say, the folder is read-only) the read is still whole: saves
        // replace the file by renaming, never by rewriting it in place. A lock that another
        // process keeps is another matter: its save is not done.
        Lock lock;
        bool held = false;
        std::optional<StoreError> failure = lock.Take(*this, false, held);
        if (!held) {
            failure = Load();
        }
        if (failure) {
            error = std::move(*failure);
            return nullptr;
        }
    }
    return &*m_tree;
}

const std::vector<std::string>& RegStore::SubkeyNames(const std::string& path) {
    auto it = m_subkeys.find(path);
    if (it == m_subkeys.end()) {
        it =
            m_subkeys.emplace(path, m_tree ? m_tree->SubkeyNames(path) : std::vector<std::string>{})
                .first;
    }
    return it->second;
}

std::optional<StoreError> RegStore::Modify(const std::function<bool(RegTree&)>& change) {
    if (auto error = CheckKind()) {
        return error;
    }
    if (auto error = MakeFolder()) {
        return error;
    }
    Lock lock;
    bool held = false;
    if (auto error = lock.Take(*this, true, held)) {
        return error;
    }
    if (!Current()) {
        if (auto error = Load()) {
            return error;
        }
    }
    RegTree tree = *m_tree;
    if (!change(tree)) {
        return std::nullopt;
    }
    std::string after = tree.Format();
    if (after == m_text) {
        return std::nullopt;
    }
    if (const auto failure = platform::crt::AtomicWrite(m_files, m_path, after)) {
        return IoError("cannot save registry file " + m_path, failure->error);
    }
    // Saved under the lock: what the file holds is what was written.
    m_tree = std::move(tree);
    m_text = std::move(after);
    m_status = m_files.Status(m_path);
    m_trusted = m_status.has_value();
    m_subkeys.clear();
    return std::nullopt;
}

std::optional<StoreError> RegStore::Load() {
    m_tree.reset();
    m_subkeys.clear();
    const std::unique_ptr<File> file = m_files.Open(m_path, platform::crt::OpenMode::Read);
    if (!file) {
        if (errno == ENOENT) {
            m_tree = RegTree();
            m_text = m_tree->Format();
            m_status.reset();
            m_trusted = true;
            return std::nullopt;
        }
        if (errno == platform::crt::kNotRegularFile) {
            return StoreError{StoreError::Kind::Io, m_path + ": not a regular file"};
        }
        return IoError("cannot open registry file " + m_path, errno);
    }
    m_status = file->Status();
    std::optional<std::string> text =
        platform::crt::ReadAll(*file, std::numeric_limits<std::size_t>::max());
    if (!text || !m_status) {
        return IoError("cannot read registry file " + m_path, errno);
    }
    std::string what;
    std::optional<RegTree> parsed = RegTree::Parse(*text, what);
    if (!parsed) {
        return StoreError{StoreError::Kind::Malformed,
                          "malformed registry file " + m_path + ": " + what};
    }
    m_tree = std::move(parsed);
    m_text = std::move(*text);
    m_trusted = Settled(*m_status);
    return std::nullopt;
}

std::optional<StoreError> RegStore::MakeFolder() {
    const std::string folder = platform::crt::FolderOf(m_path);
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string prefix = folder.substr(0, slash);
        if (!m_files.MakeFolder(prefix)) {
            return IoError("cannot create folder " + prefix, errno);
        }
        if (slash == std::string::npos) {
            return std::nullopt;
        }
    }
}

}  // namespace platform::registry

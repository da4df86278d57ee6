#pragma once
// The registry file on disk. Every change is load-modify-save under an exclusive lock, so that
// two processes registering at once do not lose each other's keys, and the save replaces the
// file in one step (platform::crt::AtomicWrite), so that a failed save leaves the old file
// exactly as it was. Reads take a shared lock. The lock is a flock on the file's lock file in
// the user's runtime folder (platform::crt::LockFilePath); one that another process holds is
// waited for a bounded time.
//
// The file is parsed once and read again only when it changed: a query costs a stat.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/crt/FileSystem.h"
#include "platform/registry/RegTree.h"

namespace platform::registry {

struct StoreError {
    enum class Kind { Malformed, Io };
    Kind kind = Kind::Io;
    std::string message;  // names the file and what went wrong
};

// How long a lock that another process holds is waited for, and whom to tell that it is.
struct LockWait {
    std::int64_t limitMs = 5000;
    std::int64_t noticeMs = 1000;
    std::function<void(const std::string&)> notice;  // told once, after noticeMs
};

class RegStore {
  public:
    RegStore(std::string path, platform::crt::FileSystem& files, LockWait wait)
        : m_path(std::move(path)), m_files(files), m_wait(std::move(wait)) {}

    const std::string& Path() const { return m_path; }
    const platform::crt::FileSystem& Files() const { return m_files; }

    // The registry as the file holds it now; a missing file is an empty registry. nullptr
    // (with error) when the file cannot be read or is malformed.
    const RegTree* Read(StoreError& error);
    // The subkey names of path in the tree that Read returned last.
    const std::vector<std::string>& SubkeyNames(const std::string& path);
    // Loads the registry, lets change edit it and saves the result when its text differs from
    // the file's. change returns false to abandon the edit: nothing is saved then.
    std::optional<StoreError> Modify(const std::function<bool(RegTree&)>& change);

  private:
    class Lock;

    // Whether what was read last is still what the file holds.
    bool Current();
    std::optional<StoreError> Load();
    std::optional<StoreError> CheckKind() const;
    std::optional<StoreError> MakeFolder();
    StoreError IoError(const std::string& what, int error) const;

    std::string m_path;
    platform::crt::FileSystem& m_files;
    LockWait m_wait;

    // What was read or saved last.
    std::optional<RegTree> m_tree;
    std::string m_text;
    std::optional<platform::crt::FileStatus> m_status;  // nullopt: there was no file
    bool m_trusted = false;  // false: the file may still change without its status changing
    std::map<std::string, std::vector<std::string>> m_subkeys;
};

}  // namespace platform::registry

#pragma once
// The registry file on disk. Every change is load-modify-save under an exclusive lock, so that
// two processes registering at once do not lose each other's keys, and the save replaces the
// file atomically (temporary file in the same folder, fsync, rename), so that a failed save
// leaves the old file exactly as it was. Reads take a shared lock. The lock is a flock on the
// side file "FILE.lock".

#include <functional>
#include <optional>
#include <string>

#include "platform/registry/FileOps.h"
#include "platform/registry/RegTree.h"

namespace platform::registry {

struct StoreError {
    enum class Kind { Malformed, Io };
    Kind kind = Kind::Io;
    std::string message;  // names the file and what went wrong
};

class RegStore {
  public:
    RegStore(std::string path, FileOps& ops) : m_path(std::move(path)), m_ops(ops) {}

    // The registry as the file holds it; a missing file is an empty registry.
    std::optional<StoreError> Read(RegTree& tree);
    // Loads the registry, lets change edit it and saves the result when its text differs from
    // the file's. change returns false to abandon the edit: nothing is saved then.
    std::optional<StoreError> Modify(const std::function<bool(RegTree&)>& change);

  private:
    class Lock;

    std::optional<StoreError> Load(RegTree& tree, std::string& text);
    std::optional<StoreError> Save(const std::string& text);
    std::optional<StoreError> MakeFolder();
    StoreError IoError(const std::string& what) const;

    std::string m_path;
    FileOps& m_ops;
};

}  // namespace platform::registry

#pragma once
// Keeps the simulated node's image up to date: at most a second after the node changed (also
// while a handler runs), and on demand (exit, a signal). It learns of changes from the node
// itself. A save that fails is tried again a second later until one succeeds.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "host/node/SimNode.h"

namespace host {

class NodeKeeper {
  public:
    NodeKeeper(SimNode& node, std::filesystem::path path)
        : m_node(node), m_path(std::move(path)), m_saved(node.Generation()) {}

    // Saves when the node changed and the last save is a second old; when to wake to save.
    std::optional<std::int64_t> Wake(std::int64_t nowMs);
    bool Save(std::int64_t nowMs);
    // The last save's failure, empty when it succeeded.
    const std::string& Error() const { return m_error; }

  private:
    bool Pending() const { return m_node.Generation() != m_saved || !m_error.empty(); }

    SimNode& m_node;
    std::filesystem::path m_path;
    std::uint64_t m_saved;
    std::optional<std::int64_t> m_lastSave;
    std::string m_error;
};

// The status line's words for a save that failed; empty when it succeeded.
std::string SaveProblem(const std::string& error);

}  // namespace host

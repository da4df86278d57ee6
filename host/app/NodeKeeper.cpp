#include "host/app/NodeKeeper.h"

#include "host/node/NodeImage.h"

namespace host {

namespace {

constexpr std::int64_t kSaveIntervalMs = 1000;  // writes reach the image at most once a second

}  // namespace

std::optional<std::int64_t> NodeKeeper::Wake(std::int64_t nowMs) {
    if (m_node.Generation() == m_saved && m_error.empty()) {
        return std::nullopt;
    }
    if (!m_lastSave || nowMs - *m_lastSave >= kSaveIntervalMs) {
        Save(nowMs);
    }
    return Pending() ? std::optional(*m_lastSave + kSaveIntervalMs) : std::nullopt;
}

bool NodeKeeper::Save(std::int64_t nowMs) {
    m_lastSave = nowMs;
    const std::uint64_t generation = m_node.Generation();
    std::string error;
    if (!NodeImage::Save(m_node, m_path, error)) {
        m_error = error;
        return false;
    }
    m_saved = generation;
    m_error.clear();
    return true;
}

std::string SaveProblem(const std::string& error) {
    return error.empty() ? std::string() : "NOT SAVED: " + error + " (trying again)";
}

}  // namespace host

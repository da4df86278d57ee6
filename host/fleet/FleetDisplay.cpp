#include "host/fleet/FleetDisplay.h"

#include <algorithm>

#include "host/fleet/FleetReport.h"

namespace host::fleet {

namespace {

constexpr std::int64_t kRedrawMs = 200;
constexpr char kLineUp[] = "\x1b[A";
constexpr char kClearLine[] = "\r\x1b[2K";

std::size_t LabelWidth(const std::vector<FleetRow>& rows) {
    std::size_t width = 0;
    for (const FleetRow& row : rows) {
        width = std::max(width, row.node.label.size());
    }
    return width;
}

}  // namespace

void FleetDisplay::Show(const std::vector<FleetRow>& rows, std::int64_t nowMs, bool force) {
    if (!m_inPlace || (!force && m_lastMs >= 0 && nowMs - m_lastMs < kRedrawMs)) {
        return;
    }
    m_lastMs = nowMs;
    for (std::size_t i = 0; i < m_drawn; ++i) {
        std::fputs(kLineUp, m_out);
    }
    const std::size_t width = LabelWidth(rows);
    for (const FleetRow& row : rows) {
        std::fprintf(m_out, "%s%s\n", kClearLine, ProgressLine(row, width, nowMs).c_str());
    }
    m_drawn = rows.size();
    std::fflush(m_out);
}

void FleetDisplay::Ended(const FleetRow& row, std::size_t labelWidth, std::int64_t nowMs) {
    if (m_inPlace || row.result.outcome == Outcome::Silent) {
        return;  // a scan's silent addresses are many and say nothing
    }
    std::fprintf(m_out, "%s\n", ProgressLine(row, labelWidth, nowMs).c_str());
    std::fflush(m_out);
}

}  // namespace host::fleet

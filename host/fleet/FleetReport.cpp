#include "host/fleet/FleetReport.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "host/lon/LonAddress.h"
#include "host/node/NodeProgramId.h"

namespace host::fleet {

namespace {

std::string Seconds(std::int64_t ms) {
    const std::int64_t tenths = std::max<std::int64_t>(ms, 0) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

std::string Pad(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string ResultText(const FleetRow& row, Action action) {
    if (row.state != FleetRow::State::Ended) {
        return "not started";
    }
    if (action == Action::Scan && row.result.outcome == Outcome::Done) {
        const bool ours = row.result.programId == ProgramIdText(kSimNodeProgramId);
        return row.result.programId + (ours ? "  QMA7" : "") + "  \"" + row.result.name + "\"";
    }
    std::string text = OutcomeName(row.result.outcome);
    const std::string& detail = row.result.detail;
    if (row.result.outcome != Outcome::Differs && !detail.empty() &&
        detail.find('\n') == std::string::npos) {
        text += ": " + detail;
    }
    return text;
}

}  // namespace

const char* ActionName(Action action) {
    switch (action) {
        case Action::Save:
            return "save";
        case Action::Load:
            return "load";
        case Action::Defaults:
            return "defaults";
        case Action::Script:
            return "script";
        case Action::Check:
            return "check";
        case Action::Scan:
            return "scan";
    }
    return "";
}

std::string ProgressLine(const FleetRow& row, std::size_t labelWidth, std::int64_t nowMs) {
    std::string line = Pad(row.node.label, labelWidth) + "  " +
                       Pad(lon::FormatLonAddress(row.node.address), 12) + "  ";
    switch (row.state) {
        case FleetRow::State::Waiting:
            return line + "waiting";
        case FleetRow::State::Running:
            if (row.progress.total == 0 && row.progress.done == 0) {
                line += "started";
                break;
            }
            line += row.progress.total > 0 ? std::to_string(row.progress.done) + " of " +
                                                 std::to_string(row.progress.total) + " items"
                                           : std::to_string(row.progress.done) + " calls";
            break;
        case FleetRow::State::Ended:
            line += OutcomeName(row.result.outcome);
            break;
    }
    return line + "  " + Seconds(row.ElapsedMs(nowMs));
}

std::string FormatTable(const std::vector<FleetRow>& rows, Action action) {
    std::size_t nodeWidth = 4;
    for (const FleetRow& row : rows) {
        nodeWidth = std::max(nodeWidth, row.node.label.size());
    }
    const bool scan = action == Action::Scan;
    std::string table =
        Pad("node", nodeWidth) + "  " + Pad("address", 12) + "  " +
        (scan ? "answer\n" : Pad("time", 8) + "  " + Pad("not written", 11) + "  result\n");
    std::string details;
    for (const FleetRow& row : rows) {
        if (scan && row.result.outcome == Outcome::Silent) {
            continue;  // a scan lists the addresses that answer
        }
        table += Pad(row.node.label, nodeWidth) + "  " +
                 Pad(lon::FormatLonAddress(row.node.address), 12) + "  ";
        if (!scan) {
            table += Pad(Seconds(row.ElapsedMs(row.endMs)), 8) + "  " +
                     Pad(std::to_string(row.result.notWritten), 11) + "  ";
        }
        table += ResultText(row, action) + "\n";
        if (row.result.detail.find('\n') != std::string::npos) {
            details += "\n" + row.node.label + ":\n" + row.result.detail;
        }
    }
    return table + details;
}

std::string FormatJson(const std::vector<FleetRow>& rows, Action action) {
    nlohmann::json nodes = nlohmann::json::array();
    for (const FleetRow& row : rows) {
        nlohmann::json node{
            {"node", row.node.label},
            {"address", lon::FormatLonAddress(row.node.address)},
            {"result",
             row.state == FleetRow::State::Ended ? OutcomeName(row.result.outcome) : "not started"},
            {"notWritten", row.result.notWritten},
            {"ms", row.ElapsedMs(row.endMs)},
            {"detail", row.result.detail},
            {"programId", row.result.programId},
            {"name", row.result.name},
        };
        if (row.progress.total > 0 || row.progress.done > 0) {
            node["itemsDone"] = row.progress.done;
            node["items"] = row.progress.total;
        }
        nodes.push_back(node);
    }
    const nlohmann::json report{{"action", ActionName(action)}, {"nodes", nodes}};
    // Names and files are bytes: what is not UTF-8 is replaced rather than refused.
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace host::fleet

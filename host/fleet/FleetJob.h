#pragma once
// What one node's process of a fleet does: the action, the node, and what the action needs.

#include <optional>
#include <string>

#include "host/lon/LonAddress.h"
#include "host/lon/Transactions.h"

namespace host::fleet {

enum class Action { Save, Load, Defaults, Script, Check, Scan };

struct FleetJob {
    Action action = Action::Save;
    lon::LonAddress address;
    lon::Route route;
    lon::Timing timing;
    std::optional<std::string> name;  // the node list's name: the one the plug-in reads
    // Save: the file to write; Load, Check: the file to read; Script: the script's text.
    std::string file;
    std::string output;    // Script: where the script's output goes
    std::string password;  // Load, Defaults: the page password
    bool force = false;    // answer the boxes that would change something with Yes
};

}  // namespace host::fleet

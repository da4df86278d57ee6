#pragma once
// The node list: names for the nodes a technician works on, kept in
// ${XDG_CONFIG_HOME:-~/.config}/qma7/nodes.json, so that `qma7 --lon AHU1` finds the node:
//
//     { "AHU1": { "address": "51/35/12" },
//       "AHU2": { "address": "51/35/13", "host": "35/125" },
//       "AHU3": { "address": "51/35/14", "usb": "/dev/serial/by-id/usb-...", "usbKind": "u50" } }
//
// "host" is the host's own SUBNET/NODE in that node's domain (as --lon-host); "usb" the USB
// network interface the node is reached through (as --usb) and "usbKind" its family (as
// --usb-kind).

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/lon/LonAddress.h"

namespace host::lon {

struct NodeEntry {
    std::string name;
    LonAddress address;
    std::optional<LonAddress> host;
    std::optional<std::string> usb;
    std::optional<std::string> usbKind;
};

class NodeList {
  public:
    // The list in path; an empty one when there is no such file. Nothing, with a message, when
    // the file cannot be read or holds anything but a list of nodes.
    static std::optional<NodeList> Load(const std::filesystem::path& path, std::string& error);
    static std::optional<NodeList> Parse(const std::string& text, const std::string& source,
                                         std::string& error);

    const NodeEntry* Find(const std::string& name) const;
    // The first entry, in the file's order, for the node at address.
    const NodeEntry* FindAddress(const LonAddress& address) const;
    bool Empty() const { return m_entries.empty(); }
    const std::vector<NodeEntry>& Entries() const { return m_entries; }

  private:
    std::vector<NodeEntry> m_entries;
};

// Where the node list is: ${XDG_CONFIG_HOME:-$HOME/.config}/qma7/nodes.json; nothing when
// neither is set.
std::optional<std::filesystem::path> DefaultNodeListPath(const char* configHome, const char* home);

}  // namespace host::lon

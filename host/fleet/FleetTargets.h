#pragma once
// The nodes a fleet command names: names of the node list, addresses DOMAIN/SUBNET/NODE, ranges
// DOMAIN/SUBNET/FIRST-LAST, or every node of the list.

#include <optional>
#include <string>
#include <vector>

#include "host/lon/LonAddress.h"
#include "host/lon/NodeList.h"

namespace host::fleet {

struct FleetNode {
    // The node's file name and row in the table: its node list name, else its address with
    // "-" for "/" ("51-35-12"); unique within one run.
    std::string label;
    lon::LonAddress address;
    std::optional<lon::LonAddress> host;  // the node list's host address for it
    std::optional<std::string> listName;
    std::optional<std::string> usb;  // the node list's USB interface for it, and its kind
    std::optional<std::string> usbKind;
};

// The nodes words name, in their order, each once; all: every node of the list as well. list
// may be null (no list). Nothing, with a message, for a word that names no node.
std::optional<std::vector<FleetNode>> ResolveNodes(const std::vector<std::string>& words, bool all,
                                                   const lon::NodeList* list, std::string& error);

// The addresses of a range "51/35/1-40", or of one address; nothing with a message otherwise.
std::optional<std::vector<lon::LonAddress>> ParseAddressRange(const std::string& text,
                                                              std::string& error);

}  // namespace host::fleet

#include "host/fleet/FleetTargets.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace host::fleet {

namespace {

std::optional<int> Number(std::string_view text) {
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string AddressLabel(const lon::LonAddress& address) {
    std::string label = lon::FormatLonAddress(address);
    std::replace(label.begin(), label.end(), '/', '-');
    return label;
}

}  // namespace

std::optional<std::vector<lon::LonAddress>> ParseAddressRange(const std::string& text,
                                                              std::string& error) {
    const std::size_t slash = text.rfind('/');
    const std::size_t dash = text.find('-', slash == std::string::npos ? 0 : slash + 1);
    if (slash == std::string::npos || dash == std::string::npos) {
        const auto address = lon::ParseLonAddress(text, error);
        if (!address) {
            return std::nullopt;
        }
        return std::vector<lon::LonAddress>{*address};
    }
    const std::string prefix = text.substr(0, slash + 1);
    const auto first =
        lon::ParseLonAddress(prefix + text.substr(slash + 1, dash - slash - 1), error);
    const auto lastNode = Number(std::string_view(text).substr(dash + 1));
    if (!first) {
        return std::nullopt;
    }
    if (!lastNode || *lastNode < first->node ||
        !lon::ParseLonAddress(prefix + text.substr(dash + 1), error)) {
        error = "\"" + text + "\" is no range DOMAIN/SUBNET/FIRST-LAST with FIRST <= LAST <= 127";
        return std::nullopt;
    }
    std::vector<lon::LonAddress> addresses;
    for (int node = first->node; node <= *lastNode; ++node) {
        lon::LonAddress address = *first;
        address.node = node;
        addresses.push_back(address);
    }
    return addresses;
}

namespace {

// Labels: the list's name where there is one; a name that would be taken twice (a file name
// differing only by a "/", or a list name that is another node's address label) gets the
// address added.
void AssignLabels(std::vector<FleetNode>& nodes) {
    std::set<std::string> taken;
    for (FleetNode& node : nodes) {
        std::string label = node.listName.value_or(AddressLabel(node.address));
        std::replace(label.begin(), label.end(), '/', '_');
        if (label.empty() || label == "." || label == ".." || taken.contains(label)) {
            label += (label.empty() ? "" : "-") + AddressLabel(node.address);
        }
        taken.insert(label);
        node.label = label;
    }
}

}  // namespace

std::optional<std::vector<FleetNode>> ResolveNodes(const std::vector<std::string>& words, bool all,
                                                   const lon::NodeList* list, std::string& error) {
    std::vector<FleetNode> nodes;
    auto add = [&](const lon::LonAddress& address, const lon::NodeEntry* entry) {
        const bool known = std::any_of(nodes.begin(), nodes.end(), [&](const FleetNode& node) {
            return node.address == address;
        });
        if (known) {
            return;
        }
        FleetNode node;
        node.address = address;
        if (entry != nullptr) {
            node.host = entry->host;
            node.listName = entry->name;
            node.usb = entry->usb;
            node.usbKind = entry->usbKind;
        }
        nodes.push_back(node);
    };
    if (all) {
        if (list == nullptr || list->Empty()) {
            error = "--all: the node list is empty";
            return std::nullopt;
        }
        for (const lon::NodeEntry& entry : list->Entries()) {
            add(entry.address, &entry);
        }
    }
    for (const std::string& word : words) {
        if (word.find('/') == std::string::npos) {
            const lon::NodeEntry* entry = list != nullptr ? list->Find(word) : nullptr;
            if (entry == nullptr) {
                error =
                    "\"" + word + "\" is neither an address, a range nor a node of the node list";
                return std::nullopt;
            }
            add(entry->address, entry);
            continue;
        }
        const auto addresses = ParseAddressRange(word, error);
        if (!addresses) {
            return std::nullopt;
        }
        for (const lon::LonAddress& address : *addresses) {
            add(address, list != nullptr ? list->FindAddress(address) : nullptr);
        }
    }
    AssignLabels(nodes);
    return nodes;
}

}  // namespace host::fleet

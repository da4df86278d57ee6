#include "host/lon/NodeList.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

namespace host::lon {

std::optional<NodeList> NodeList::Load(const std::filesystem::path& path, std::string& error) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        return NodeList{};
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        error = "cannot read the node list " + path.string();
        return std::nullopt;
    }
    return Parse(text.str(), path.string(), error);
}

std::optional<NodeList> NodeList::Parse(const std::string& text, const std::string& source,
                                        std::string& error) {
    nlohmann::ordered_json root;
    try {
        root = nlohmann::ordered_json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        error = source + ": not valid JSON: " + e.what();
        return std::nullopt;
    }
    if (!root.is_object()) {
        error = source + ": the node list is not a JSON object of named nodes";
        return std::nullopt;
    }
    NodeList list;
    for (const auto& item : root.items()) {
        const std::string& name = item.key();
        const auto& entry = item.value();
        auto fail = [&](const std::string& why) {
            error = source + ": node \"" + name + "\": " + why;
            return std::nullopt;
        };
        if (!entry.is_object() || !entry.contains("address") || !entry["address"].is_string()) {
            return fail("needs an \"address\": \"DOMAIN/SUBNET/NODE\"");
        }
        NodeEntry node;
        node.name = name;
        for (const auto& [key, value] : entry.items()) {
            if (key != "address" && key != "host" && key != "usb" && key != "usbKind") {
                return fail("unknown member \"" + key + "\"");
            }
            if (!value.is_string()) {
                return fail("\"" + key + "\" is not a string");
            }
        }
        std::string why;
        const auto address = ParseLonAddress(entry["address"].get<std::string>(), why);
        if (!address) {
            return fail(why);
        }
        node.address = *address;
        if (entry.contains("host")) {
            node.host = ParseHostAddress(entry["host"].get<std::string>(), *address, why);
            if (!node.host) {
                return fail(why);
            }
        }
        if (entry.contains("usb")) {
            node.usb = entry["usb"].get<std::string>();
        }
        if (entry.contains("usbKind")) {
            node.usbKind = entry["usbKind"].get<std::string>();
            if (*node.usbKind != "u50" && *node.usbKind != "u61") {
                return fail("\"usbKind\" is u50 or u61, not \"" + *node.usbKind + "\"");
            }
        }
        list.m_entries.push_back(std::move(node));
    }
    return list;
}

const NodeEntry* NodeList::Find(const std::string& name) const {
    for (const NodeEntry& entry : m_entries) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

const NodeEntry* NodeList::FindAddress(const LonAddress& address) const {
    for (const NodeEntry& entry : m_entries) {
        if (entry.address == address) {
            return &entry;
        }
    }
    return nullptr;
}

std::optional<std::filesystem::path> DefaultNodeListPath(const char* configHome, const char* home) {
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (configHome != nullptr && configHome[0] == '/') {
        return std::filesystem::path(configHome) / "qma7" / "nodes.json";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / ".config" / "qma7" / "nodes.json";
    }
    return std::nullopt;
}

}  // namespace host::lon

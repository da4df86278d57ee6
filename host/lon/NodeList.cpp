#include "host/lon/NodeList.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <system_error>

#include "host/text/JsonDepth.h"
#include "host/text/ShownText.h"
#include "platform/crt/FileSystem.h"

namespace host::lon {

namespace {

// A list of a few hundred nodes is some 20 KB.
constexpr std::size_t kMaxListBytes = 1 << 20;
// The list is two levels deep: names, then each node's members.
constexpr std::size_t kMaxListDepth = 4;
// A name is what the plug-in reads as the node's name: as long as a node image allows.
constexpr std::size_t kMaxNameBytes = 255;

// The node names in the file's order, each given once; the first name given twice is a
// message naming both entries (the parser itself would quietly let the last one win).
nlohmann::ordered_json::parser_callback_t TwiceFinder(std::string& twice) {
    auto seen = std::make_shared<std::map<std::string, int>>();
    auto count = std::make_shared<int>(0);
    return [seen, count, &twice](int depth, nlohmann::ordered_json::parse_event_t event,
                                 nlohmann::ordered_json& parsed) {
        if (event == nlohmann::ordered_json::parse_event_t::key && depth == 1) {
            const std::string name = parsed.get<std::string>();
            const int entry = ++*count;
            const auto [it, fresh] = seen->emplace(name, entry);
            if (!fresh && twice.empty()) {
                twice = "the node \"" + ShownText(name) + "\" is given twice, as entries " +
                        std::to_string(it->second) + " and " + std::to_string(entry);
            }
        }
        return true;
    };
}

// One node of the list (its name checked already); nothing with why it is wrong.
std::optional<NodeEntry> ParseEntry(const std::string& name, const nlohmann::ordered_json& entry,
                                    std::string& why) {
    auto fail = [&](const std::string& what) {
        why = what;
        return std::nullopt;
    };
    NodeEntry node;
    node.name = name;
    for (const auto& [key, value] : entry.items()) {
        if (key != "address" && key != "host" && key != "usb" && key != "usbKind") {
            return fail("unknown member \"" + ShownText(key) + "\"");
        }
        if (!value.is_string()) {
            return fail("\"" + key + "\" is not a string");
        }
    }
    const auto address = ParseLonAddress(entry["address"].get<std::string>(), why);
    if (!address) {
        return std::nullopt;
    }
    node.address = *address;
    if (entry.contains("host")) {
        node.host = ParseHostAddress(entry["host"].get<std::string>(), *address, why);
        if (!node.host) {
            return std::nullopt;
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
    return node;
}

}  // namespace

std::optional<NodeList> NodeList::Load(const std::filesystem::path& path, std::string& error) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing) && !std::filesystem::is_symlink(path, missing)) {
        return NodeList{};
    }
    const std::string shown = ShownText(path.string());
    const std::unique_ptr<platform::crt::File> file =
        platform::crt::CurrentFileSystem().Open(path.string(), platform::crt::OpenMode::Read);
    if (!file) {
        error = "the node list " + shown +
                (errno == platform::crt::kNotRegularFile
                     ? " is not a regular file"
                     : " cannot be read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    const std::optional<std::string> text = platform::crt::ReadAll(*file, kMaxListBytes);
    if (!text) {
        error = "the node list " + shown +
                (errno == EFBIG ? " is larger than 1 MB"
                                : " cannot be read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    return Parse(*text, path.string(), error);
}

std::optional<NodeList> NodeList::Parse(const std::string& text, const std::string& listName,
                                        std::string& error) {
    const std::string source = ShownText(listName);
    if (JsonNestsDeeperThan(text, kMaxListDepth)) {
        error = source + ": nested deeper than a node list is";
        return std::nullopt;
    }
    nlohmann::ordered_json root;
    std::string twice;
    try {
        root = nlohmann::ordered_json::parse(text, TwiceFinder(twice));
    } catch (const nlohmann::json::exception& e) {
        error = source + ": not valid JSON: " + e.what();
        return std::nullopt;
    }
    if (!twice.empty()) {
        error = source + ": " + twice;
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
            error = source + ": node \"" + ShownText(name) + "\": " + why;
            return std::nullopt;
        };
        if (name.size() > kMaxNameBytes) {
            return fail("a name longer than " + std::to_string(kMaxNameBytes) + " bytes");
        }
        if (!entry.is_object() || !entry.contains("address") || !entry["address"].is_string()) {
            return fail("needs an \"address\": \"DOMAIN/SUBNET/NODE\"");
        }
        std::string why;
        auto node = ParseEntry(name, entry, why);
        if (!node) {
            return fail(why);
        }
        list.m_entries.push_back(std::move(*node));
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

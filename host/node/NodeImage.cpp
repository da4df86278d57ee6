#include "host/node/NodeImage.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <span>

#include "host/text/Hex.h"
#include "host/text/JsonDepth.h"
#include "host/text/ShownText.h"
#include "platform/crt/AtomicWrite.h"
#include "platform/crt/FileSystem.h"

namespace host {

namespace {

using nlohmann::json;

constexpr int kLastImageNv = SimNode::kSelectorNv;  // NV 43 is a view of a part, not stored
// Far above the largest image (about 4 KB): anything bigger is not one.
constexpr std::size_t kMaxImageBytes = 1 << 20;
// An image is two levels deep; the bound keeps a hostile file from costing memory and time
// with every level before its members are looked at.
constexpr std::size_t kMaxImageDepth = 8;
constexpr const char* kNameMember = "name";
// The name as HEX, for a name that is not UTF-8 and so cannot be a JSON string.
constexpr const char* kNameHexMember = "nameHex";

// A member key as a decimal number from..to, written without sign or leading zeros.
std::optional<int> IndexOf(const std::string& key, int from, int to) {
    int value = 0;
    const char* end = key.data() + key.size();
    const auto [last, ec] = std::from_chars(key.data(), end, value);
    if (ec != std::errc{} || last != end || key.empty() || (key.size() > 1 && key[0] == '0') ||
        value < from || value > to) {
        return std::nullopt;
    }
    return value;
}

// A node settings file starts with its header block, "/ Exported from ...": a JSON text never
// starts with a slash.
bool LooksLikeSettingsFile(std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    constexpr std::string_view kSettingsStart = "/ ";
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return text.starts_with(kSettingsStart);
}

class Loader {
  public:
    explicit Loader(std::string_view source) : m_source(ShownText(source)) {}

    std::optional<SimNode> Load(std::string_view text, std::string& error) {
        if (JsonNestsDeeperThan(text, kMaxImageDepth)) {
            error = m_source + ": nested more than " + std::to_string(kMaxImageDepth) +
                    " levels deep, which no node image is";
            return std::nullopt;
        }
        json root;
        std::string duplicate;
        try {
            root = json::parse(text, DuplicateFinder(duplicate));
        } catch (const json::exception& e) {
            error = m_source + (LooksLikeSettingsFile(text)
                                    ? ": a node settings file, not a node image (the sheet's "
                                      "Read from file loads it into a node)"
                                    : ": not valid JSON: " + std::string(e.what()));
            return std::nullopt;
        }
        if (!duplicate.empty()) {
            return Fail(duplicate, "given twice", error);
        }
        if (!root.is_object()) {
            error = m_source + ": the image is not a JSON object";
            return std::nullopt;
        }
        SimNode node;
        for (const auto& [key, value] : root.items()) {
            if (key != kNameMember && key != kNameHexMember && key != "selector" && key != "nv" &&
                key != "parts") {
                return Fail("member \"" + key + "\"", "unknown member", error);
            }
        }
        if (!LoadName(root, node, error)) {
            return std::nullopt;
        }
        if (root.contains("nv") && !LoadTable(root["nv"], "nv", node, error)) {
            return std::nullopt;
        }
        if (root.contains("parts") && !LoadTable(root["parts"], "parts", node, error)) {
            return std::nullopt;
        }
        // After "nv": the selector member is the final word on NV 42.
        if (root.contains("selector")) {
            const json& selector = root["selector"];
            if (!selector.is_number_integer() || selector.get<std::int64_t>() < 0 ||
                selector.get<std::int64_t>() > 0xFFFF) {
                return Fail("member \"selector\"", "not a whole number 0 to 65535", error);
            }
            node.SetSelector(selector.get<std::uint16_t>());
        }
        return node;
    }

  private:
    // A parser callback that notes the first member given twice in one object, which the
    // parser itself would quietly let the last one win.
    static json::parser_callback_t DuplicateFinder(std::string& duplicate) {
        struct Level {
            std::string member;  // how the object is named in messages
            std::set<std::string> keys;
            std::string lastKey;
        };
        auto levels = std::make_shared<std::vector<Level>>();
        return [levels, &duplicate](int, json::parse_event_t event, json& parsed) {
            switch (event) {
                case json::parse_event_t::object_start:
                case json::parse_event_t::array_start: {
                    std::string member = "member";
                    if (!levels->empty()) {
                        member = levels->back().member + " \"" + levels->back().lastKey + "\"";
                    }
                    levels->push_back({std::move(member), {}, {}});
                    break;
                }
                case json::parse_event_t::object_end:
                case json::parse_event_t::array_end:
                    if (!levels->empty()) {
                        levels->pop_back();
                    }
                    break;
                case json::parse_event_t::key: {
                    Level& level = levels->back();
                    level.lastKey = parsed.get<std::string>();
                    if (!level.keys.insert(level.lastKey).second && duplicate.empty()) {
                        duplicate = level.member + " \"" + level.lastKey + "\"";
                    }
                    break;
                }
                case json::parse_event_t::value:
                    break;
            }
            return true;
        };
    }

    bool LoadName(const json& root, SimNode& node, std::string& error) {
        const bool plain = root.contains(kNameMember);
        const bool hex = root.contains(kNameHexMember);
        if (plain && hex) {
            Fail("member \"" + std::string(kNameHexMember) + "\"", "given with \"name\"", error);
            return false;
        }
        if (!plain && !hex) {
            return true;
        }
        const std::string member =
            std::string("member \"") + (plain ? kNameMember : kNameHexMember) + "\"";
        const json& value = root[plain ? kNameMember : kNameHexMember];
        if (!value.is_string()) {
            Fail(member, plain ? "not a string" : "not a HEX string", error);
            return false;
        }
        std::string name = value.get<std::string>();
        if (hex) {
            std::string problem;
            const auto bytes = ParseHex(name, problem);
            if (!bytes) {
                Fail(member, problem, error);
                return false;
            }
            name.assign(bytes->begin(), bytes->end());
        }
        if (name.size() > NodeImage::kMaxNameBytes) {
            Fail(member, "longer than " + std::to_string(NodeImage::kMaxNameBytes) + " bytes",
                 error);
            return false;
        }
        node.SetName(std::move(name));
        return true;
    }

    bool LoadTable(const json& table, const std::string& name, SimNode& node, std::string& error) {
        const bool parts = name == "parts";
        if (!table.is_object()) {
            Fail("member \"" + name + "\"", "not an object", error);
            return false;
        }
        for (const auto& [key, value] : table.items()) {
            const std::string member = "member \"" + name + "\" \"" + key + "\"";
            const std::optional<int> index =
                parts ? IndexOf(key, 1, SimNode::kPartCount) : IndexOf(key, 0, kLastImageNv);
            if (!index) {
                Fail(member, parts ? "not a part 1 to 12" : "not an NV index 0 to 42", error);
                return false;
            }
            if (!value.is_string()) {
                Fail(member, "not a HEX string", error);
                return false;
            }
            std::string problem;
            const std::optional<std::vector<std::uint8_t>> bytes =
                ParseHex(value.get<std::string>(), problem);
            if (!bytes || !(parts ? node.SetPart(*index, *bytes, problem)
                                  : node.SetNv(*index, *bytes, problem))) {
                Fail(member, problem, error);
                return false;
            }
        }
        return true;
    }

    std::nullopt_t Fail(const std::string& member, const std::string& problem,
                        std::string& error) const {
        error = m_source + ": " + member + ": " + problem;
        return std::nullopt;
    }

    std::string m_source;
};

}  // namespace

std::optional<SimNode> NodeImage::Parse(std::string_view json, std::string_view source,
                                        std::string& error) {
    return Loader(source).Load(json, error);
}

std::string NodeImage::Render(const SimNode& node) {
    nlohmann::ordered_json root;
    root[kNameMember] = node.Name();
    try {
        (void)root.dump();
    } catch (const nlohmann::json::exception&) {
        // Not UTF-8: kept byte for byte as HEX rather than changed or refused.
        root.erase(kNameMember);
        root[kNameHexMember] = FormatHex(std::span(
            reinterpret_cast<const std::uint8_t*>(node.Name().data()), node.Name().size()));
    }
    root["selector"] = node.Selector();
    nlohmann::ordered_json& nvs = root["nv"];
    for (int nv = 0; nv < kLastImageNv; ++nv) {
        nvs[std::to_string(nv)] = FormatHex(*node.GetNv(nv));
    }
    nlohmann::ordered_json& parts = root["parts"];
    for (int k = 1; k <= SimNode::kPartCount; ++k) {
        parts[std::to_string(k)] = FormatHex(node.Part(k));
    }
    return root.dump(2) + "\n";
}

std::optional<SimNode> NodeImage::Load(const std::filesystem::path& path, std::string& error) {
    const std::unique_ptr<platform::crt::File> file =
        platform::crt::CurrentFileSystem().Open(path.string(), platform::crt::OpenMode::Read);
    if (!file) {
        error = ShownText(path.string()) +
                (errno == platform::crt::kNotRegularFile
                     ? ": not a regular file"
                     : ": cannot read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    const std::optional<std::string> text = platform::crt::ReadAll(*file, kMaxImageBytes);
    if (!text) {
        error = ShownText(path.string()) +
                (errno == EFBIG ? ": more than 1 MB, too large for a node image"
                                : ": cannot read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    return Parse(*text, path.string(), error);
}

bool NodeImage::Save(const SimNode& node, const std::filesystem::path& path, std::string& error) {
    if (const auto failure = platform::crt::AtomicWrite(platform::crt::CurrentFileSystem(),
                                                        path.string(), Render(node))) {
        error = ShownText(path.string()) + ": cannot save: " + failure->Reason();
        return false;
    }
    return true;
}

}  // namespace host

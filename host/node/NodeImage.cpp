#include "host/node/NodeImage.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>

#include "host/text/Hex.h"
#include "host/text/QuoteText.h"
#include "platform/crt/AtomicWrite.h"
#include "platform/crt/FileSystem.h"

namespace host {

namespace {

using nlohmann::json;

constexpr int kLastImageNv = SimNode::kSelectorNv;  // NV 43 is a view of a part, not stored
// Far above the largest image (about 4 KB): anything bigger is not one.
constexpr std::size_t kMaxImageBytes = 1 << 20;

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

class Loader {
  public:
    explicit Loader(std::string_view source) : m_source(source) {}

    std::optional<SimNode> Load(std::string_view text, std::string& error) {
        json root;
        std::string duplicate;
        try {
            root = json::parse(text, DuplicateFinder(duplicate));
        } catch (const json::exception& e) {
            error = m_source + ": not valid JSON: " + e.what();
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
            if (key != "name" && key != "selector" && key != "nv" && key != "parts") {
                return Fail("member \"" + key + "\"", "unknown member", error);
            }
        }
        if (root.contains("name")) {
            const json& name = root["name"];
            if (!name.is_string()) {
                return Fail("member \"name\"", "not a string", error);
            }
            node.SetName(name.get<std::string>());
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

std::optional<std::string> NodeImage::Render(const SimNode& node, std::string& error) {
    nlohmann::ordered_json root;
    root["name"] = node.Name();
    root["selector"] = node.Selector();
    nlohmann::ordered_json& nvs = root["nv"];
    for (int nv = 0; nv < kLastImageNv; ++nv) {
        nvs[std::to_string(nv)] = FormatHex(*node.GetNv(nv));
    }
    nlohmann::ordered_json& parts = root["parts"];
    for (int k = 1; k <= SimNode::kPartCount; ++k) {
        parts[std::to_string(k)] = FormatHex(node.Part(k));
    }
    try {
        return root.dump(2) + "\n";
    } catch (const nlohmann::json::exception&) {
        error = "the node name " + QuoteText(node.Name()) + " is not UTF-8";
        return std::nullopt;
    }
}

std::optional<SimNode> NodeImage::Load(const std::filesystem::path& path, std::string& error) {
    const std::unique_ptr<platform::crt::File> file =
        platform::crt::CurrentFileSystem().Open(path.string(), platform::crt::OpenMode::Read);
    if (!file) {
        error = path.string() + (errno == platform::crt::kNotRegularFile
                                     ? ": not a regular file"
                                     : ": cannot read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    const std::optional<std::string> text = platform::crt::ReadAll(*file, kMaxImageBytes);
    if (!text) {
        error = path.string() + (errno == EFBIG
                                     ? ": more than 1 MB, too large for a node image"
                                     : ": cannot read: " + std::string(std::strerror(errno)));
        return std::nullopt;
    }
    return Parse(*text, path.string(), error);
}

bool NodeImage::Save(const SimNode& node, const std::filesystem::path& path, std::string& error) {
    const std::optional<std::string> text = Render(node, error);
    if (!text) {
        error = path.string() + ": " + error;
        return false;
    }
    if (const auto failure =
            platform::crt::AtomicWrite(platform::crt::CurrentFileSystem(), path.string(), *text)) {
        error = path.string() + ": cannot save: " + failure->Reason();
        return false;
    }
    return true;
}

}  // namespace host

#include "host/node/NodeImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "host/driver/ScriptSyntax.h"

namespace host {

namespace {

using nlohmann::json;

constexpr int kLastImageNv = SimNode::kSelectorNv;  // NV 43 is a view of a part, not stored

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
        try {
            root = json::parse(text);
        } catch (const json::exception& e) {
            error = m_source + ": not valid JSON: " + e.what();
            return std::nullopt;
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

std::string ErrnoText() {
    return std::strerror(errno);
}

// Writes all of text to fd; false on the first failing write.
bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The permission bits a new image gets: the old file's, else those of a newly created file.
mode_t ModeFor(const std::filesystem::path& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        return old.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path.string() + ": cannot read: " + ErrnoText();
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        error = path.string() + ": cannot read: " + ErrnoText();
        return std::nullopt;
    }
    return Parse(text, path.string(), error);
}

bool NodeImage::Save(const SimNode& node, const std::filesystem::path& path, std::string& error) {
    const std::optional<std::string> text = Render(node, error);
    if (!text) {
        error = path.string() + ": " + error;
        return false;
    }
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = path.string() + ": cannot create a temporary file: " + ErrnoText();
        return false;
    }
    const bool written =
        WriteAll(fd, *text) && ::fchmod(fd, ModeFor(path)) == 0 && ::fsync(fd) == 0;
    const std::string writeProblem = written ? "" : ErrnoText();
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path.string() + ": cannot save: " + (written ? ErrnoText() : writeProblem);
        ::unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the image is complete either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace host

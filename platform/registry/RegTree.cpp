#include "platform/registry/RegTree.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace platform::registry {

namespace {

constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// Reads a quoted string at the start of rest and moves rest past it.
bool Unquote(std::string_view& rest, std::string& out, std::string& error) {
    out.clear();
    rest.remove_prefix(1);  // the opening quote
    while (!rest.empty()) {
        const char c = rest.front();
        rest.remove_prefix(1);
        if (c == '"') {
            return true;
        }
        if (c == '\\') {
            if (rest.empty() || (rest.front() != '\\' && rest.front() != '"')) {
                error = "unknown escape in string (only \\\\ and \\\" are allowed)";
                return false;
            }
            out += rest.front();
            rest.remove_prefix(1);
        } else {
            out += c;
        }
    }
    error = "string without closing quote";
    return false;
}

bool ParseDword(std::string_view digits, std::uint32_t& out) {
    if (digits.empty() || digits.size() > 8) {
        return false;
    }
    out = 0;
    for (const char c : digits) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return false;
        }
        out = out * 16 + static_cast<std::uint32_t>(v);
    }
    return true;
}

// Parses `@=...` or `"name"=...` into value; error says what is wrong.
bool ParseValueLine(std::string_view line, RegValue& value, std::string& error) {
    std::string_view rest = line;
    if (rest.front() == '@') {
        value.name.clear();
        rest.remove_prefix(1);
    } else if (!Unquote(rest, value.name, error)) {
        return false;
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') {
        error = "expected '=' after the value name";
        return false;
    }
    rest = Trim(rest.substr(1));
    if (!rest.empty() && rest.front() == '"') {
        value.kind = ValueKind::String;
        if (!Unquote(rest, value.text, error)) {
            return false;
        }
    } else if (rest.starts_with("dword:")) {
        value.kind = ValueKind::Dword;
        rest.remove_prefix(6);
        const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        if (!ParseDword(rest.substr(0, end), value.dword)) {
            error = "a dword needs 1 to 8 hexadecimal digits";
            return false;
        }
        rest.remove_prefix(end);
    } else {
        error = "unsupported value: only \"strings\" and dword:xxxxxxxx";
        return false;
    }
    if (!Trim(rest).empty()) {
        error = "unexpected text after the value";
        return false;
    }
    return true;
}

}  // namespace

bool RegTree::PathOrder::operator()(const std::string& a, const std::string& b) const {
    // The separator ranks below every other character: "a", "a\b", "a.b".
    const auto rank = [](char c) {
        return c == '\\' ? 0 : static_cast<int>(static_cast<unsigned char>(c)) + 1;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return rank(x) < rank(y); });
}

bool RegTree::IsValidPath(std::string_view path) {
    return PathProblem(path).empty();
}

std::string RegTree::PathProblem(std::string_view path) {
    if (path.empty()) {
        return {};
    }
    if (path.find_first_of("\r\n") != std::string_view::npos) {
        return "a line break in a key name";
    }
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::size_t length = end - start;
        if (length == 0) {
            return "empty key name in the key path";
        }
        if (length > kMaxKeyNameLength) {
            return "a key name of " + std::to_string(length) + " characters, more than " +
                   std::to_string(kMaxKeyNameLength);
        }
        if (++depth > kMaxKeyDepth) {
            return "keys nested more than " + std::to_string(kMaxKeyDepth) + " levels deep";
        }
        start = end + 1;
    }
    return {};
}

namespace {

// The key path of a section line ([HKEY_CLASSES_ROOT\PATH]); nothing with what is wrong.
std::optional<std::string> SectionPath(std::string_view line, std::string& what) {
    if (line.back() != ']') {
        what = "a section line must end with ']'";
        return std::nullopt;
    }
    const std::string_view full = line.substr(1, line.size() - 2);
    const std::string_view hive = full.substr(0, full.find('\\'));
    if (Lower(hive) != Lower(kRootName)) {
        what = "only keys under " + std::string(kRootName) + " are allowed";
        return std::nullopt;
    }
    const std::string_view path =
        full.size() > hive.size() ? full.substr(hive.size() + 1) : std::string_view();
    if (full.size() > hive.size() && path.empty()) {
        what = "empty key name in the section path";
        return std::nullopt;
    }
    what = RegTree::PathProblem(path);
    if (!what.empty()) {
        return std::nullopt;
    }
    return std::string(path);
}

}  // namespace

std::optional<RegTree> RegTree::Parse(std::string_view text, std::string& error) {
    RegTree tree;
    std::optional<std::string> section;
    int number = 0;
    while (!text.empty() || number == 0) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(number) + ": " + what;
            return std::nullopt;
        };
        if (number == 1) {
            if (line != kHeader) {
                return fail("the file must start with \"" + std::string(kHeader) + "\"");
            }
            continue;
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string what;
            const auto path = SectionPath(line, what);
            if (!path) {
                return fail(what);
            }
            tree.CreateKey(*path);
            section = *path;
        } else if (line.front() == '@' || line.front() == '"') {
            if (!section) {
                return fail("a value before the first section");
            }
            RegValue value;
            std::string what;
            if (!ParseValueLine(line, value, what)) {
                return fail(what);
            }
            tree.SetValue(*section, std::move(value));
        } else {
            return fail("expected a [key] section or a value");
        }
    }
    return tree;
}

std::string RegTree::Format() const {
    std::string out = std::string(kHeader) + "\n\n";
    for (const auto& [lower, key] : m_keys) {
        if (lower.empty() && key.values.empty()) {
            continue;
        }
        out += "[" + std::string(kRootName) + (lower.empty() ? "" : "\\") + key.path + "]\n";
        for (const auto& [unused, value] : key.values) {
            out += value.name.empty() ? "@" : Quote(value.name);
            out += '=';
            if (value.kind == ValueKind::String) {
                out += Quote(value.text);
            } else {
                char digits[16];
                std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.dword));
                out += "dword:";
                out += digits;
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

bool RegTree::HasKey(std::string_view path) const {
    return m_keys.contains(Lower(path));
}

void RegTree::CreateKey(std::string_view path) {
    std::string lower;
    std::string spelled;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view component = path.substr(start, end - start);
        if (!lower.empty()) {
            lower += '\\';
            spelled += '\\';
        }
        lower += Lower(component);
        const auto it = m_keys.find(lower);
        if (it == m_keys.end()) {
            spelled += component;
            m_keys.emplace(lower, Key{spelled, {}});
        } else {
            spelled = it->second.path;
        }
        start = end + 1;
    }
}

RegTree::DeleteResult RegTree::DeleteKey(std::string_view path) {
    const std::string lower = Lower(path);
    const auto it = m_keys.find(lower);
    if (lower.empty() || it == m_keys.end()) {
        return DeleteResult::NotFound;
    }
    const auto next = std::next(it);
    if (next != m_keys.end() && next->first.starts_with(lower + '\\')) {
        return DeleteResult::HasSubkeys;
    }
    m_keys.erase(it);
    return DeleteResult::Deleted;
}

std::vector<std::string> RegTree::SubkeyNames(std::string_view path) const {
    std::vector<std::string> names;
    const std::string lower = Lower(path);
    auto it = m_keys.find(lower);
    if (it == m_keys.end()) {
        return names;
    }
    const std::string prefix = lower.empty() ? "" : lower + '\\';
    for (++it; it != m_keys.end() && it->first.starts_with(prefix); ++it) {
        const std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (rest.find('\\') == std::string_view::npos) {
            const std::string& spelled = it->second.path;
            names.push_back(spelled.substr(spelled.size() - rest.size()));
        }
    }
    return names;
}

const RegValue* RegTree::FindValue(std::string_view path, std::string_view name) const {
    const auto key = m_keys.find(Lower(path));
    if (key == m_keys.end()) {
        return nullptr;
    }
    const auto value = key->second.values.find(Lower(name));
    return value == key->second.values.end() ? nullptr : &value->second;
}

bool RegTree::SetValue(std::string_view path, RegValue value) {
    const auto key = m_keys.find(Lower(path));
    if (key == m_keys.end()) {
        return false;
    }
    // A value set again under another spelling keeps its first spelling, as keys do.
    const auto [it, inserted] = key->second.values.try_emplace(Lower(value.name), value);
    if (!inserted) {
        value.name = it->second.name;
        it->second = std::move(value);
    }
    return true;
}

bool RegTree::DeleteValue(std::string_view path, std::string_view name) {
    const auto key = m_keys.find(Lower(path));
    return key != m_keys.end() && key->second.values.erase(Lower(name)) > 0;
}

}  // namespace platform::registry

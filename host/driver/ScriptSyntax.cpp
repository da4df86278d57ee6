#include "host/driver/ScriptSyntax.h"

namespace host {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// A carriage return counts as a blank so that scripts with CR LF line ends read the same.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the quoted word that starts at line[i] (the opening quote); i ends after the closing
// quote.
std::optional<std::string> ReadQuoted(std::string_view line, std::size_t& i, std::string& error) {
    std::string word;
    for (++i; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            ++i;
            return word;
        }
        if (c != '\\') {
            word += c;
            continue;
        }
        if (++i == line.size()) {
            break;
        }
        switch (line[i]) {
            case '"':
                word += '"';
                break;
            case '\\':
                word += '\\';
                break;
            case 'n':
                word += '\n';
                break;
            case 'r':
                word += '\r';
                break;
            case 't':
                word += '\t';
                break;
            case 'x': {
                const int high = i + 1 < line.size() ? HexValue(line[i + 1]) : -1;
                const int low = i + 2 < line.size() ? HexValue(line[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    error = "\\x needs two hex digits";
                    return std::nullopt;
                }
                word += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                error = std::string("unknown escape \\") + line[i];
                return std::nullopt;
        }
    }
    error = "unterminated quote";
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size() || (words.empty() && line[i] == '#')) {
            return words;
        }
        if (line[i] == '"') {
            std::optional<std::string> word = ReadQuoted(line, i, error);
            if (!word) {
                return std::nullopt;
            }
            if (i < line.size() && !IsBlank(line[i])) {
                error = "text after a closing quote";
                return std::nullopt;
            }
            words.push_back(std::move(*word));
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
            if (line[i] == '"') {
                error = "quote inside a word";
                return std::nullopt;
            }
            ++i;
        }
        words.emplace_back(line.substr(start, i - start));
    }
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (text == "-") {
        return bytes;
    }
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            continue;
        }
        const int v = HexValue(c);
        if (v < 0) {
            error = "not a hex digit: " + QuoteText(std::string_view(&c, 1));
            return std::nullopt;
        }
        if (high < 0) {
            high = v;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0) {
        error = "odd number of hex digits";
        return std::nullopt;
    }
    return bytes;
}

std::string FormatHex(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return "-";
    }
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 0x0F];
    }
    return text;
}

std::string QuoteText(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (b < 0x20 || b >= 0x7F) {
                    quoted += "\\x";
                    quoted += kHexDigits[b >> 4];
                    quoted += kHexDigits[b & 0x0F];
                } else {
                    quoted += c;
                }
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace host

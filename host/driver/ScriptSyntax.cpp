#include "host/driver/ScriptSyntax.h"

#include "host/text/Hex.h"

namespace host {

namespace {

// A carriage return counts as a blank so that scripts with CR LF line ends read the same.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
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
                const int high = i + 1 < line.size() ? HexDigitValue(line[i + 1]) : -1;
                const int low = i + 2 < line.size() ? HexDigitValue(line[i + 2]) : -1;
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

}  // namespace host

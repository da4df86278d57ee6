#include "host/text/Hex.h"

#include "host/text/QuoteText.h"

namespace host {

int HexDigitValue(char c) {
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
        const int v = HexDigitValue(c);
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
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

}  // namespace host

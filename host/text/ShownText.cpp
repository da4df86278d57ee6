#include "host/text/ShownText.h"

#include <cstdint>

namespace host {

namespace {

constexpr const char* kDigits = "0123456789ABCDEF";
constexpr std::string_view kCutMark = "...";

void AppendEscaped(std::string& out, unsigned char b) {
    out += "\\x";
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
}

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none.
std::size_t Utf8Length(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (b & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    const bool control = code >= 0x80 && code <= 0x9F;  // C1
    if (overlong || surrogate || code > 0x10FFFF || control) {
        return 0;
    }
    return length;
}

}  // namespace

std::string ShownText(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        std::string piece;
        const auto b = static_cast<unsigned char>(text[0]);
        std::size_t used = 1;
        if (b == '\\') {
            piece = "\\\\";
        } else if (b < 0x20 || b == 0x7F) {
            AppendEscaped(piece, b);
        } else if (b < 0x80) {
            piece = static_cast<char>(b);
        } else if (const std::size_t length = Utf8Length(text); length > 0) {
            piece = std::string(text.substr(0, length));
            used = length;
        } else {
            AppendEscaped(piece, b);
        }
        if (out.size() + piece.size() > kMaxShownBytes) {
            return out + std::string(kCutMark);
        }
        out += piece;
        text.remove_prefix(used);
    }
    return out;
}

}  // namespace host

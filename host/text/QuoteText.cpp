#include "host/text/QuoteText.h"

#include <span>

#include "host/text/Hex.h"

namespace host {

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
                    quoted += "\\x" + FormatHex(std::span(&b, 1));
                } else {
                    quoted += c;
                }
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace host

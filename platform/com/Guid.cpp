#include "platform/com/Guid.h"

#include <cstdio>

std::string GuidToString(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::optional<GUID> GuidFromString(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    std::uint8_t bytes[16];
    int n = 0;
    for (std::size_t i = 1; i < 37; ++i) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const char c = text[i];
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        if (n % 2 == 0) {
            bytes[n / 2] = static_cast<std::uint8_t>(v << 4);
        } else {
            bytes[n / 2] = static_cast<std::uint8_t>(bytes[n / 2] | v);
        }
        ++n;
    }
    GUID g;
    g.Data1 = static_cast<std::uint32_t>(bytes[0]) << 24 |
              static_cast<std::uint32_t>(bytes[1]) << 16 |
              static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
    g.Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        g.Data4[static_cast<std::size_t>(i)] = bytes[8 + i];
    }
    return g;
}

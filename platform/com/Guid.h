#pragma once
// Globally unique identifiers of classes, interfaces and type libraries.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    friend bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits: 38 characters.
std::string GuidToString(const GUID& guid);
// Reads that form (digits in either case, braces required); nullopt for anything else.
std::optional<GUID> GuidFromString(std::string_view text);

// A GUID from its text form at compile time; a malformed literal does not compile.
consteval GUID MakeGuid(const char (&text)[39]) {
    auto hex = [&](int from, int digits) {
        std::uint32_t value = 0;
        for (int i = from; i < from + digits; ++i) {
            const char c = text[i];
            const int v = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : throw "bad GUID literal";
            value = value * 16 + static_cast<std::uint32_t>(v);
        }
        return value;
    };
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}') {
        throw "bad GUID literal";
    }
    GUID g;
    g.Data1 = hex(1, 8);
    g.Data2 = static_cast<std::uint16_t>(hex(10, 4));
    g.Data3 = static_cast<std::uint16_t>(hex(15, 4));
    g.Data4[0] = static_cast<std::uint8_t>(hex(20, 2));
    g.Data4[1] = static_cast<std::uint8_t>(hex(22, 2));
    for (int i = 0; i < 6; ++i) {
        g.Data4[2 + i] = static_cast<std::uint8_t>(hex(25 + 2 * i, 2));
    }
    return g;
}

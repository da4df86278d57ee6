#pragma once
// The items of the node settings file: the fourteen configuration values and the configuration
// parts of nviPluginCnf. Writer, reader and factory defaults all work from this one table.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace settingsfile {

// How a value line shows the item's bytes.
enum class Encoding {
    Percent,     // SNVT_lev_percent: 0.005 % steps, "%.3f"
    Seconds,     // SNVT_time_sec: tenths of a second, whole seconds "%.1f"
    Minutes,     // SNVT_time_min: "%.0f"
    Structured,  // SNVT_str_int: byte 0 and fifteen words, 31 bytes
};

inline constexpr std::size_t kWordSize = 2;
inline constexpr std::size_t kStrIntSize = 31;

// The bytes of one value, most significant first: 2 or 31 of them.
struct ItemBytes {
    std::array<std::uint8_t, kStrIntSize> data{};
    std::size_t size = 0;

    std::span<const std::uint8_t> Span() const { return {data.data(), size}; }
    friend bool operator==(const ItemBytes& a, const ItemBytes& b) {
        return std::ranges::equal(a.Span(), b.Span());
    }
};

struct SettingsItem {
    // The header line's text without its trailing spaces; for nviPluginCnf without the part
    // number that ends it.
    std::string_view header;
    int nv;  // read at export, written at import and by the factory defaults
    std::size_t size;
    Encoding encoding;
    bool isPart;  // nviPluginCnf: one item per configuration part, part k selected by NV 42

    // The name the reader matches: the header's text between "* " and the next space.
    constexpr std::string_view Name() const {
        const std::size_t end = header.find(' ', 2);
        return header.substr(2, end == std::string_view::npos ? end : end - 2);
    }
    // The complete header line (without its line end), trailing spaces included; part is
    // the configuration part's number for nviPluginCnf and is ignored otherwise.
    std::string HeaderLine(int part = 0) const;
    // The value line (without its line end) for the bytes read from the node; missing bytes
    // count as 0 and bytes beyond size are ignored.
    std::string ValueLine(std::span<const std::uint8_t> bytes) const;
    // The size bytes that a value line gives.
    ItemBytes BytesOf(std::string_view valueLine) const;
};

// clang-format off
inline constexpr std::array<SettingsItem, 14> kConfigItems{{
    // header line text                                 NV bytes        encoding              part
    {"* nciSetptDehumidi ( 1) - SNVT_lev_percent",      1, kWordSize,   Encoding::Percent,    false},
    {"* nciSetptHumidity ( 2) - SNVT_lev_percent",      2, kWordSize,   Encoding::Percent,    false},
    {"* nciSetptHumidi   ( 3) - SNVT_lev_percent",      3, kWordSize,   Encoding::Percent,    false},
    {"* nciDbHumidity    ( 4) - SNVT_lev_percent",      4, kWordSize,   Encoding::Percent,    false},
    {"* nciMaxHumidity   ( 5) - SNVT_lev_percent",      5, kWordSize,   Encoding::Percent,    false},
    {"* nciMinTimeOn_Mv3 (11) - SNVT_time_sec",        11, kWordSize,   Encoding::Seconds,    false},
    {"* nciMaxTimeOn_Mv3 (13) - SNVT_time_sec",        13, kWordSize,   Encoding::Seconds,    false},
    {"* nciMaxCool       (14) - SNVT_lev_percent",     14, kWordSize,   Encoding::Percent,    false},
    {"* nciOAMinPos      (18) - SNVT_lev_percent",     20, kWordSize,   Encoding::Percent,    false},
    {"* nciStartCool_Mc1 (22) - SNVT_lev_percent",     23, kWordSize,   Encoding::Percent,    false},
    {"* nciStopCool_Mc1  (23) - SNVT_lev_percent",     24, kWordSize,   Encoding::Percent,    false},
    {"* nciOffManAuto3   (24) - SNVT_str_int",         25, kStrIntSize, Encoding::Structured, false},
    {"* nciManValue3     (25) - SNVT_str_int",         26, kStrIntSize, Encoding::Structured, false},
    {"* nciDelayCoolOn   (26) - SNVT_time_min",        27, kWordSize,   Encoding::Minutes,    false},
}};

inline constexpr SettingsItem kPluginCnf{
    "* nviPluginCnf     (34) - SNVT_str_int     ** Part ", 43, kStrIntSize, Encoding::Structured, true};
// clang-format on

inline constexpr int kPartCount = 12;

// One item of the file in the order the writer puts them: the configuration items, then
// nviPluginCnf for parts 1 to 12.
struct FileItem {
    const SettingsItem* item;
    int part;  // 1..12 for nviPluginCnf, 0 otherwise

    std::string HeaderLine() const { return item->HeaderLine(part); }
};

inline constexpr std::size_t kFileItemCount = kConfigItems.size() + kPartCount;

inline constexpr std::array<FileItem, kFileItemCount> kFileItems = [] {
    std::array<FileItem, kFileItemCount> items{};
    std::size_t i = 0;
    for (const SettingsItem& item : kConfigItems) {
        items[i++] = {&item, 0};
    }
    for (int part = 1; part <= kPartCount; ++part) {
        items[i++] = {&kPluginCnf, part};
    }
    return items;
}();

// The item called name (exactly, case-sensitive) among the fourteen configuration items and
// nviPluginCnf; nullptr for any other name.
const SettingsItem* FindItem(std::string_view name);

}  // namespace settingsfile

#pragma once
// The factory configuration that "Default settings" writes: the twelve configuration parts
// and the fourteen configuration items, kept as value-line texts and converted by the items'
// own encodings.

#include <array>
#include <cstddef>
#include <string_view>

#include "plugin/settingsfile/SettingsItem.h"

namespace settingsfile {

// clang-format off
// Part k's text is element k - 1. Part 6 holds a seventeenth number that does not reach the
// node.
inline constexpr std::array<std::string_view, kPartCount> kFactoryPartTexts{
    "0, 21, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2",
    "0, 0, 0, 0, 0, 0, 0, 0, 1700, 400, 800, 1000, 2000, 800, 3000, 0",
    "0, 0, 250, 0, 0, 50, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0",
    "0, 50, 50, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 60, 5",
    "0, 2000, 18000, 0, 0, 0, 2000, 15000, 4000, 3000, 0, 0, 0, 10, 120, 5",
    "0, 5, 10, 5, 168, 168, 168, 168, 168, 168, 0, 0, 0, 0, 0, 0, 0",
    "0, 1000, 1800, 2100, 2000, 0, 0, 0, 0, 0, 0, 0, 0, 10, 60, 5",
    "0, 10, 60, 5, 10, 60, 5, 10, 60, 5, 10, 60, 5, 10, 60, 5",
    "9, 150, 150, 150, 150, 60, 60, 150, 150, 150, 150, 0, 0, 0, 0, 0",
    "10, 64622, 64638, 63550, 59528, 37890, 55302, 0, 0, 0, 0, 0, 0, 0, 0, 0",
    "11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0",
    "12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0",
};

struct FactoryItem {
    const SettingsItem* item;
    std::string_view text;
};

// In the order in which they are written.
inline constexpr std::array<FactoryItem, kConfigItems.size()> kFactoryItems{{
    {&kConfigItems[0],  "70.000"},  // nciSetptDehumidi
    {&kConfigItems[1],  "60.000"},  // nciSetptHumidity
    {&kConfigItems[2],  "45.000"},  // nciSetptHumidi
    {&kConfigItems[3],  "4.000"},   // nciDbHumidity
    {&kConfigItems[4],  "85.000"},  // nciMaxHumidity
    {&kConfigItems[7],  "100.000"}, // nciMaxCool
    {&kConfigItems[8],  "75.000"},  // nciOAMinPos
    {&kConfigItems[9],  "10.000"},  // nciStartCool_Mc1
    {&kConfigItems[10], "5.000"},   // nciStopCool_Mc1
    {&kConfigItems[5],  "5.0"},     // nciMinTimeOn_Mv3
    {&kConfigItems[6],  "30.0"},    // nciMaxTimeOn_Mv3
    {&kConfigItems[11], "0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0"},       // nciOffManAuto3
    {&kConfigItems[12], "0, 50, 50, 50, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"},   // nciManValue3
    {&kConfigItems[13], "5"},       // nciDelayCoolOn
}};
// clang-format on

// The 31 bytes of part k (1..12); nothing (size 0) for any other k.
ItemBytes FactoryPartBytes(int part);
// The bytes of kFactoryItems[order] (0..13), item->size of them.
ItemBytes FactoryItemBytes(std::size_t order);

}  // namespace settingsfile

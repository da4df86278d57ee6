#include "plugin/settingsfile/SettingsItem.h"

#include <gtest/gtest.h>

#include "tests/settingsfile/SettingsFileTestSupport.h"

using namespace settingsfile;
using settingsfile::test::Hex;

namespace {

const SettingsItem& Item(std::string_view name) {
    const SettingsItem* item = FindItem(name);
    EXPECT_NE(item, nullptr) << name;
    return item != nullptr ? *item : kPluginCnf;
}

std::string Line(const SettingsItem& item, int raw) {
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(raw >> 8),
                                  static_cast<std::uint8_t>(raw)};
    return item.ValueLine(bytes);
}

}  // namespace

TEST(SettingsItem, NamesAreFoundExactly) {
    for (const FileItem& entry : kFileItems) {
        EXPECT_EQ(FindItem(entry.item->Name()), entry.item);
    }
    EXPECT_EQ(Item("nciSetptHumidi").nv, 3);  // not taken for nciSetptHumidity
    EXPECT_EQ(Item("nviPluginCnf").nv, 43);
    EXPECT_EQ(FindItem("nciMaxcool"), nullptr);
    EXPECT_EQ(FindItem("nciMaxCool "), nullptr);
    EXPECT_EQ(FindItem(""), nullptr);
    EXPECT_EQ(kPluginCnf.HeaderLine(12), "* nviPluginCnf     (34) - SNVT_str_int     ** Part 12 ");
}

TEST(SettingsItem, ValueLinesConvertBothWays) {
    const SettingsItem& percent = Item("nciSetptDehumidi");
    const SettingsItem& seconds = Item("nciMaxTimeOn_Mv3");
    const SettingsItem& minutes = Item("nciDelayCoolOn");
    EXPECT_EQ(Hex(percent.BytesOf("70.000").Span()), "36B0");
    EXPECT_EQ(Hex(percent.BytesOf("4.000").Span()), "0320");
    EXPECT_EQ(Hex(seconds.BytesOf("30.0").Span()), "012C");
    EXPECT_EQ(Hex(minutes.BytesOf("5").Span()), "0005");
    EXPECT_EQ(Hex(percent.BytesOf("-1").Span()), "FF38");  // two's complement of -200
    EXPECT_EQ(Hex(percent.BytesOf("").Span()), "0000");
    EXPECT_EQ(Hex(minutes.BytesOf(" 7x").Span()), "0007");
    EXPECT_EQ(Line(percent, 0xFFFF), "327.675");
    EXPECT_EQ(Line(seconds, 55), "5.0");
    EXPECT_EQ(Line(minutes, 65535), "65535");
    // The round trips lose what the text cannot hold (every word of each kind goes through
    // the codec's own tests): 0.005 % steps truncate, seconds keep whole tenths.
    EXPECT_EQ(Line(percent, 29), "0.145");
    EXPECT_EQ(Hex(percent.BytesOf("0.145").Span()), "001C");
    // Only the item's own bytes count: a 31-byte read buffer gives the same line.
    const std::uint8_t buffer[31] = {0x27, 0x10, 0xFF};
    EXPECT_EQ(percent.ValueLine(buffer), "50.000");
    std::uint8_t strInt[31] = {0xFF, 0x00, 0x01};
    EXPECT_EQ(kPluginCnf.ValueLine(strInt), "-1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(Hex(kPluginCnf.BytesOf(kPluginCnf.ValueLine(strInt)).Span()), Hex(strInt));
}

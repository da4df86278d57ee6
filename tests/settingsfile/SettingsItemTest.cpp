#include "plugin/settingsfile/SettingsItem.h"

#include <gtest/gtest.h>

#include "plugin/settingsfile/FactoryDefaults.h"
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

int Raw(const ItemBytes& bytes) {
    return bytes.data[0] << 8 | bytes.data[1];
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
    // Only the item's own bytes count: a 31-byte read buffer gives the same line.
    const std::uint8_t buffer[31] = {0x27, 0x10, 0xFF};
    EXPECT_EQ(percent.ValueLine(buffer), "50.000");
    std::uint8_t strInt[31] = {0xFF, 0x00, 0x01};
    EXPECT_EQ(kPluginCnf.ValueLine(strInt), "-1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(Hex(kPluginCnf.BytesOf(kPluginCnf.ValueLine(strInt)).Span()), Hex(strInt));
}

TEST(SettingsItem, RoundTripLosesOnlyWhatTheFormatCannotHold) {
    const SettingsItem& percent = Item("nciMaxCool");
    const SettingsItem& seconds = Item("nciMinTimeOn_Mv3");
    const SettingsItem& minutes = Item("nciDelayCoolOn");
    int percentLosses = 0;
    for (int raw = 0; raw <= 0xFFFF; ++raw) {
        const int back = Raw(percent.BytesOf(Line(percent, raw)));
        if (back != raw) {
            ASSERT_EQ(back, raw - 1) << raw;  // truncation costs at most one step
            ++percentLosses;
        }
        ASSERT_EQ(Raw(seconds.BytesOf(Line(seconds, raw))), raw / 10 * 10) << raw;
        ASSERT_EQ(Raw(minutes.BytesOf(Line(minutes, raw))), raw) << raw;
    }
    EXPECT_EQ(percentLosses, 4586);
    EXPECT_EQ(Line(percent, 29), "0.145");
    EXPECT_EQ(Raw(percent.BytesOf("0.145")), 28);
    EXPECT_EQ(Raw(percent.BytesOf(Line(percent, 201))), 200);
}

TEST(FactoryDefaults, BytesAndWriteOrder) {
    const std::pair<int, std::string_view> expected[] = {
        {1, "36B0"},  {2, "2EE0"},  {3, "2328"},  {4, "0320"},  {5, "4268"},
        {14, "4E20"}, {20, "3A98"}, {23, "07D0"}, {24, "03E8"}, {11, "0032"},
        {13, "012C"}, {25, ""},     {26, ""},     {27, "0005"},
    };
    ASSERT_EQ(std::size(expected), kFactoryItems.size());
    for (std::size_t i = 0; i < kFactoryItems.size(); ++i) {
        EXPECT_EQ(kFactoryItems[i].item->nv, expected[i].first) << i;
        const ItemBytes bytes = FactoryItemBytes(i);
        EXPECT_EQ(bytes.size, kFactoryItems[i].item->size);
        if (!expected[i].second.empty()) {
            EXPECT_EQ(Hex(bytes.Span()), expected[i].second) << i;
        }
    }
    EXPECT_EQ(Hex(FactoryItemBytes(11).Span()), test::kFactoryNodeItems[11].hex);
    EXPECT_EQ(Hex(FactoryItemBytes(12).Span()), test::kFactoryNodeItems[12].hex);
    EXPECT_EQ(FactoryItemBytes(14).size, 0u);

    // Part 10's third word is the HVAC mode mask; part 6's seventeenth number is dropped.
    const ItemBytes part10 = FactoryPartBytes(10);
    EXPECT_EQ(Hex(std::span(part10.data).subspan(5, 2)), "F83E");
    EXPECT_EQ(kPluginCnf.ValueLine(FactoryPartBytes(6).Span()),
              "0, 5, 10, 5, 168, 168, 168, 168, 168, 168, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(FactoryPartBytes(9).data[0], 9);
    EXPECT_EQ(FactoryPartBytes(1).size, 31u);
    EXPECT_EQ(FactoryPartBytes(0).size, 0u);
    EXPECT_EQ(FactoryPartBytes(13).size, 0u);
}

#include "plugin/codec/NvTextCodec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/crt/Clock.h"
#include "plugin/codec/NvCodec.h"

namespace {

using Bytes = std::array<std::uint8_t, 31>;

Bytes FromText(const std::string& text) {
    const NvTextCodec c;
    Bytes bytes{};
    for (int i = 0; i < 31; ++i) {
        bytes[static_cast<std::size_t>(i)] = c.TextToStrInt(text, i);
    }
    return bytes;
}

}  // namespace

TEST(NvTextCodec, StrIntText) {
    const NvTextCodec c;
    Bytes bytes{};
    bytes[0] = 0x05;
    bytes[2] = 0x01;
    bytes[3] = 0x01;
    bytes[4] = 0x2C;
    EXPECT_EQ(c.StrIntToText(bytes), "5, 1, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n\n");
    bytes[0] = 0xFF;
    EXPECT_EQ(c.StrIntToText(bytes).substr(0, 4), "-1, ");

    EXPECT_EQ(c.TextToStrInt("-1", 0), 0xFF);
    EXPECT_EQ(c.TextToStrInt("255", 0), 0xFF);
    EXPECT_EQ(c.TextToStrInt("7, 1", 2), 0);  // field 1 without a following comma reads 0
    EXPECT_EQ(c.TextToStrInt("7, 1, 2", 2), 1);
    EXPECT_EQ(c.TextToStrInt("7, 1, 2", 31), 0);
    EXPECT_EQ(c.TextToStrInt("7, 1, 2", -1), 0);
    EXPECT_EQ(c.StrIntFieldOffset("7, 1, 2", 0), 0);
    EXPECT_EQ(c.StrIntFieldOffset("7, 1, 2", 2), 6);
    // Part 6 of the factory table has a seventeenth number; field 15 then reads "0, 0".
    const Bytes part6 = FromText("0, 5, 10, 5, 168, 168, 168, 168, 168, 168, 0, 0, 0, 0, 0, 0, 0");
    EXPECT_EQ(part6[9], 0);
    EXPECT_EQ(part6[10], 168);
    EXPECT_EQ(part6[30], 0);
    // Any text is safe and follows the field rules (the StrInt fuzz target); beyond 64 bits the
    // low bits are 0.
    EXPECT_EQ(c.TextToStrInt(std::string(10000, '9'), 0), 0x00);
    EXPECT_EQ(c.TextToStrInt("1, 1e999, 2", 2), 0x00);
}

TEST(NvTextCodec, EveryWordThroughTheFileEncodings) {
    const NvTextCodec c;
    const NvCodec n;
    int percentOneLower = 0;
    for (int w = 0; w < 65536; ++w) {
        const auto hi = static_cast<std::uint8_t>(w >> 8);
        const auto lo = static_cast<std::uint8_t>(w & 0xFF);

        const std::string percent = c.PercentText(hi, lo);
        const int percentBack =
            n.MakeWord(c.ByteFromPercentText(percent, false), c.ByteFromPercentText(percent, true));
        ASSERT_TRUE(percentBack == w || percentBack == w - 1) << percent;
        percentOneLower += percentBack != w;

        const std::string seconds = c.TenthsText(hi, lo);
        ASSERT_EQ(
            n.MakeWord(c.ByteFromTenthsText(seconds, false), c.ByteFromTenthsText(seconds, true)),
            w / 10 * 10);

        const std::string minutes = c.WordText(hi, lo);
        ASSERT_EQ(n.MakeWord(c.ByteFromText(minutes, false), c.ByteFromText(minutes, true)), w);
    }
    EXPECT_EQ(percentOneLower, 4586);
    EXPECT_EQ(c.PercentText(0x00, 29), "0.145\n\n");
    EXPECT_EQ(c.TenthsText(0x00, 0xD7), "21.0\n\n");
    EXPECT_EQ(c.PercentText(0x27, 0x10), "50.000\n\n");
    EXPECT_EQ(c.ByteFromPercentText("70.000", false), 0x36);
    EXPECT_EQ(c.ByteFromPercentText("70.000", true), 0xB0);
    EXPECT_EQ(c.ByteFromTenthsText("30.0", true), 0x2C);
}

TEST(NvTextCodec, DateAndTimeStamps) {
    platform::crt::VirtualClock clock;
    platform::crt::SetCurrentClock(&clock);
    const NvTextCodec c;
    clock.SetLocal({2026, 12, 5, 9, 5, 7});
    EXPECT_EQ(c.DateStamp(), "5/12-2026 ");
    EXPECT_EQ(c.TimeStamp(), "9:05:07");
    clock.SetLocal({2031, 10, 25, 23, 40, 59});
    EXPECT_EQ(c.DateStamp(), "25/10-2031 ");
    EXPECT_EQ(c.TimeStamp(), "23:40:59");
    platform::crt::SetCurrentClock(nullptr);
}

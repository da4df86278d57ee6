#include "plugin/codec/NvCodec.h"

#include <gtest/gtest.h>

#include "plugin/codec/NvBitCodec.h"

TEST(NvCodec, NumbersFromBytes) {
    const NvCodec c;
    EXPECT_EQ(c.MakeWord(0xFF, 0xFF), 65535);
    EXPECT_EQ(c.TenthsOf(0x00, 0xD7), 21);
    EXPECT_EQ(c.TenthsOf(0x00, 0x09), 0);
    EXPECT_EQ(c.SignedByteOf(0x80), -128);
    EXPECT_EQ(c.SignedByteOf(0x7F), 127);
    EXPECT_DOUBLE_EQ(c.TempFromBytes(0x27, 0x10), 100.0);
    EXPECT_DOUBLE_EQ(c.TempFromBytes(0x27, 0x11), -555.35);
    EXPECT_DOUBLE_EQ(c.TempFromBytes(0xFF, 0xFF), -0.01);
    EXPECT_DOUBLE_EQ(c.PercentFromBytes(0x27, 0x10), 50.0);
    EXPECT_DOUBLE_EQ(c.PercentFromBytes(0x80, 0x00), 163.84);
    EXPECT_DOUBLE_EQ(c.PercentFromBytes(0xFF, 0xFF), 327.675);
    EXPECT_DOUBLE_EQ(c.HalfFromBytes(0xFF, 0xFF), 32767.5);
}

TEST(NvCodec, BytesFromNumbersTruncateAndWrap) {
    const NvCodec c;
    EXPECT_EQ(c.HighByteOf(12.99), 0x00);
    EXPECT_EQ(c.LowByteOf(12.99), 0x0C);
    EXPECT_EQ(c.LowByteOf(-0.5), 0x00);
    EXPECT_EQ(c.HighByteOf(-1.0), 0xFF);
    EXPECT_EQ(c.LowByteOf(-1.0), 0xFF);
    EXPECT_EQ(c.ScaledHighByte(50.0, 200), 0x27);
    EXPECT_EQ(c.ScaledLowByte(12.5, 200), 0xC4);
    EXPECT_EQ(c.ScaledLowByte(4.1, 200), 819 & 0xFF);  // 4.1 x 200 lies just below 820
    EXPECT_EQ(c.ScaledLowByte(130, 2), 4);             // 260 keeps its low byte
    EXPECT_EQ(c.ScaledHighByte(70000, 1), 0x11);       // beyond 16 bits loses the upper bits
    EXPECT_EQ(c.LowByteOf(1e300), 0x00);               // unrepresentable: 0x8000000000000000
    EXPECT_EQ(c.HighByteOfInt(-1), 0xFF);
    EXPECT_EQ(c.LowByteOfInt(0x1234), 0x34);
}

TEST(NvBitCodec, BitsCountFromTheMostSignificantAndMirrorRoundTrips) {
    const NvBitCodec c;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        ASSERT_EQ(c.MirrorBits(c.MirrorBits(byte)), byte);
        for (int n = 0; n < 8; ++n) {
            ASSERT_EQ(c.TestBit(c.MirrorBits(byte), n), (b >> n) & 1) << b << " bit " << n;
        }
        EXPECT_EQ(c.SetBit(byte, 8), byte);
        EXPECT_EQ(c.ClearBit(byte, -1), byte);
    }
    EXPECT_EQ(c.MirrorBits(0x04), 0x20);
    EXPECT_EQ(c.TestBit(0x20, 2), 1);
    EXPECT_EQ(c.SetBit(0x00, 0), 0x80);
    EXPECT_EQ(c.ClearBit(0xFF, 7), 0xFE);
    EXPECT_EQ(c.TestBit(0xFF, 9), 0);
}

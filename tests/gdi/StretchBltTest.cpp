#include <gtest/gtest.h>

#include "platform/gdi/CDC.h"

namespace {

// A bitmap whose every pixel has its own colour.
Bitmap Numbered(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.SetPixel(x, y, static_cast<std::uint32_t>(x << 8 | y));
        }
    }
    return bitmap;
}

}  // namespace

TEST(StretchBlt, HalvesClipsAndRefusesWhatItCannotDo) {
    Bitmap source = Numbered(31, 31);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    EXPECT_FALSE(memory.CreateCompatibleDC(nullptr));
    Bitmap* stock = memory.SelectObject(&source);
    ASSERT_NE(stock, nullptr);

    // Doubling, plain copies and bounds the wrong way round are the control's drawing tests.
    // Halving takes every other pixel; pixels off the target are clipped.
    CDC halved(10, 10, 0);
    ASSERT_TRUE(halved.StretchBlt(-5, 5, 15, 15, &memory, 0, 0, 30, 30, SRCCOPY));
    EXPECT_EQ(halved.GetPixel(0, 5), source.GetPixel(10, 0));
    EXPECT_EQ(halved.GetPixel(9, 9), source.GetPixel(28, 8));
    EXPECT_EQ(halved.GetPixel(0, 4), 0u);

    // Only a plain copy with real sizes; a display context takes no bitmap.
    CDC untouched(4, 4, 0);
    EXPECT_FALSE(untouched.StretchBlt(0, 0, 4, 4, &memory, 0, 0, 4, 4, 0x00EE0086));
    EXPECT_FALSE(untouched.StretchBlt(0, 0, -4, 4, &memory, 0, 0, 4, 4, SRCCOPY));
    EXPECT_FALSE(untouched.StretchBlt(0, 0, 4, 4, nullptr, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(untouched.GetPixel(0, 0), 0u);
    EXPECT_EQ(untouched.SelectObject(&source), nullptr);

    EXPECT_EQ(memory.SelectObject(stock), &source);
    EXPECT_EQ(memory.GetSurface()->Width(), 1);
}

TEST(StretchBlt, IntoASixteenColourBitmapTakesTheNearestPaletteColour) {
    Bitmap target(2, 1, std::vector<std::uint32_t>{0x000000, 0xFF0000, 0xFFFFFF});
    Bitmap source(2, 1);
    source.SetPixel(0, 0, 0xE01010);
    source.SetPixel(1, 0, 0xD0D0D0);
    CDC from;
    CDC to;
    ASSERT_TRUE(from.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(to.CreateCompatibleDC(&from));
    from.SelectObject(&source);
    to.SelectObject(&target);
    ASSERT_TRUE(to.StretchBlt(0, 0, 2, 1, &from, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.GetPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(target.GetPixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(target.GetPixel(2, 0), CLR_INVALID);
}

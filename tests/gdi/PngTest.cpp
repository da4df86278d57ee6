#include "platform/gdi/Png.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/gdi/LoadBitmap.h"
#include "plugin/resources/BitmapResources.h"
#include "tests/support/Files.h"

namespace {

std::span<const std::uint8_t> Garbage(int id) {
    static const std::uint8_t bytes[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
    return id == 7 ? bytes : std::span<const std::uint8_t>();
}

}  // namespace

TEST(Png, WrittenBitmapsDecodeToTheSamePixels) {
    const ScratchFolder scratch;
    const std::filesystem::path& folder = scratch.Dir();

    Bitmap colours(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            colours.SetPixel(x, y, 0x010203u * static_cast<std::uint32_t>(x + 5 * y) + 0x400000);
        }
    }
    Bitmap sixteen(17, 2, std::vector<std::uint32_t>{0xC0C0C0, 0x000080, 0xFF0000});
    sixteen.SetPixel(16, 1, 0xFF0000);
    sixteen.SetPixel(3, 0, 0x000080);

    for (const Bitmap* bitmap : {&colours, &sixteen}) {
        const auto file = folder / "round-trip.png";
        ASSERT_EQ(WritePng(*bitmap, file.string()), std::nullopt);
        const std::optional<Bitmap> decoded = DecodePng(AsBytes(ReadFile(file)));
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, *bitmap);
    }

    const std::optional<std::string> error = WritePng(colours, (folder / "no/such.png").string());
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("no/such.png"), std::string::npos) << *error;
    EXPECT_TRUE(WritePng(Bitmap(), (folder / "empty.png").string()).has_value());
}

TEST(Png, MissingOrBrokenResourcesDoNotLoad) {
    SetBitmapResources(nullptr);
    EXPECT_EQ(LoadBitmap(1), std::nullopt);
    SetBitmapResources(&Garbage);
    EXPECT_EQ(LoadBitmap(7), std::nullopt);
    EXPECT_EQ(LoadBitmap(1), std::nullopt);

    // A resource cut short anywhere before its closing chunk (12 bytes) fails to decode.
    const std::span<const std::uint8_t> good = BitmapResource(1);
    for (std::size_t length = 0; length < good.size() - 12; length += 7) {
        EXPECT_EQ(DecodePng(good.first(length)), std::nullopt) << length;
    }
    SetBitmapResources(nullptr);
}

#pragma once
// A bitmap: width x height pixels as 0xRRGGBB, row by row from the top left. A 16-colour
// bitmap also has its palette of at most 16 colours, and every pixel is one of them: a colour
// drawn into it becomes the nearest palette colour, as GDI maps colours on a 4-bit surface.

#include <cstdint>
#include <span>
#include <vector>

// GetPixel's answer for a point outside the bitmap.
constexpr std::uint32_t CLR_INVALID = 0xFFFFFFFF;

class Bitmap {
  public:
    static constexpr std::size_t kMaxPaletteSize = 16;

    Bitmap() = default;
    // A true-colour bitmap filled with one colour.
    Bitmap(int width, int height, std::uint32_t fill = 0);
    // A 16-colour bitmap filled with palette[0]. The palette holds 1 to 16 colours.
    Bitmap(int width, int height, std::vector<std::uint32_t> palette);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsEmpty() const { return m_pixels.empty(); }
    // Empty for a true-colour bitmap.
    const std::vector<std::uint32_t>& Palette() const { return m_palette; }

    // CLR_INVALID outside the bitmap.
    std::uint32_t GetPixel(int x, int y) const;
    // Sets the pixel (ignored outside the bitmap) and returns the colour it got.
    std::uint32_t SetPixel(int x, int y, std::uint32_t rgb);
    std::span<const std::uint32_t> Pixels() const { return m_pixels; }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

  private:
    std::uint32_t Nearest(std::uint32_t rgb) const;

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_palette;
    std::vector<std::uint32_t> m_pixels;
};

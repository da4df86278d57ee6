#include "platform/gdi/Bitmap.h"

#include <limits>
#include <stdexcept>

namespace {

std::size_t Area(int width, int height) {
    if (width < 0 || height < 0) {
        throw std::invalid_argument("a bitmap cannot have a negative size");
    }
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

Bitmap::Bitmap(int width, int height, std::uint32_t fill)
    : m_width(width), m_height(height), m_pixels(Area(width, height), fill & 0xFFFFFF) {}

Bitmap::Bitmap(int width, int height, std::vector<std::uint32_t> palette)
    : m_width(width), m_height(height), m_palette(std::move(palette)) {
    if (m_palette.empty() || m_palette.size() > kMaxPaletteSize) {
        throw std::invalid_argument("a 16-colour bitmap needs 1 to 16 palette colours");
    }
    for (std::uint32_t& colour : m_palette) {
        colour &= 0xFFFFFF;
    }
    m_pixels.assign(Area(width, height), m_palette.front());
}

std::uint32_t Bitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return CLR_INVALID;
    }
    return m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                    static_cast<std::size_t>(x)];
}

std::uint32_t Bitmap::SetPixel(int x, int y, std::uint32_t rgb) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return CLR_INVALID;
    }
    const std::uint32_t colour = m_palette.empty() ? rgb & 0xFFFFFF : Nearest(rgb);
    m_pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
             static_cast<std::size_t>(x)] = colour;
    return colour;
}

std::uint32_t Bitmap::Nearest(std::uint32_t rgb) const {
    const auto channel = [](std::uint32_t colour, int shift) {
        return static_cast<int>((colour >> shift) & 0xFF);
    };
    std::uint32_t best = m_palette.front();
    int bestDistance = std::numeric_limits<int>::max();
    for (const std::uint32_t colour : m_palette) {
        int distance = 0;
        for (const int shift : {16, 8, 0}) {
            const int d = channel(colour, shift) - channel(rgb, shift);
            distance += d * d;
        }
        if (distance < bestDistance) {
            best = colour;
            bestDistance = distance;
        }
    }
    return best;
}

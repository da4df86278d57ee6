#include "platform/gdi/Png.h"

#include <png.h>

#include <vector>

namespace {

// Larger pictures are refused rather than allocated: no bitmap of this program comes close.
constexpr std::size_t kMaxPixels = std::size_t{1} << 26;

// Frees libpng's read state on every path out.
struct ImageGuard {
    png_image& image;
    ~ImageGuard() { png_image_free(&image); }
};

}  // namespace

std::optional<Bitmap> DecodePng(std::span<const std::uint8_t> bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const ImageGuard guard{image};
    if (bytes.empty() ||
        png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        return std::nullopt;
    }
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    if (std::size_t{image.width} * image.height > kMaxPixels) {
        return std::nullopt;
    }
    if ((image.format & PNG_FORMAT_FLAG_COLORMAP) != 0 &&
        image.colormap_entries <= Bitmap::kMaxPaletteSize) {
        image.format = PNG_FORMAT_RGB_COLORMAP;
        std::vector<png_byte> indices(PNG_IMAGE_SIZE(image));
        std::vector<png_byte> colormap(PNG_IMAGE_COLORMAP_SIZE(image));
        if (png_image_finish_read(&image, nullptr, indices.data(), 0, colormap.data()) == 0) {
            return std::nullopt;
        }
        // Reading may add colours (say, for transparency); past 16 it is a true-colour bitmap.
        std::vector<std::uint32_t> palette(image.colormap_entries);
        for (std::size_t i = 0; i < palette.size(); ++i) {
            palette[i] = std::uint32_t{colormap[3 * i]} << 16 |
                         std::uint32_t{colormap[3 * i + 1]} << 8 | colormap[3 * i + 2];
        }
        Bitmap bitmap = palette.size() <= Bitmap::kMaxPaletteSize ? Bitmap(width, height, palette)
                                                                  : Bitmap(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const png_byte index = indices[static_cast<std::size_t>(y * width + x)];
                if (index >= palette.size()) {
                    return std::nullopt;
                }
                bitmap.SetPixel(x, y, palette[index]);
            }
        }
        return bitmap;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        return std::nullopt;
    }
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = 3 * static_cast<std::size_t>(y * width + x);
            bitmap.SetPixel(
                x, y, std::uint32_t{rgb[at]} << 16 | std::uint32_t{rgb[at + 1]} << 8 | rgb[at + 2]);
        }
    }
    return bitmap;
}

std::optional<std::string> WritePng(const Bitmap& bitmap, const std::string& path) {
    const std::string failure = "cannot write PNG file " + path + ": ";
    if (bitmap.IsEmpty()) {
        return failure + "the bitmap is empty";
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.Width());
    image.height = static_cast<png_uint_32>(bitmap.Height());
    const std::vector<std::uint32_t>& palette = bitmap.Palette();
    std::vector<png_byte> pixels;
    std::vector<png_byte> colormap;
    const auto put = [](std::vector<png_byte>& out, std::uint32_t rgb) {
        out.push_back(static_cast<png_byte>(rgb >> 16));
        out.push_back(static_cast<png_byte>(rgb >> 8));
        out.push_back(static_cast<png_byte>(rgb));
    };
    if (palette.empty()) {
        image.format = PNG_FORMAT_RGB;
        for (const std::uint32_t rgb : bitmap.Pixels()) {
            put(pixels, rgb);
        }
    } else {
        image.format = PNG_FORMAT_RGB_COLORMAP;
        image.colormap_entries = static_cast<png_uint_32>(palette.size());
        for (const std::uint32_t rgb : palette) {
            put(colormap, rgb);
        }
        for (const std::uint32_t rgb : bitmap.Pixels()) {
            std::size_t index = 0;
            while (palette[index] != rgb) {  // every pixel of the bitmap is in its palette
                ++index;
            }
            pixels.push_back(static_cast<png_byte>(index));
        }
    }
    const int written = png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0,
                                                colormap.empty() ? nullptr : colormap.data());
    std::optional<std::string> error;
    if (written == 0) {
        error = failure + image.message;
    }
    png_image_free(&image);
    return error;
}

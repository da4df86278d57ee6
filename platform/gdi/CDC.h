#pragma once
// A device context: something to draw on. A display context owns a true-colour surface of a
// given size (the host's window, or the picture `qma7 draw` saves); a memory context, made by
// CreateCompatibleDC, draws on the bitmap selected into it.

#include <cstdint>
#include <optional>

#include "platform/gdi/Bitmap.h"

// The raster operation of a plain source copy, the only one supported.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;

class CDC {
  public:
    // Not yet a device context: CreateCompatibleDC makes it a memory context.
    CDC() = default;
    // A display context with a width x height surface filled with background (0xRRGGBB).
    CDC(int width, int height, std::uint32_t background = 0xFFFFFF);
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Makes this a memory context compatible with pDC (null: the screen). It starts with a
    // 1 x 1 stock bitmap selected. Fails when this is a device context already.
    bool CreateCompatibleDC(CDC* pDC);
    // Selects bitmap into a memory context and returns the bitmap selected before, to be
    // selected back when done. Null (nothing changed) for a null bitmap or a display context.
    // The bitmap must outlive its selection.
    Bitmap* SelectObject(Bitmap* bitmap);

    // Copies the srcWidth x srcHeight rectangle at (xSrc, ySrc) of pSrcDC into the width x
    // height rectangle at (x, y), scaling by nearest neighbour: each target pixel takes the
    // source pixel its position maps onto, so doubling repeats every pixel twice each way.
    // Pixels outside either surface are skipped. Fails for rop other than SRCCOPY, a missing
    // source and sizes that are not positive (no mirroring).
    bool StretchBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, std::uint32_t rop);

    // CLR_INVALID outside the surface or without one.
    std::uint32_t GetPixel(int x, int y) const;
    // Returns the colour the pixel got; CLR_INVALID outside the surface or without one.
    std::uint32_t SetPixel(int x, int y, std::uint32_t rgb);

    // The pixels this context draws on; null before it is created.
    const Bitmap* GetSurface() const { return m_surface; }

  private:
    enum class Kind { None, Display, Memory };

    Kind m_kind = Kind::None;
    Bitmap m_own;  // a display context's surface, or a memory context's stock bitmap
    Bitmap* m_surface = nullptr;
};

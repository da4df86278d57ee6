#include "platform/gdi/CDC.h"

#include <algorithm>

CDC::CDC(int width, int height, std::uint32_t background)
    : m_kind(Kind::Display), m_own(width, height, background), m_surface(&m_own) {}

bool CDC::CreateCompatibleDC(CDC* /*pDC*/) {
    if (m_kind != Kind::None) {
        return false;
    }
    m_kind = Kind::Memory;
    m_own = Bitmap(1, 1);
    m_surface = &m_own;
    return true;
}

Bitmap* CDC::SelectObject(Bitmap* bitmap) {
    if (bitmap == nullptr || m_kind != Kind::Memory) {
        return nullptr;
    }
    Bitmap* previous = m_surface;
    m_surface = bitmap;
    return previous;
}

bool CDC::StretchBlt(int x, int y, int width, int height, CDC* pSrcDC, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, std::uint32_t rop) {
    if (rop != SRCCOPY || pSrcDC == nullptr || pSrcDC->m_surface == nullptr ||
        m_surface == nullptr || width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
        return false;
    }
    // Copying within one surface reads the pixels as they were before the copy.
    std::optional<Bitmap> before;
    if (pSrcDC->m_surface == m_surface) {
        before = *m_surface;
    }
    const Bitmap& source = before ? *before : *pSrcDC->m_surface;
    // Only the target pixels on the surface are visited.
    const int firstY = std::max(0, -y);
    const int endY = std::min(height, m_surface->Height() - y);
    const int firstX = std::max(0, -x);
    const int endX = std::min(width, m_surface->Width() - x);
    for (int dy = firstY; dy < endY; ++dy) {
        const auto sy = static_cast<int>(ySrc + std::int64_t{dy} * srcHeight / height);
        for (int dx = firstX; dx < endX; ++dx) {
            const auto sx = static_cast<int>(xSrc + std::int64_t{dx} * srcWidth / width);
            const std::uint32_t colour = source.GetPixel(sx, sy);
            if (colour != CLR_INVALID) {
                m_surface->SetPixel(x + dx, y + dy, colour);
            }
        }
    }
    return true;
}

std::uint32_t CDC::GetPixel(int x, int y) const {
    return m_surface == nullptr ? CLR_INVALID : m_surface->GetPixel(x, y);
}

std::uint32_t CDC::SetPixel(int x, int y, std::uint32_t rgb) {
    return m_surface == nullptr ? CLR_INVALID : m_surface->SetPixel(x, y, rgb);
}

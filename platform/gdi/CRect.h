#pragma once
// A rectangle in device pixels: left and top inside, right and bottom just outside.

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }

    // Swaps the sides where right < left or bottom < top, so that width and height are >= 0.
    constexpr void NormalizeRect() {
        if (right < left) {
            const int l = left;
            left = right;
            right = l;
        }
        if (bottom < top) {
            const int t = top;
            top = bottom;
            bottom = t;
        }
    }

    friend constexpr bool operator==(const CRect&, const CRect&) = default;
};

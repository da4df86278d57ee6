#include "host/tui/CellGrid.h"

#include <algorithm>

#include "host/tui/Utf8.h"

namespace host::tui {

CellGrid::CellGrid(int width, int height)
    : m_width(std::max(0, width)),
      m_height(std::max(0, height)),
      m_chars(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), U' '),
      m_styles(m_chars.size(), Style::Plain) {}

char32_t CellGrid::At(int x, int y) const {
    return Contains(x, y) ? m_chars[Index(x, y)] : U' ';
}

Style CellGrid::StyleAt(int x, int y) const {
    return Contains(x, y) ? m_styles[Index(x, y)] : Style::Plain;
}

void CellGrid::Put(int x, int y, char32_t c, Style style) {
    if (!Contains(x, y)) {
        return;
    }
    c = Printable(c);
    int width = CellWidth(c);
    if (width == 0) {
        return;  // a combining mark: the cell before keeps its character alone
    }
    if (width == 2 && !Contains(x + 1, y)) {
        c = U' ';  // half a wide character cannot be shown
        width = 1;
    }
    Vacate(x, y);
    m_chars[Index(x, y)] = c;
    m_styles[Index(x, y)] = style;
    if (width == 2) {
        Vacate(x + 1, y);
        m_chars[Index(x + 1, y)] = kWideTail;
        m_styles[Index(x + 1, y)] = style;
    }
}

void CellGrid::Vacate(int x, int y) {
    // A wide character loses both its cells when either is written over.
    const char32_t c = m_chars[Index(x, y)];
    if (c == kWideTail && x > 0) {
        m_chars[Index(x - 1, y)] = U' ';
    } else if (c != kWideTail && CellWidth(c) == 2 && Contains(x + 1, y)) {
        m_chars[Index(x + 1, y)] = U' ';
    }
}

void CellGrid::SetStyle(int x, int y, Style style) {
    if (Contains(x, y)) {
        m_styles[Index(x, y)] = style;
    }
}

int CellGrid::Text(int x, int y, std::u32string_view text, Style style, int maxWidth) {
    int cells = 0;
    for (const char32_t c : text) {
        const int width = CellWidth(Printable(c));
        if (maxWidth >= 0 && cells + width > maxWidth) {
            break;
        }
        Put(x + cells, y, c, style);
        cells += width;
    }
    return cells;
}

int CellGrid::Text(int x, int y, std::string_view utf8, Style style, int maxWidth) {
    return Text(x, y, DecodeUtf8(utf8), style, maxWidth);
}

void CellGrid::Fill(int x, int y, int width, int height, char32_t c, Style style) {
    for (int row = y; row < y + height; ++row) {
        for (int col = x; col < x + width; ++col) {
            Put(col, row, c, style);
        }
    }
}

std::string CellGrid::Rows() const {
    std::string out;
    for (int y = 0; y < m_height; ++y) {
        std::u32string row;
        for (int x = 0; x < m_width; ++x) {
            if (const char32_t c = m_chars[Index(x, y)]; c != kWideTail) {
                row += c;
            }
        }
        out += EncodeUtf8(row) + '\n';
    }
    return out;
}

std::string CellGrid::StyleRows() const {
    std::string out;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            out += static_cast<char>(m_styles[Index(x, y)]);
        }
        out += '\n';
    }
    return out;
}

const Glyphs& Glyphs::Unicode() {
    static const Glyphs glyphs{U'─', U'│', U'┌', U'┐', U'└', U'┘', U'│', true};
    return glyphs;
}

const Glyphs& Glyphs::Ascii() {
    static const Glyphs glyphs{U'-', U'|', U'+', U'+', U'+', U'+', U'|', false};
    return glyphs;
}

void DrawFrame(CellGrid& grid, int x, int y, int width, int height, const Glyphs& glyphs,
               Style style, std::u32string_view title, Style titleStyle) {
    if (width < 2 || height < 2) {
        return;
    }
    const int right = x + width - 1;
    const int bottom = y + height - 1;
    for (int col = x + 1; col < right; ++col) {
        grid.Put(col, y, glyphs.horizontal, style);
        grid.Put(col, bottom, glyphs.horizontal, style);
    }
    for (int row = y + 1; row < bottom; ++row) {
        grid.Put(x, row, glyphs.vertical, style);
        grid.Put(right, row, glyphs.vertical, style);
    }
    grid.Put(x, y, glyphs.topLeft, style);
    grid.Put(right, y, glyphs.topRight, style);
    grid.Put(x, bottom, glyphs.bottomLeft, style);
    grid.Put(right, bottom, glyphs.bottomRight, style);
    if (title.empty() || width < 3) {
        return;
    }
    // "┌─ Title ──┐" where it fits, else with less around the title, else the title cut.
    const int length = CellWidth(title);
    if (length <= width - 6) {
        grid.Put(x + 2, y, U' ', titleStyle);
        grid.Text(x + 3, y, title, titleStyle);
        grid.Put(x + 3 + length, y, U' ', titleStyle);
    } else if (length <= width - 4) {
        grid.Put(x + 1, y, U' ', titleStyle);
        grid.Text(x + 2, y, title, titleStyle);
        grid.Put(x + 2 + length, y, U' ', titleStyle);
    } else {
        grid.Text(x + 1, y, title, titleStyle, width - 2);
    }
}

void DrawButton(CellGrid& grid, int x, int y, int width, std::u32string_view caption, Style style) {
    // "<  Caption  >" where it fits; a longer caption loses the blanks, then the brackets.
    grid.Fill(x, y, width, 1, U' ', style);
    const int length = CellWidth(caption);
    const int brackets = length <= width - 2 ? 1 : 0;
    if (brackets != 0) {
        grid.Put(x, y, U'<', style);
        grid.Put(x + width - 1, y, U'>', style);
    }
    const int room = length <= width - 4 ? width - 4 : width - 2 * brackets;
    const int shown = std::min(room, length);
    grid.Text(x + (width - shown) / 2, y, caption, style, room);
}

}  // namespace host::tui

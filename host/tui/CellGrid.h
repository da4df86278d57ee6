#pragma once
// The screen as a plain grid of cells: the characters in one block, the style of each cell in a
// second one. Views draw into it; the terminal only copies it; tests compare it as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::tui {

// What a cell shows, not how: the terminal chooses colours and attributes per style. The
// letters are the style map's characters in snapshots.
enum class Style : char {
    Plain = ' ',
    Frame = 'r',      // frames and rules
    Dim = 'd',        // a disabled control
    Field = 'e',      // an edit field the user may type in
    Display = 'v',    // a read-only field: a value the node reports
    Button = 'b',     // a push button
    Focus = 'F',      // the control that takes the keys
    Selected = 'S',   // text that typing replaces
    Differs = '!',    // a field whose value came back different from what was typed
    Tab = 't',        // a tab of the tab row
    ActiveTab = 'A',  // the tab in front
    Box = 'x',        // a message box or file dialog
    Status = 's',     // the status line
    Title = 'T',      // a title: the sheet's, a box's
};

struct CellPos {
    int x = 0;
    int y = 0;
    bool operator==(const CellPos&) const = default;
};

class CellGrid {
  public:
    CellGrid(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    // The right half of a wide character, whose left half is the cell before.
    static constexpr char32_t kWideTail = 0;

    char32_t At(int x, int y) const;
    Style StyleAt(int x, int y) const;

    // Cells outside the grid are ignored, so views may draw partly off-screen. A wide
    // character takes this cell and the next; what cannot be shown is made printable.
    void Put(int x, int y, char32_t c, Style style);
    void SetStyle(int x, int y, Style style);
    // Writes text from (x, y) on one row, at most maxWidth cells (negative: no limit), a wide
    // character that does not fit left out; the number of cells written.
    int Text(int x, int y, std::u32string_view text, Style style, int maxWidth = -1);
    int Text(int x, int y, std::string_view utf8, Style style, int maxWidth = -1);
    void Fill(int x, int y, int width, int height, char32_t c, Style style);

    // Where the terminal's cursor stands; none: hidden.
    const std::optional<CellPos>& Cursor() const { return m_cursor; }
    void SetCursor(std::optional<CellPos> cursor) { m_cursor = cursor; }

    // The characters, one UTF-8 line per row, trailing blanks kept; a wide character once.
    std::string Rows() const;
    // The style letters, one line per row.
    std::string StyleRows() const;

  private:
    void Vacate(int x, int y);
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
               static_cast<std::size_t>(x);
    }

    int m_width;
    int m_height;
    std::u32string m_chars;
    std::vector<Style> m_styles;
    std::optional<CellPos> m_cursor;
};

// The characters a screen draws with: box-drawing characters where the locale can show them,
// plain ASCII elsewhere.
struct Glyphs {
    char32_t horizontal;
    char32_t vertical;
    char32_t topLeft;
    char32_t topRight;
    char32_t bottomLeft;
    char32_t bottomRight;
    char32_t separator;  // between tabs and status items
    bool unicode;

    static const Glyphs& Unicode();
    static const Glyphs& Ascii();
};

// A frame of width x height cells, with title on its top edge when given.
void DrawFrame(CellGrid& grid, int x, int y, int width, int height, const Glyphs& glyphs,
               Style style, std::u32string_view title = {}, Style titleStyle = Style::Frame);

// A push button "<  Caption  >" of width cells on one row, the caption centred; a caption
// too long for that drops the blanks, then the brackets.
void DrawButton(CellGrid& grid, int x, int y, int width, std::u32string_view caption, Style style);

}  // namespace host::tui

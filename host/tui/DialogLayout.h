#pragma once
// Dialog units to cells. A cell is far coarser than a dialog unit and every letter takes one, so
// a template cannot simply be scaled: a label drawn in a proportional font at 4 units a letter
// needs more cells than its width gives, and 200 units of height do not fit the rows of a
// standard terminal. The layout keeps what the template says about its controls (what lies
// left of, above or inside what, which edges line up, which controls share a line), gives each
// control the cells its text needs, and then spaces the controls as the template does, as far as
// the room allows: at most one column per 4 units and one row per 8, at the least as tight as a
// clean drawing allows (a blank around every frame, a blank between neighbours on a line).

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/DialogTemplate.h"

namespace host::tui {

struct CellRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool operator==(const CellRect&) const = default;
};

class DialogLayout {
  public:
    // The layout in at most columns x rows cells, spaced as close to the template's own
    // proportions as that room allows; the tightest layout when even that does not fit.
    DialogLayout(const DialogTemplate& dialog, int columns, int rows);
    // The tightest layout, and the one at the template's own proportions.
    static DialogLayout Tightest(const DialogTemplate& dialog) { return {dialog, 0, 0}; }
    static DialogLayout Natural(const DialogTemplate& dialog);

    // The cells of a control (by its index in template order) relative to the dialog's top-left
    // cell; an icon has none.
    const CellRect& Cells(int index) const { return m_cells[static_cast<std::size_t>(index)]; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    bool Fits() const { return m_fits; }
    // The controls in the order a person reads them: top to bottom, left to right, a group box
    // before what it holds and all it holds before what follows it.
    const std::vector<int>& ReadingOrder() const { return m_reading; }
    // The innermost group box around a control, or -1.
    int Parent(int index) const { return m_parents[static_cast<std::size_t>(index)]; }

  private:
    std::vector<CellRect> m_cells;
    std::vector<int> m_parents;
    std::vector<int> m_reading;
    int m_columns = 1;
    int m_rows = 1;
    bool m_fits = true;
};

// Text broken into lines at "\n", each line wrapped at blanks to width cells; a word longer
// than a line is cut.
std::vector<std::u32string> WrapText(std::u32string_view text, int width);
// The lines of a text that breaks them itself, joined by blanks.
std::u32string JoinedLines(std::u32string_view text);

}  // namespace host::tui

#pragma once
// Dialog units to cells: one cell is 4 dialog units wide and 8 high. Controls of one line
// (buttons, radio buttons, check boxes, fields) sit on the row of their vertical centre; labels
// keep their height in rows; a group box's frame runs along its caption's row and its last row.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/DialogTemplate.h"

namespace host::tui {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;

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

// The cells of a control, relative to its dialog's top-left cell.
CellRect ControlCells(const ControlTemplate& control);
// A dialog's size in cells.
int DialogColumns(const DialogTemplate& dialog);
int DialogRows(const DialogTemplate& dialog);

// Text broken into lines at "\n", each line wrapped at blanks to width cells; a word longer
// than a line is cut.
std::vector<std::u32string> WrapText(std::u32string_view text, int width);

}  // namespace host::tui

#pragma once
// A layer of the screen: the sheet, a modal dialog, a message box, a file dialog. The top layer
// takes the input; every layer draws itself centred in the area it is given.

#include <string>

#include "host/tui/CellGrid.h"
#include "host/tui/DialogLayout.h"
#include "host/tui/InputEvent.h"

class CWnd;

namespace host::tui {

class View {
  public:
    virtual ~View() = default;
    // The cells the layer needs; a smaller screen shows a message instead.
    virtual int Columns() const = 0;
    virtual int Rows() const = 0;
    virtual void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) = 0;
    virtual void Handle(const InputEvent& event) = 0;
    // Whether a change of window shows on this layer (and so must be painted at once).
    virtual bool Shows(const CWnd& /*window*/) const { return false; }
    // A notice for the status line that the last input brought about, once.
    virtual std::string TakeNotice() { return {}; }
};

// The top-left cell of a block of width x height centred in area.
inline CellPos Centre(const CellRect& area, int width, int height) {
    return {area.x + (area.width - width > 0 ? (area.width - width) / 2 : 0),
            area.y + (area.height - height > 0 ? (area.height - height) / 2 : 0)};
}

// A box drawn over another layer keeps a blank around it, so that its frame neither touches nor
// shares a line with what lies under it.
inline void ClearAround(CellGrid& grid, CellPos at, int width, int height) {
    grid.Fill(at.x - 1, at.y - 1, width + 2, height + 2, U' ', Style::Plain);
}

}  // namespace host::tui

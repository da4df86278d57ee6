#pragma once
// A one-line text field being edited: its text, the cursor, how far the text is scrolled and
// whether the whole text is selected (so that typing replaces it). Keys edit it; Draw shows it
// between brackets, scrolled so that the cursor stays in view. The dialog view's fields and the
// file dialog's name field are both edited with it.

#include <cstddef>
#include <optional>
#include <string>

#include "host/tui/CellGrid.h"
#include "host/tui/InputEvent.h"

namespace host::tui {

class LineEditor {
  public:
    const std::u32string& Text() const { return m_text; }
    // A text from elsewhere (the model may change it): the cursor and selection stay where
    // they can.
    void Sync(std::u32string text);
    // A text to edit, the cursor after it, selected whole or not; unscrolled unless it is the
    // same field again.
    void Start(std::u32string text, bool selectAll, bool sameField = false);
    // The cursor under a cell of the field's text (0: the first shown).
    void PlaceCursor(int column);

    // Whether the key edits a field: typing, Backspace, Delete, Ctrl-U, Left, Right, Home, End.
    static bool IsEditKey(const InputEvent& event);
    // Applies an edit key; true for one that edits the text (not a cursor move).
    bool Edit(const InputEvent& event);

    // The field in width cells from (x, y): brackets, the text scrolled as it was when focused
    // last (focused, so that the cursor shows), in mask letters where given, the selection;
    // focused, the grid's cursor. mark, where given, takes the last cell inside the brackets.
    void Draw(CellGrid& grid, int x, int y, int width, Style style, bool focused,
              std::optional<char32_t> mask = std::nullopt,
              std::optional<char32_t> mark = std::nullopt);

  private:
    std::u32string m_text;
    std::size_t m_cursor = 0;  // in code points
    std::size_t m_scroll = 0;  // the first code point shown
    bool m_selectAll = false;
};

}  // namespace host::tui

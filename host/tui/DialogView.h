#pragma once
// Draws a dialog's controls from their template and state, and plays the user on them: the
// keyboard focus in reading order (a group of radio buttons is one stop), typing into fields,
// clicks. Every action goes through the dialog model: ClickControl and SetWindowText.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/tui/CellGrid.h"
#include "host/tui/DialogLayout.h"
#include "host/tui/InputEvent.h"
#include "host/tui/LineEditor.h"
#include "host/tui/ReadBackCheck.h"

class CDialog;
class CWnd;

namespace host::tui {

class DialogView {
  public:
    explicit DialogView(CDialog& dialog) : m_dialog(&dialog) {}

    CDialog& Dialog() const { return *m_dialog; }

    // Lays the controls out in at most columns x rows cells; until then they take the
    // template's own proportions.
    void Arrange(int columns, int rows);
    const DialogLayout& Layout() const;

    // Draws the controls with the dialog's top-left cell at origin; focused: this dialog holds
    // the keyboard focus, so the focused control is highlighted and a field shows its cursor.
    void Render(CellGrid& grid, CellPos origin, const Glyphs& glyphs, bool focused);

    // The controls that Tab stops at, in reading order, as indexes into the dialog's controls.
    std::vector<int> Stops() const;
    std::optional<int> Focused() const { return m_focus; }
    bool HasStops() const { return !Stops().empty(); }
    void FocusFirst();
    void FocusLast();
    // Moves to the next or previous stop; false, with the focus unchanged, past the last or
    // before the first.
    bool FocusNext(bool forward);
    // Focus from the keyboard selects a field's whole text, so that typing replaces it.
    void FocusControl(int index, bool fromKeyboard);
    // After the model changed: a focus on a control that is now disabled or hidden moves on.
    void Normalize();
    bool FocusIsField() const;

    // Keys for the focused control; false when the key is not for it.
    bool HandleKey(const InputEvent& event);
    // A press on cell (x, y) relative to the dialog; false when no control is there.
    bool HandleClick(int x, int y);
    // After a Write that followed typing: how many typed fields came back different, once.
    std::optional<int> TakeReadBack();
    // How many fields were typed into and not written since (password fields aside).
    int TypedNotWritten() const { return m_typed.Pending(); }

    // Display fields dimmed: their values may no longer be current.
    void SetStale(bool stale) { m_stale = stale; }

  private:
    const CWnd* Control(int index) const;
    bool IsStop(int index) const;
    bool IsField(int index) const;
    bool IsRadio(int index) const;
    // The radio buttons of one group: a run of radio buttons in template order inside the
    // same group box.
    std::vector<int> RadioGroup(int index) const;
    int EnclosingGroupBox(int index) const;
    // The stop that stands for a control: a radio group's focused, checked or first button.
    std::optional<int> StopFor(int index) const;
    void RenderControl(CellGrid& grid, int index, CellPos origin, const Glyphs& glyphs,
                       bool hasFocus);
    void RenderField(CellGrid& grid, int index, int x, int y, bool hasFocus);
    void Click(int index);
    void Edit(const InputEvent& event);

    CDialog* m_dialog;
    ReadBackCheck m_typed;
    std::optional<int> m_readBack;
    mutable std::optional<DialogLayout> m_layout;
    std::pair<int, int> m_arranged{-1, -1};
    std::optional<int> m_focus;
    LineEditor m_editor;  // of the focused field
    bool m_stale = false;
};

}  // namespace host::tui

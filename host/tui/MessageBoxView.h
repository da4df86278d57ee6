#pragma once
// A message box on the screen: centred, its title on the frame, the text wrapped, the buttons
// in a row. Enter answers with the focused button, Esc with Cancel (or OK when that is the
// only button), a button's first letter with that button; the mouse clicks a button.

#include <optional>
#include <string>
#include <vector>

#include "host/tui/View.h"
#include "platform/ui/MessageBox.h"

namespace host::tui {

class MessageBoxView final : public View {
  public:
    explicit MessageBoxView(MessageBoxRequest box);

    int Columns() const override;
    int Rows() const override;
    void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) override;
    void Handle(const InputEvent& event) override;

    // The answer (IDOK, IDYES, ...) once the user gave it.
    std::optional<int> Answer() const { return m_answer; }
    int FocusedAnswer() const { return m_answers[m_focus]; }

  private:
    std::u32string Title() const;
    std::vector<std::u32string> Lines() const;
    int ButtonsWidth() const;
    int InnerWidth() const;

    MessageBoxRequest m_box;
    std::vector<int> m_answers;
    std::size_t m_focus = 0;
    std::optional<int> m_answer;
    std::vector<CellRect> m_buttonCells;  // of the last Render, for the mouse
};

}  // namespace host::tui

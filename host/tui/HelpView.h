#pragma once
// The guide on F1: the keys, and what a technician asks at the sheet (what each tab sets, the
// page password, how long the file actions take, which values a field takes), laid out in two
// columns, a key or subject and its description, and scrolled when the screen is short. Keys
// that scroll scroll; any other key closes it.

#include <string>
#include <vector>

#include "host/tui/View.h"

namespace host::tui {

class HelpView final : public View {
  public:
    // tabs: the captions of the sheet's tabs, in their order.
    explicit HelpView(std::vector<std::string> tabs = {}) : m_tabs(std::move(tabs)) {}

    int Columns() const override;
    int Rows() const override;
    void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) override;
    void Handle(const InputEvent& event) override;
    bool Closed() const { return m_closed; }

    // The guide's lines at a width of text; ascii: as a terminal without Unicode shows them.
    std::vector<std::u32string> Lines(int width, bool ascii = false) const;

  private:
    void Scroll(int rows);

    std::vector<std::string> m_tabs;
    int m_top = 0;
    int m_shown = 1;  // rows of text in the last Render
    int m_total = 0;  // lines of the guide in the last Render
    bool m_closed = false;
};

}  // namespace host::tui

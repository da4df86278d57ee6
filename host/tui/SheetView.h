#pragma once
// The property sheet on the screen: a row of tabs, the page of the tab in front inside a frame,
// and the sheet's own buttons under it at their template positions. Tabs scroll sideways when
// the row cannot hold them all.

#include <optional>
#include <vector>

#include "host/tui/DialogView.h"
#include "host/tui/View.h"

class CPropertySheet;

namespace host::tui {

class SheetView final : public View {
  public:
    explicit SheetView(CPropertySheet& sheet);

    int Columns() const override;
    int Rows() const override;
    void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) override;
    void Handle(const InputEvent& event) override;
    bool Shows(const CWnd& window) const override;

    // Where the keyboard focus is: the tab row, the page or one of the sheet's buttons.
    enum class Area { Tabs, Page, Buttons };
    Area FocusArea() const { return m_area; }
    const DialogView* Page() const { return m_page ? &*m_page : nullptr; }
    // The sheet button with the focus (Area::Buttons), by id.
    int FocusedButton() const { return m_button; }

  private:
    struct TabSpan {
        int index;
        int x;
        int width;
    };

    void SyncPage();
    void SwitchTo(int index, bool focusTabs);
    void Move(bool forward);
    void FocusPageOrTabs(bool first);
    std::vector<int> ButtonStops() const;
    void PressButton(int id);
    void HandleMouse(const InputEvent& event);
    void LayoutTabs(int width);

    int PageColumns() const;
    int PageRows() const;
    int ButtonsRow() const;  // relative to the page's top row

    CPropertySheet& m_sheet;
    std::optional<DialogView> m_page;
    int m_pageIndex = -1;
    Area m_area = Area::Tabs;
    int m_button = 0;
    bool m_started = false;

    // The layout of the last Render, for the mouse.
    CellPos m_origin;
    int m_firstTab = 0;
    std::vector<TabSpan> m_tabs;
    bool m_moreLeft = false;
    bool m_moreRight = false;
};

}  // namespace host::tui

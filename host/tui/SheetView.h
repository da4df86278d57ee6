#pragma once
// The property sheet on the screen: a row of tabs, the page of the tab in front, and the sheet's
// own buttons under it. The page gets a frame where the screen has the rows for it (a standard
// 80 x 24 terminal has not: the tallest page takes every row but the tabs, the Exit row, the
// status line and a blank row on either side). Tabs scroll sideways when the row cannot hold
// them all.

#include <optional>
#include <string>
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
    std::string TakeNotice() override;
    // Whether the values shown may no longer be current (the node stopped answering): the
    // page's display fields are drawn dimmed until it answers again.
    void SetStale(bool stale) { m_stale = stale; }

    // Where the keyboard focus is: the tab row, the page or one of the sheet's buttons.
    enum class Area { Tabs, Page, Buttons };
    Area FocusArea() const { return m_area; }
    const DialogView* Page() const { return m_page ? &*m_page : nullptr; }
    // The sheet button with the focus (Area::Buttons), by id.
    int FocusedButton() const { return m_button; }
    // The page's top-left cell in the last Render.
    CellPos PageOrigin() const { return m_pageOrigin; }

  private:
    struct TabSpan {
        int index;
        int x;
        int width;
    };

    void SyncPage();
    void SwitchTo(int index);
    void Move(bool forward);
    void FocusPageOrTabs(bool first);
    std::vector<int> ButtonStops() const;
    // Presses a sheet button; Exit asks first when typed fields were not written.
    void PressButton(int id);
    // Whether what was typed into the page and not written may go: asks when there is any.
    bool MayDropTyped(bool exiting);
    // The keys of the whole sheet (Exit, tabs, Tab); false for a key of the focused area.
    bool HandleSheetKey(const InputEvent& event);
    void HandleAreaKey(const InputEvent& event);
    void HandleMouse(const InputEvent& event);
    // A focus on what went away (a disabled control or button) returns to the tab row.
    void NormalizeFocus();
    void RenderTabs(CellGrid& grid, const Glyphs& glyphs);
    void RenderButtons(CellGrid& grid) const;
    void LayoutTabs(int width);

    // The pages' sizes: the tightest that every page fits into, and the largest that a page
    // takes at its template's own proportions.
    struct PageSizes {
        int tightColumns = 1;
        int tightRows = 1;
        int naturalColumns = 1;
        int naturalRows = 1;
    };
    const PageSizes& Sizes() const;
    // The cells of the sheet's buttons, in the order of Buttons(), relative to the sheet.
    std::vector<CellRect> ButtonRow() const;
    int ButtonsWidth() const;

    CPropertySheet& m_sheet;
    mutable std::optional<PageSizes> m_sizes;
    mutable int m_sizedPages = -1;
    std::optional<DialogView> m_page;
    int m_pageIndex = -1;
    Area m_area = Area::Tabs;
    int m_button = 0;
    bool m_started = false;

    // The layout of the last Render, for the mouse.
    CellPos m_origin;
    CellPos m_pageOrigin;
    int m_width = 0;
    int m_pageColumns = 0;
    int m_buttonsRow = 0;
    int m_firstTab = 0;
    std::vector<TabSpan> m_tabs;
    bool m_moreLeft = false;
    bool m_moreRight = false;
    bool m_stale = false;
};

}  // namespace host::tui

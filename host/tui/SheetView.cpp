#include "host/tui/SheetView.h"

#include <algorithm>

#include "host/tui/Utf8.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PropertySheet.h"

namespace host::tui {

namespace {

constexpr int kTabRow = 0;
// Around the page: a blank, or a blank inside a frame.
constexpr int kMargin = 1;
constexpr int kFramedMargin = 2;
constexpr int kButtonGap = 2;

// After a Write, how many of the fields typed into came back different.
constexpr char kFieldDiffers[] = " field came back different";
constexpr char kFieldsDiffer[] = " fields came back different";
// Before Exit or another tab drops what was typed into the page and not written.
constexpr char kFieldTyped[] = " field typed and not written. ";
constexpr char kFieldsTyped[] = " fields typed and not written. ";
constexpr char kExitAnyway[] = "Exit anyway?";
constexpr char kLeaveAnyway[] = "Leave the tab anyway?";

int ButtonWidth(const CWnd& button) {
    return std::max(button.Template()->cx / 4,
                    static_cast<int>(DecodeUtf8(button.GetWindowText()).size()) + 4);
}

std::u32string TabText(const CPropertyPage& page) {
    return U" " + DecodeUtf8(page.GetCaption()) + U" ";
}

}  // namespace

SheetView::SheetView(CPropertySheet& sheet) : m_sheet(sheet) {}

const SheetView::PageSizes& SheetView::Sizes() const {
    if (!m_sizes || m_sizedPages != m_sheet.GetPageCount()) {
        PageSizes sizes;
        for (int i = 0; i < m_sheet.GetPageCount(); ++i) {
            const DialogTemplate& page = m_sheet.GetPage(i)->GetTemplate();
            const DialogLayout tight = DialogLayout::Tightest(page);
            const DialogLayout natural = DialogLayout::Natural(page);
            sizes.tightColumns = std::max(sizes.tightColumns, tight.Columns());
            sizes.tightRows = std::max(sizes.tightRows, tight.Rows());
            sizes.naturalColumns = std::max(sizes.naturalColumns, natural.Columns());
            sizes.naturalRows = std::max(sizes.naturalRows, natural.Rows());
        }
        m_sizes = sizes;
        m_sizedPages = m_sheet.GetPageCount();
    }
    return *m_sizes;
}

// The tab row, a blank row, the page, a blank row and the buttons.
int SheetView::Columns() const {
    return std::max(Sizes().tightColumns + 2 * kMargin, ButtonsWidth());
}

int SheetView::Rows() const {
    return Sizes().tightRows + 2 * kMargin + 2;
}

std::vector<CellRect> SheetView::ButtonRow() const {
    // In a row in template order, a blank apart, from where the template puts the first one
    // under the page's width; as far left as it takes for the row to fit.
    std::vector<CellRect> cells;
    int x = -1;
    int total = 0;
    for (const auto& button : m_sheet.Buttons()) {
        const ControlTemplate& t = *button->Template();
        const int width = ButtonWidth(*button);
        if (button->IsWindowVisible()) {
            if (x < 0) {
                const int across =
                    m_sheet.GetPageCount() > 0 ? m_sheet.GetPage(0)->GetTemplate().cx : 300;
                x = m_pageOrigin.x - m_origin.x + t.x * m_pageColumns / std::max(1, across);
            }
            total += (total > 0 ? kButtonGap : 0) + width;
        }
        cells.push_back({0, m_buttonsRow, button->IsWindowVisible() ? width : 0, 1});
    }
    x = std::clamp(x, 0, std::max(0, m_width - total));
    for (CellRect& button : cells) {
        if (button.width > 0) {
            button.x = x;
            x += button.width + kButtonGap;
        }
    }
    return cells;
}

int SheetView::ButtonsWidth() const {
    int total = 0;
    for (const auto& button : m_sheet.Buttons()) {
        if (button->IsWindowVisible()) {
            total += (total > 0 ? kButtonGap : 0) + ButtonWidth(*button);
        }
    }
    return total;
}

std::string SheetView::TakeNotice() {
    // Nothing when all came back as typed: a Write that a wrong password stopped leaves the
    // fields as typed too, so that would claim too much.
    const std::optional<int> differ = m_page ? m_page->TakeReadBack() : std::nullopt;
    if (!differ || *differ == 0) {
        return {};
    }
    return std::to_string(*differ) + (*differ == 1 ? kFieldDiffers : kFieldsDiffer);
}

bool SheetView::Shows(const CWnd& window) const {
    const CWnd* page = m_sheet.GetActivePage();
    return &window == &m_sheet || window.GetParent() == &m_sheet || &window == page ||
           (page != nullptr && window.GetParent() == page);
}

void SheetView::SyncPage() {
    // Entering a tab, the sheet's first included, puts the focus on the tab row: no key that
    // follows acts on a page the user has not yet seen.
    const int active = m_sheet.GetActiveIndex();
    if (m_started && active == m_pageIndex) {
        return;
    }
    m_started = true;
    m_pageIndex = active;
    m_page.reset();
    if (CPropertyPage* page = m_sheet.GetActivePage()) {
        m_page.emplace(*page);
    }
    if (m_area == Area::Page) {
        m_area = Area::Tabs;
    }
}

void SheetView::FocusPageOrTabs(bool first) {
    if (m_page && m_page->HasStops()) {
        if (first) {
            m_page->FocusFirst();
        } else {
            m_page->FocusLast();
        }
        m_area = Area::Page;
    } else {
        m_area = Area::Tabs;
    }
}

std::vector<int> SheetView::ButtonStops() const {
    std::vector<int> ids;
    for (const auto& button : m_sheet.Buttons()) {
        if (button->IsWindowVisible() && button->IsWindowEnabled()) {
            ids.push_back(button->GetDlgCtrlID());
        }
    }
    return ids;
}

bool SheetView::MayDropTyped(bool exiting) {
    const int typed = m_page ? m_page->TypedNotWritten() : 0;
    if (typed == 0) {
        return true;
    }
    const std::string question = std::to_string(typed) + (typed == 1 ? kFieldTyped : kFieldsTyped) +
                                 (exiting ? kExitAnyway : kLeaveAnyway);
    return AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void SheetView::SwitchTo(int index) {
    const int count = m_sheet.GetPageCount();
    if (count == 0) {
        return;
    }
    index = ((index % count) + count) % count;
    // The page that comes back reads the node again, replacing what was typed.
    if (index != m_sheet.GetActiveIndex() && !MayDropTyped(false)) {
        return;
    }
    m_sheet.SetActivePage(index);
    SyncPage();
    m_area = Area::Tabs;
}

void SheetView::Move(bool forward) {
    const std::vector<int> buttons = ButtonStops();
    const auto button = std::find(buttons.begin(), buttons.end(), m_button);
    switch (m_area) {
        case Area::Tabs:
            if (forward && m_page && m_page->HasStops()) {
                FocusPageOrTabs(true);
            } else if (!buttons.empty()) {
                m_area = Area::Buttons;
                m_button = forward ? buttons.front() : buttons.back();
            } else if (!forward) {
                FocusPageOrTabs(false);
            }
            return;
        case Area::Page:
            if (m_page && m_page->FocusNext(forward)) {
                return;
            }
            if (forward && !buttons.empty()) {
                m_area = Area::Buttons;
                m_button = buttons.front();
            } else {
                m_area = Area::Tabs;
            }
            return;
        case Area::Buttons:
            if (forward && button != buttons.end() && button + 1 != buttons.end()) {
                m_button = *(button + 1);
            } else if (!forward && button != buttons.end() && button != buttons.begin()) {
                m_button = *(button - 1);
            } else if (forward) {
                m_area = Area::Tabs;
            } else {
                FocusPageOrTabs(false);
            }
            return;
    }
}

void SheetView::PressButton(int id) {
    if (id == IDOK && !MayDropTyped(true)) {
        return;
    }
    m_sheet.PressButton(id);
}

void SheetView::Handle(const InputEvent& event) {
    SyncPage();
    if (m_area == Area::Page && m_page) {
        m_page->Normalize();
        if (!m_page->Focused()) {
            m_area = Area::Tabs;
        }
    }
    if (!HandleSheetKey(event)) {
        HandleAreaKey(event);
    }
}

bool SheetView::HandleSheetKey(const InputEvent& event) {
    const int active = m_sheet.GetActiveIndex();
    switch (event.key) {
        case Key::Mouse:
            HandleMouse(event);
            return true;
        case Key::Escape:
            PressButton(IDOK);
            return true;
        case Key::Function:
            if (event.number == 10) {
                PressButton(IDOK);
            }
            return true;
        case Key::CtrlPageDown:
        case Key::PageDown:
            SwitchTo(active + 1);
            return true;
        case Key::CtrlPageUp:
        case Key::PageUp:
            SwitchTo(active - 1);
            return true;
        case Key::Alt:
            // Alt-1 to Alt-9 select the first nine tabs, Alt-0 the tenth.
            if (event.ch >= U'0' && event.ch <= U'9') {
                const int index = event.ch == U'0' ? 9 : static_cast<int>(event.ch - U'1');
                if (index < m_sheet.GetPageCount()) {
                    SwitchTo(index);
                }
            }
            return true;
        case Key::Tab:
            Move(true);
            return true;
        case Key::BackTab:
            Move(false);
            return true;
        default:
            return false;
    }
}

void SheetView::HandleAreaKey(const InputEvent& event) {
    const bool back = event.key == Key::Up || event.key == Key::Left;
    const bool ahead = event.key == Key::Down || event.key == Key::Right;
    const bool press = event.key == Key::Enter || (event.key == Key::Char && event.ch == U' ');
    switch (m_area) {
        case Area::Tabs:
            if (event.key == Key::Left || event.key == Key::Right) {
                SwitchTo(m_sheet.GetActiveIndex() + (event.key == Key::Right ? 1 : -1));
            } else if (event.key == Key::Down || press) {
                FocusPageOrTabs(true);
            }
            return;
        case Area::Page:
            if (m_page->HandleKey(event)) {
                SyncPage();
            } else if (back) {
                Move(false);
            } else if (ahead || (event.key == Key::Enter && m_page->FocusIsField())) {
                Move(true);
            }
            return;
        case Area::Buttons:
            if (press) {
                PressButton(m_button);
            } else if (back || ahead) {
                Move(ahead);
            }
            return;
    }
}

void SheetView::HandleMouse(const InputEvent& event) {
    const int x = event.x - m_origin.x;
    const int y = event.y - m_origin.y;
    const int active = m_sheet.GetActiveIndex();
    if (y == kTabRow) {
        if (event.mouse != MouseAction::Press) {
            SwitchTo(active + (event.mouse == MouseAction::WheelDown ? 1 : -1));
            return;
        }
        if (m_moreLeft && x == 0) {
            SwitchTo(active - 1);
            return;
        }
        if (m_moreRight && x == m_width - 1) {
            SwitchTo(active + 1);
            return;
        }
        for (const TabSpan& tab : m_tabs) {
            if (x >= tab.x && x < tab.x + tab.width) {
                SwitchTo(tab.index);
                return;
            }
        }
        return;
    }
    if (event.mouse != MouseAction::Press) {
        return;
    }
    const std::vector<CellRect> buttons = ButtonRow();
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        CWnd* button = m_sheet.Buttons()[k].get();
        if (button->IsWindowVisible() && buttons[k].Contains(x, y)) {
            if (button->IsWindowEnabled()) {
                m_area = Area::Buttons;
                m_button = button->GetDlgCtrlID();
                PressButton(m_button);
            }
            return;
        }
    }
    if (m_page && m_page->HandleClick(event.x - m_pageOrigin.x, event.y - m_pageOrigin.y)) {
        if (m_page->Focused()) {
            m_area = Area::Page;
        }
        SyncPage();
    }
}

void SheetView::LayoutTabs(int width) {
    // Columns 0 and width - 1 hold the scroll marks; the tabs lie between them.
    const int count = m_sheet.GetPageCount();
    const int active = std::max(0, m_sheet.GetActiveIndex());
    const int room = width - 2;
    m_firstTab = std::clamp(m_firstTab, 0, std::max(0, count - 1));
    if (active < m_firstTab) {
        m_firstTab = active;
    }
    auto fits = [&](int first) {
        int used = 0;
        for (int i = first; i <= active; ++i) {
            used += static_cast<int>(TabText(*m_sheet.GetPage(i)).size()) + (i > first ? 1 : 0);
        }
        return used <= room;
    };
    while (m_firstTab < active && !fits(m_firstTab)) {
        ++m_firstTab;
    }
    m_tabs.clear();
    int x = 1;
    for (int i = m_firstTab; i < count; ++i) {
        const int tabWidth = static_cast<int>(TabText(*m_sheet.GetPage(i)).size());
        if (i > m_firstTab) {
            ++x;  // the separator
        }
        if (x + tabWidth > width - 1 && i != m_firstTab) {
            break;
        }
        m_tabs.push_back({i, x, std::min(tabWidth, width - 1 - x)});
        x += tabWidth;
    }
    m_moreLeft = m_firstTab > 0;
    m_moreRight = !m_tabs.empty() && m_tabs.back().index < count - 1;
}

void SheetView::NormalizeFocus() {
    if (m_page) {
        m_page->Normalize();
    }
    if (m_area == Area::Page && (!m_page || !m_page->Focused())) {
        m_area = Area::Tabs;
    }
    if (m_area == Area::Buttons) {
        const std::vector<int> buttons = ButtonStops();
        if (std::find(buttons.begin(), buttons.end(), m_button) == buttons.end()) {
            m_area = Area::Tabs;
        }
    }
}

void SheetView::RenderTabs(CellGrid& grid, const Glyphs& glyphs) {
    const int ox = m_origin.x;
    const int oy = m_origin.y;
    LayoutTabs(m_width);
    if (m_moreLeft) {
        grid.Put(ox, oy + kTabRow, U'<', Style::Tab);
    }
    if (m_moreRight) {
        grid.Put(ox + m_width - 1, oy + kTabRow, U'>', Style::Tab);
    }
    for (std::size_t k = 0; k < m_tabs.size(); ++k) {
        const TabSpan& tab = m_tabs[k];
        const bool front = tab.index == m_sheet.GetActiveIndex();
        const Style style =
            front ? (m_area == Area::Tabs ? Style::Focus : Style::ActiveTab) : Style::Tab;
        grid.Text(ox + tab.x, oy + kTabRow, TabText(*m_sheet.GetPage(tab.index)), style, tab.width);
        if (k > 0) {
            grid.Put(ox + tab.x - 1, oy + kTabRow, glyphs.separator, Style::Tab);
        }
    }
}

void SheetView::RenderButtons(CellGrid& grid) const {
    const std::vector<CellRect> buttons = ButtonRow();
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        const CWnd* button = m_sheet.Buttons()[k].get();
        if (!button->IsWindowVisible()) {
            continue;
        }
        const CellRect& cells = buttons[k];
        const bool focus = m_area == Area::Buttons && m_button == button->GetDlgCtrlID();
        const Style style = focus                       ? Style::Focus
                            : button->IsWindowEnabled() ? Style::Button
                                                        : Style::Dim;
        DrawButton(grid, m_origin.x + cells.x, m_origin.y + cells.y, cells.width,
                   DecodeUtf8(button->GetWindowText()), style);
    }
}

void SheetView::Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) {
    SyncPage();
    NormalizeFocus();
    // The page as large as the screen allows up to its template's own proportions; a frame
    // around it where there is room for the frame and a blank inside it.
    const PageSizes& sizes = Sizes();
    const bool framed = area.width >= sizes.tightColumns + 2 * kFramedMargin &&
                        area.height >= sizes.tightRows + 2 * kFramedMargin + 2;
    const int margin = framed ? kFramedMargin : kMargin;
    m_pageColumns = std::clamp(area.width - 2 * margin, sizes.tightColumns,
                               std::max(sizes.tightColumns, sizes.naturalColumns));
    const int pageRows = std::clamp(area.height - 2 * margin - 2, sizes.tightRows,
                                    std::max(sizes.tightRows, sizes.naturalRows));
    m_width = std::max(m_pageColumns + 2 * margin, ButtonsWidth());
    const int height = pageRows + 2 * margin + 2;
    m_origin = Centre(area, m_width, height);
    m_pageOrigin = {m_origin.x + margin, m_origin.y + 1 + margin};
    m_buttonsRow = height - 1;

    RenderTabs(grid, glyphs);
    if (framed) {
        DrawFrame(grid, m_origin.x, m_origin.y + 1, m_width, pageRows + 4, glyphs, Style::Frame);
    }
    if (m_page) {
        m_page->Arrange(m_pageColumns, pageRows);
        m_page->SetStale(m_stale);
        m_page->Render(grid, m_pageOrigin, glyphs, m_area == Area::Page);
    }
    RenderButtons(grid);
}

}  // namespace host::tui

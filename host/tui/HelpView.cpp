#include "host/tui/HelpView.h"

#include <algorithm>
#include <string_view>

#include "host/profile/PluginProfile.h"
#include "host/tui/Utf8.h"

namespace host::tui {

namespace {

constexpr char kTitle[] = "Help";
constexpr char kTabsHeading[] = "Tabs";
constexpr char kNoTabText[] = "a tab of the plug-in";
constexpr char kFooter[] = "Up/Down, PgUp/PgDn scroll; any other key closes";
constexpr int kMostWidth = 80;
constexpr int kKeyColumn = 19;  // keys and subjects; longer ones stand on a line of their own
constexpr int kGap = 2;

// The terminal's own part of the guide; the plug-in's tabs and the rest of what a person asks
// about it come from its profile.
constexpr GuideEntry kKeys[] = {
    {"Keys", ""},
    {"Tab / Shift-Tab",
     "next / previous control, in reading order; into a group of radio "
     "buttons on its checked one"},
    {"Arrow keys",
     "in a group of radio buttons, click the next or previous one; Left / Right "
     "on the tab row switch tabs; Down or Enter there goes into the page"},
    {"Space or Enter", "click the button, radio button or check box with the focus"},
    {"Typing",
     "edits the focused field: Left, Right, Home, End, Backspace, Delete; Ctrl-U "
     "clears it"},
    {"PgUp / PgDn",
     "previous / next tab (also with Ctrl); a new tab takes the focus on the tab "
     "row, so no key acts on a page you have not seen"},
    {"Alt-1 ... Alt-0", "tabs 1 to 10"},
    {"Mouse", "click tabs, buttons, radio buttons, check boxes; click a field to type"},
    {"Esc or F10",
     "Exit; with fields typed into and not written, it asks first (as leaving the "
     "tab does): Enter goes on, Esc stays"},
    {"While busy",
     "the status line shows what runs and for how long; keys typed meanwhile are "
     "dropped, not played afterwards"},

    {"Message boxes", ""},
    {"Enter or Space", "the highlighted button"},
    {"Left / Right, Tab", "move between the buttons"},
    {"First letter", "the button of that word: Y Yes, N No, O OK, C Cancel, R Retry"},
    {"Esc", "Cancel; in a box with OK alone, OK"},

    {"File dialog", ""},
    {"Tab / Shift-Tab", "list, file name, type, Open or Save, Cancel"},
    {"Up/Down, PgUp/PgDn", "move in the list; Enter opens a folder or takes a file"},
    {"Backspace", "in the list: the folder above"},
    {"Typing", "in the list starts a file name"},
    {"Esc", "Cancel"},
};

void Add(std::vector<std::u32string>& lines, std::u32string_view key, std::u32string_view text,
         int width) {
    const int keyWidth = std::min(kKeyColumn, std::max(1, width / 3));
    const int textWidth = std::max(1, width - keyWidth - kGap);
    std::u32string first(key);
    if (static_cast<int>(key.size()) > keyWidth) {
        // A long key on a line of its own, its text under it in the second column.
        lines.push_back(first);
        first.clear();
    }
    first.resize(static_cast<std::size_t>(keyWidth + kGap), U' ');
    bool start = true;
    for (const std::u32string& part : WrapText(text, textWidth)) {
        lines.push_back(
            (start ? first : std::u32string(static_cast<std::size_t>(keyWidth + kGap), U' ')) +
            part);
        start = false;
    }
}

}  // namespace

std::vector<std::u32string> HelpView::Lines(int width, bool ascii) const {
    std::vector<std::u32string> lines;
    const auto add = [&](std::string_view subject, std::string_view text) {
        const auto decode = [&](std::string_view utf8) {
            return ascii ? AsciiForm(DecodeUtf8(utf8)) : DecodeUtf8(utf8);
        };
        if (text.empty()) {
            if (!lines.empty()) {
                lines.emplace_back();
            }
            lines.push_back(decode(subject));
        } else {
            Add(lines, decode(subject), decode(text), width);
        }
    };
    for (const GuideEntry& entry : kKeys) {
        add(entry.subject, entry.text);
    }
    // The sheet's tabs as it shows them, described where the profile knows them.
    const PluginProfile& profile = Qma7Profile();
    if (!m_tabs.empty()) {
        add(kTabsHeading, "");
    }
    for (const std::string& tab : m_tabs) {
        const std::string_view text = profile.TabText(tab);
        add(tab, text.empty() ? std::string_view(kNoTabText) : text);
    }
    for (const GuideEntry& entry : profile.guide) {
        add(entry.subject, entry.text);
    }
    return lines;
}

int HelpView::Columns() const {
    return 40;
}

int HelpView::Rows() const {
    return 8;
}

void HelpView::Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) {
    const int width = std::min(area.width, kMostWidth);
    const int height = area.height;
    const CellPos at = Centre(area, width, height);
    grid.Fill(at.x, at.y, width, height, U' ', Style::Box);
    DrawFrame(grid, at.x, at.y, width, height, glyphs, Style::Box, DecodeUtf8(kTitle),
              Style::Title);
    // A blank column and row inside the frame; the last row inside holds the footer.
    const std::vector<std::u32string> lines = Lines(width - 4, !glyphs.unicode);
    m_total = static_cast<int>(lines.size());
    m_shown = std::max(1, height - 4);
    m_top = std::clamp(m_top, 0, std::max(0, m_total - m_shown));
    for (int row = 0; row < m_shown && m_top + row < m_total; ++row) {
        const std::u32string& line = lines[static_cast<std::size_t>(m_top + row)];
        const bool heading =
            !line.empty() && line.front() != U' ' &&
            (m_top + row == 0 || lines[static_cast<std::size_t>(m_top + row - 1)].empty());
        grid.Text(at.x + 2, at.y + 1 + row, line, heading ? Style::Title : Style::Box, width - 4);
    }
    std::u32string footer = DecodeUtf8(kFooter);
    if (m_total > m_shown) {
        footer += U"  (" + DecodeUtf8(std::to_string(m_top + 1)) + U"-" +
                  DecodeUtf8(std::to_string(std::min(m_total, m_top + m_shown))) + U" of " +
                  DecodeUtf8(std::to_string(m_total)) + U")";
    }
    grid.Text(at.x + 2, at.y + height - 2, footer, Style::Box, width - 4);
}

void HelpView::Scroll(int rows) {
    m_top = std::clamp(m_top + rows, 0, std::max(0, m_total - m_shown));
}

void HelpView::Handle(const InputEvent& event) {
    switch (event.key) {
        case Key::Up:
            Scroll(-1);
            return;
        case Key::Down:
            Scroll(1);
            return;
        case Key::PageUp:
            Scroll(-m_shown);
            return;
        case Key::PageDown:
            Scroll(m_shown);
            return;
        case Key::Home:
            Scroll(-m_total);
            return;
        case Key::End:
            Scroll(m_total);
            return;
        case Key::Resize:
        case Key::Terminate:
            return;
        case Key::Mouse:
            if (event.mouse == MouseAction::Press) {
                m_closed = true;
            } else {
                Scroll(event.mouse == MouseAction::WheelDown ? 3 : -3);
            }
            return;
        default:
            m_closed = true;
            return;
    }
}

}  // namespace host::tui

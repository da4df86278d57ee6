#include "host/tui/HelpView.h"

#include <algorithm>
#include <string_view>

#include "host/tui/Utf8.h"

namespace host::tui {

namespace {

constexpr char kTitle[] = "Help";
constexpr char kFooter[] = "Up/Down, PgUp/PgDn scroll; any other key closes";
constexpr int kMostWidth = 80;
constexpr int kKeyColumn = 19;  // keys and subjects; longer ones stand on a line of their own
constexpr int kGap = 2;

struct Entry {
    const char* key;  // a heading when text is empty
    const char* text;
};

constexpr Entry kGuide[] = {
    {"Keys", ""},
    {"Tab / Shift-Tab",
     "next / previous control, in reading order; into a group of radio "
     "buttons on its checked one"},
    {"Arrow keys",
     "move within a group of radio buttons; Left / Right on the tab row switch "
     "tabs; Down or Enter there goes into the page"},
    {"Space or Enter", "click the button, radio button or check box with the focus"},
    {"Typing",
     "edits the focused field: Left, Right, Home, End, Backspace, Delete; Ctrl-U "
     "clears it"},
    {"PgUp / PgDn",
     "previous / next tab (also with Ctrl); a new tab takes the focus on the tab "
     "row, so no key acts on a page you have not seen"},
    {"Alt-1 ... Alt-0", "tabs 1 to 10"},
    {"Mouse", "click tabs, buttons, radio buttons, check boxes; click a field to type"},
    {"Esc or F10", "Exit"},
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

    {"Tabs", ""},
    {"Node information", "the node's name and the plug-in's maker and version"},
    {"Import / Export",
     "save the node's configuration to a file, write a saved file back, or "
     "restore the factory settings"},
    {"Recirculation",
     "damper Md4: Off / Manual / Automatic with its manual position, its "
     "output, the minimum fresh air, the output's range and Invert"},
    {"Cooling",
     "valve Mv2 (status, manual position, output, range, Invert), the status of "
     "Mc1, and the cooling type"},
    {"Temperatures", "water sensors Bw3 (forward) and Bw4 (return): readings and offsets"},
    {"Humidity sensor",
     "sensors Bh1 to Bh3: readings and offsets, the wet-bulb temperatures, "
     "and the sensor's range"},
    {"Secondary heat",
     "valve Mv4 (status, manual position, output, range, Invert) and the "
     "status of pump Mp2"},
    {"Settings humidity",
     "humidity control on or off, its setpoints, dead band and the most "
     "air humidity at the injection; what it does now"},
    {"Dehumidifier",
     "how dehumidifying uses cooling and heat: the most cooling, the primary "
     "heat step and its delay, the secondary heat's setpoint and dead band"},
    {"Humidifier",
     "valve Mv3: status with its manual opening, valve type, range and Invert, "
     "the least and most time on"},
    {"Delay cooling",
     "the Mv2 opening at which cooling starts and stops, and the delay before "
     "it starts"},
    {"Alarms", "the node's alarm states, kept current"},
    {"Running Hours", "the running-hours counters; Reset sets one to 0 at once, without asking"},
    {"PID humidifier", "P, I and D of the humidifier's control loop"},
    {"Exercise", "the hours after which the node exercises a pump or valve that stood still"},
    {"Config HVAC", "which HVAC modes the node accepts"},
    {"Read, Write",
     "Read shows what the node holds; Write sends the tab's values and reads "
     "them back; the button shows \"Wait\" meanwhile"},

    {"Password", ""},
    {"\"Talvik\"",
     "the fixed password of the node type, exactly so; needed for Write on PID "
     "humidifier and Config HVAC, and for \"Read from file\" and \"Default "
     "settings\". A wrong one is said so in a box, and nothing is written"},

    {"Waits", ""},
    {"\"Save to file\"",
     "about 8 s: each of the 12 configuration parts is selected on the "
     "node, which needs pauses, before it is read"},
    {"\"Read from file\"",
     "about 5 s and more on a slow channel: the parts are selected in "
     "turn, with pauses"},
    {"\"Default settings\"",
     "about 35 s: the node is given 2 s before each of the 12 parts and "
     "a pause after each value"},
    {"Progress", "the status line counts the 26 items of these actions"},

    {"Values", ""},
    {"Typed numbers",
     "\".\" is the decimal point; the number ends at the first other "
     "character; no number is 0. Nothing is checked before it is written: a "
     "value beyond a field's range wraps round in the node"},
    {"Manual value \"In\"", "0 to 127.5 % in half percent steps; 300 comes back as 44"},
    {"Percent settings",
     "0 to 327.675 %, no negative values (-1 comes back as 327); also the "
     "humidity offsets"},
    {"Temperature offsets", "-555.35 to 100 \u00b0C"},
    {"Seconds", "Delay step time, Min and Max time on: 0 to 6553.5 s"},
    {"Minutes, hours",
     "Delay start, Exercise: whole numbers 0 to 65535; -1 comes back as "
     "65535"},
    {"P, I, D", "0 to 6553.5 in tenths"},
    {"Read back",
     "after a Write, a field you typed into whose value came back different ends "
     "in \"!\"; the status line says how many"},
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

std::vector<std::u32string> HelpView::Lines(int width) {
    std::vector<std::u32string> lines;
    for (const Entry& entry : kGuide) {
        if (*entry.text == '\0') {
            if (!lines.empty()) {
                lines.emplace_back();
            }
            lines.push_back(DecodeUtf8(entry.key));
            continue;
        }
        Add(lines, DecodeUtf8(entry.key), DecodeUtf8(entry.text), width);
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
    const std::vector<std::u32string> lines = Lines(width - 4);
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

#include "host/tui/DialogView.h"

#include <algorithm>
#include <string_view>

#include "host/profile/PluginProfile.h"
#include "host/tui/Utf8.h"
#include "platform/ui/Dialog.h"

namespace host::tui {

namespace {

constexpr char32_t kPasswordMask = U'*';
constexpr std::u32string_view kRadioOff = U"( ) ";
constexpr std::u32string_view kRadioOn = U"(*) ";
constexpr std::u32string_view kCheckOff = U"[ ] ";
constexpr std::u32string_view kCheckOn = U"[x] ";
// In the last cell inside a field's brackets when its value came back different.
constexpr char32_t kDiffersMark = U'!';

// The cells of a field between its brackets.
int FieldRoom(int width) {
    return std::max(1, width - 2);
}

std::u32string TrimRight(std::u32string text) {
    while (!text.empty() && text.back() == U' ') {
        text.pop_back();
    }
    return text;
}

}  // namespace

const CWnd* DialogView::Control(int index) const {
    const auto& controls = m_dialog->Controls();
    return index >= 0 && index < static_cast<int>(controls.size())
               ? controls[static_cast<std::size_t>(index)].get()
               : nullptr;
}

bool DialogView::IsStop(int index) const {
    const CWnd* control = Control(index);
    if (control == nullptr || !control->IsWindowVisible() || !control->IsWindowEnabled()) {
        return false;
    }
    const ControlTemplate& t = *control->Template();
    switch (t.kind) {
        case ControlKind::PushButton:
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
            return true;
        case ControlKind::Edit:
            return !t.readOnly;
        default:
            return false;
    }
}

bool DialogView::IsField(int index) const {
    const CWnd* control = Control(index);
    return control != nullptr && control->Template()->kind == ControlKind::Edit &&
           !control->Template()->readOnly;
}

bool DialogView::IsRadio(int index) const {
    const CWnd* control = Control(index);
    return control != nullptr && control->Template()->kind == ControlKind::RadioButton;
}

int DialogView::EnclosingGroupBox(int index) const {
    return Layout().Parent(index);
}

std::vector<int> DialogView::RadioGroup(int index) const {
    const int box = EnclosingGroupBox(index);
    int first = index;
    while (IsRadio(first - 1) && EnclosingGroupBox(first - 1) == box) {
        --first;
    }
    std::vector<int> group;
    for (int i = first; IsRadio(i) && EnclosingGroupBox(i) == box; ++i) {
        group.push_back(i);
    }
    return group;
}

void DialogView::Arrange(int columns, int rows) {
    if (!m_layout || m_arranged != std::pair{columns, rows}) {
        m_layout.emplace(m_dialog->GetTemplate(), columns, rows);
        m_arranged = {columns, rows};
    }
}

const DialogLayout& DialogView::Layout() const {
    if (!m_layout) {
        m_layout = DialogLayout::Natural(m_dialog->GetTemplate());
    }
    return *m_layout;
}

std::optional<int> DialogView::StopFor(int index) const {
    if (!IsRadio(index)) {
        return IsStop(index) ? std::optional<int>(index) : std::nullopt;
    }
    // A radio group is one stop: the focused button, else the checked one, else the first.
    const std::vector<int> group = RadioGroup(index);
    std::optional<int> chosen;
    for (const int k : group) {
        if (IsStop(k) && m_focus == k) {
            chosen = k;
        }
    }
    for (const int k : group) {
        if (!chosen && IsStop(k) && Control(k)->GetCheck() != 0) {
            chosen = k;
        }
    }
    for (const int k : group) {
        if (!chosen && IsStop(k)) {
            chosen = k;
        }
    }
    return chosen;
}

std::vector<int> DialogView::Stops() const {
    std::vector<int> stops;
    for (const int i : Layout().ReadingOrder()) {
        const std::optional<int> stop = StopFor(i);
        if (stop && std::find(stops.begin(), stops.end(), *stop) == stops.end()) {
            stops.push_back(*stop);
        }
    }
    return stops;
}

void DialogView::FocusControl(int index, bool fromKeyboard) {
    const CWnd* control = Control(index);
    m_editor.Start(control != nullptr ? DecodeUtf8(control->GetWindowText()) : U"",
                   fromKeyboard && IsField(index), m_focus == index);
    m_focus = index;
}

void DialogView::FocusFirst() {
    const std::vector<int> stops = Stops();
    if (stops.empty()) {
        m_focus.reset();
    } else {
        FocusControl(stops.front(), true);
    }
}

void DialogView::FocusLast() {
    const std::vector<int> stops = Stops();
    if (stops.empty()) {
        m_focus.reset();
    } else {
        FocusControl(stops.back(), true);
    }
}

bool DialogView::FocusNext(bool forward) {
    const std::vector<int> stops = Stops();
    if (!m_focus) {
        return false;
    }
    const auto at = std::find(stops.begin(), stops.end(), *m_focus);
    if (at == stops.end()) {
        return false;
    }
    if (forward) {
        if (at + 1 == stops.end()) {
            return false;
        }
        FocusControl(*(at + 1), true);
    } else {
        if (at == stops.begin()) {
            return false;
        }
        FocusControl(*(at - 1), true);
    }
    return true;
}

void DialogView::Normalize() {
    if (!m_focus || IsStop(*m_focus)) {
        if (m_focus) {
            m_editor.Sync(DecodeUtf8(Control(*m_focus)->GetWindowText()));
        }
        return;
    }
    // The next stop after the lost one in reading order, else the last one.
    const std::vector<int>& order = Layout().ReadingOrder();
    const int lost = *m_focus;
    m_focus.reset();
    const auto at = std::find(order.begin(), order.end(), lost);
    for (auto it = at == order.end() ? order.begin() : at + 1; it != order.end(); ++it) {
        if (const std::optional<int> stop = StopFor(*it)) {
            FocusControl(*stop, false);
            return;
        }
    }
    const std::vector<int> stops = Stops();
    if (!stops.empty()) {
        FocusControl(stops.back(), false);
    }
}

bool DialogView::FocusIsField() const {
    return m_focus && IsField(*m_focus);
}

void DialogView::Click(int index) {
    const CWnd* control = Control(index);
    if (control == nullptr) {
        return;
    }
    const int id = control->GetDlgCtrlID();
    // A page's Write reads its values back before it returns; its Read drops what was typed.
    const bool button = control->Template()->kind == ControlKind::PushButton;
    const std::string caption = control->GetWindowText();
    // The handler may change anything, this control included: nothing of it is kept.
    m_dialog->ClickControl(id);
    const PluginProfile& profile = Qma7Profile();
    if (button && caption == profile.writeCaption) {
        m_readBack = m_typed.Compare([this](int field) -> std::optional<std::u32string> {
            const CWnd* shown = Control(field);
            if (shown == nullptr || !shown->IsWindowVisible()) {
                return std::nullopt;
            }
            return DecodeUtf8(shown->GetWindowText());
        });
    } else if (button && caption == profile.readCaption) {
        m_typed.Discard();
    }
    Normalize();
}

std::optional<int> DialogView::TakeReadBack() {
    return std::exchange(m_readBack, std::nullopt);
}

void DialogView::Edit(const InputEvent& event) {
    CWnd* control = m_dialog->Controls()[static_cast<std::size_t>(*m_focus)].get();
    m_editor.Sync(DecodeUtf8(control->GetWindowText()));
    if (!m_editor.Edit(event)) {
        return;
    }
    if (!control->Template()->password) {
        m_typed.Typed(*m_focus, m_editor.Text());
    }
    control->SetWindowText(EncodeUtf8(m_editor.Text()));
}

bool DialogView::HandleKey(const InputEvent& event) {
    Normalize();
    if (!m_focus) {
        return false;
    }
    const int index = *m_focus;
    const ControlKind kind = Control(index)->Template()->kind;
    if (IsField(index)) {
        if (!LineEditor::IsEditKey(event)) {
            return false;
        }
        Edit(event);
        return true;
    }
    const bool press = event.key == Key::Enter || (event.key == Key::Char && event.ch == U' ');
    if (press) {
        Click(index);
        return true;
    }
    if (kind == ControlKind::RadioButton) {
        const bool back = event.key == Key::Up || event.key == Key::Left;
        const bool ahead = event.key == Key::Down || event.key == Key::Right;
        if (!back && !ahead) {
            return false;
        }
        // Arrows click the next enabled button of the group, as a mouse click would (its
        // handler runs), and stop at the group's ends.
        const std::vector<int> group = RadioGroup(index);
        auto at = std::find(group.begin(), group.end(), index);
        while (true) {
            if ((back && at == group.begin()) || (ahead && at + 1 == group.end())) {
                break;
            }
            at += back ? -1 : 1;
            if (IsStop(*at)) {
                FocusControl(*at, true);
                Click(*at);
                break;
            }
        }
        return true;
    }
    return false;
}

bool DialogView::HandleClick(int x, int y) {
    const int count = static_cast<int>(m_dialog->Controls().size());
    for (int i = count - 1; i >= 0; --i) {
        const CWnd* control = Control(i);
        const ControlKind kind = control->Template()->kind;
        if (!control->IsWindowVisible() || kind == ControlKind::GroupBox ||
            kind == ControlKind::Static || kind == ControlKind::Icon ||
            !Layout().Cells(i).Contains(x, y)) {
            continue;
        }
        if (!IsStop(i)) {
            return true;  // a disabled control or a display field takes no input
        }
        if (IsField(i)) {
            FocusControl(i, false);
            m_editor.PlaceCursor(x - Layout().Cells(i).x - 1);
        } else {
            FocusControl(i, false);
            Click(i);
        }
        return true;
    }
    return false;
}

void DialogView::Render(CellGrid& grid, CellPos origin, const Glyphs& glyphs, bool focused) {
    Normalize();
    const auto& controls = m_dialog->Controls();
    const int count = static_cast<int>(controls.size());
    // Frames and labels first: a label's wrapped lines must not cover a control.
    for (const bool labels : {true, false}) {
        for (int i = 0; i < count; ++i) {
            const CWnd& control = *controls[static_cast<std::size_t>(i)];
            const ControlKind kind = control.Template()->kind;
            const bool isLabel = kind == ControlKind::GroupBox || kind == ControlKind::Static ||
                                 kind == ControlKind::Icon;
            if (isLabel == labels && control.IsWindowVisible()) {
                RenderControl(grid, i, origin, glyphs, focused && m_focus == i);
            }
        }
    }
}

void DialogView::RenderControl(CellGrid& grid, int index, CellPos origin, const Glyphs& glyphs,
                               bool hasFocus) {
    const CWnd& control = *Control(index);
    const ControlTemplate& t = *control.Template();
    const CellRect& cells = Layout().Cells(index);
    const int x = origin.x + cells.x;
    const int y = origin.y + cells.y;
    const bool enabled = control.IsWindowEnabled();
    const Style plain = enabled ? Style::Plain : Style::Dim;
    const std::u32string decoded = DecodeUtf8(control.GetWindowText());
    const std::u32string text = glyphs.unicode ? decoded : AsciiForm(decoded);
    switch (t.kind) {
        case ControlKind::GroupBox:
            DrawFrame(grid, x, y, cells.width, cells.height, glyphs,
                      enabled ? Style::Frame : Style::Dim, TrimRight(text),
                      enabled ? Style::Plain : Style::Dim);
            return;
        case ControlKind::Static: {
            // Within its cells: a text longer than the template's is cut, not spilled; laid out
            // on one row, its lines are joined.
            const auto lines = WrapText(cells.height == 1 ? JoinedLines(text) : text, cells.width);
            const int shown = std::min(cells.height, static_cast<int>(lines.size()));
            for (int row = 0; row < shown; ++row) {
                const std::u32string& line = lines[static_cast<std::size_t>(row)];
                const int indent =
                    t.centred ? std::max(0, (cells.width - static_cast<int>(line.size())) / 2) : 0;
                grid.Text(x + indent, y + row, line, plain, cells.width - indent);
            }
            return;
        }
        case ControlKind::Icon:
            return;
        case ControlKind::PushButton: {
            const Style style = hasFocus ? Style::Focus : enabled ? Style::Button : Style::Dim;
            DrawButton(grid, x, y, cells.width, text, style);
            return;
        }
        case ControlKind::RadioButton:
        case ControlKind::CheckBox: {
            const bool radio = t.kind == ControlKind::RadioButton;
            const bool on = control.GetCheck() != 0;
            const std::u32string_view mark =
                radio ? (on ? kRadioOn : kRadioOff) : (on ? kCheckOn : kCheckOff);
            const Style style = hasFocus ? Style::Focus : plain;
            const int written = grid.Text(x, y, mark, style, cells.width);
            grid.Text(x + written, y, text, style, cells.width - written);
            return;
        }
        case ControlKind::Edit:
            RenderField(grid, index, x, y, hasFocus);
            return;
    }
}

void DialogView::RenderField(CellGrid& grid, int index, int x, int y, bool hasFocus) {
    const CWnd& control = *Control(index);
    const ControlTemplate& t = *control.Template();
    const int width = Layout().Cells(index).width;
    const int room = FieldRoom(width);
    const bool enabled = control.IsWindowEnabled();
    const std::u32string text = DecodeUtf8(control.GetWindowText());
    if (t.readOnly) {
        // A display field's text stands where an edit field's does, so that a column of both
        // lines up.
        const Style style = enabled && !m_stale ? Style::Display : Style::Dim;
        grid.Fill(x, y, width, 1, U' ', style);
        grid.Text(x + 1, y, text, style, room);
        return;
    }
    const bool differs = m_typed.Marked(index);
    const Style style = hasFocus  ? Style::Focus
                        : differs ? Style::Differs
                        : enabled ? Style::Field
                                  : Style::Dim;
    const std::optional<char32_t> mask =
        t.password ? std::optional<char32_t>(kPasswordMask) : std::nullopt;
    const std::optional<char32_t> mark =
        differs ? std::optional<char32_t>(kDiffersMark) : std::nullopt;
    if (hasFocus) {
        m_editor.Sync(text);
        m_editor.Draw(grid, x, y, width, style, true, mask, mark);
    } else {
        LineEditor shown;
        shown.Start(text, false);
        shown.Draw(grid, x, y, width, style, false, mask, mark);
    }
}

}  // namespace host::tui

#include "host/tui/MessageBoxView.h"

#include <algorithm>

#include "host/text/BoxFormat.h"
#include "host/tui/Utf8.h"

namespace host::tui {

namespace {

constexpr int kTextWidth = 56;  // longer lines wrap
constexpr int kButtonWidth = 10;
constexpr int kButtonGap = 2;
constexpr int kMargin = 2;  // blank columns inside the frame on each side

std::u32string IconMark(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Exclamation:
            return U"(!) ";
        case MessageBoxIcon::Question:
            return U"(?) ";
        case MessageBoxIcon::Information:
            return U"(i) ";
        case MessageBoxIcon::Stop:
            return U"(x) ";
        case MessageBoxIcon::None:
            break;
    }
    return U"";
}

char32_t Lower(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
}

}  // namespace

MessageBoxView::MessageBoxView(MessageBoxRequest box)
    : m_box(std::move(box)), m_answers(m_box.Answers()) {}

std::u32string MessageBoxView::Title() const {
    // A box without a title of its own carries the application's name.
    return DecodeUtf8(m_box.title.empty() ? AfxGetAppName() : m_box.title);
}

std::vector<std::u32string> MessageBoxView::Lines() const {
    const std::u32string mark = IconMark(m_box.icon);
    std::vector<std::u32string> lines = WrapText(DecodeUtf8(m_box.text), kTextWidth);
    // The icon's mark stands before the first line; the others line up with its text.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i] = (i == 0 ? mark : std::u32string(mark.size(), U' ')) + lines[i];
    }
    return lines;
}

int MessageBoxView::ButtonsWidth() const {
    const int count = static_cast<int>(m_answers.size());
    return count * kButtonWidth + (count - 1) * kButtonGap;
}

int MessageBoxView::InnerWidth() const {
    int width = std::max(ButtonsWidth(), static_cast<int>(Title().size()) + 2);
    for (const std::u32string& line : Lines()) {
        width = std::max(width, static_cast<int>(line.size()));
    }
    return width;
}

int MessageBoxView::Columns() const {
    return InnerWidth() + 2 * kMargin + 2;
}

// Frame, blank, text lines, blank, buttons, frame.
int MessageBoxView::Rows() const {
    return static_cast<int>(Lines().size()) + 5;
}

void MessageBoxView::Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) {
    const int width = Columns();
    const int height = Rows();
    const CellPos at = Centre(area, width, height);
    ClearAround(grid, at, width, height);
    grid.Fill(at.x, at.y, width, height, U' ', Style::Box);
    DrawFrame(grid, at.x, at.y, width, height, glyphs, Style::Box, Title(), Style::Title);
    int row = at.y + 2;
    for (const std::u32string& line : Lines()) {
        grid.Text(at.x + 1 + kMargin, row++, line, Style::Box);
    }
    ++row;
    int x = at.x + (width - ButtonsWidth()) / 2;
    m_buttonCells.clear();
    for (std::size_t i = 0; i < m_answers.size(); ++i) {
        const Style style = i == m_focus ? Style::Focus : Style::Button;
        DrawButton(grid, x, row, kButtonWidth, DecodeUtf8(AnswerWord(m_answers[i])), style);
        m_buttonCells.push_back({x, row, kButtonWidth, 1});
        x += kButtonWidth + kButtonGap;
    }
}

void MessageBoxView::Handle(const InputEvent& event) {
    const std::size_t count = m_answers.size();
    switch (event.key) {
        case Key::Left:
        case Key::Up:
        case Key::BackTab:
            m_focus = (m_focus + count - 1) % count;
            return;
        case Key::Right:
        case Key::Down:
        case Key::Tab:
            m_focus = (m_focus + 1) % count;
            return;
        case Key::Enter:
            m_answer = m_answers[m_focus];
            return;
        case Key::Escape:
            // Esc is Cancel; a box with OK alone takes it as OK; Yes / No need an answer.
            if (std::find(m_answers.begin(), m_answers.end(), IDCANCEL) != m_answers.end()) {
                m_answer = IDCANCEL;
            } else if (count == 1) {
                m_answer = m_answers.front();
            }
            return;
        case Key::Char:
            if (event.ch == U' ') {
                m_answer = m_answers[m_focus];
                return;
            }
            for (const int answer : m_answers) {
                if (Lower(static_cast<char32_t>(AnswerWord(answer)[0])) == Lower(event.ch)) {
                    m_answer = answer;
                    return;
                }
            }
            return;
        case Key::Mouse:
            for (std::size_t i = 0; i < m_buttonCells.size(); ++i) {
                if (event.mouse == MouseAction::Press &&
                    m_buttonCells[i].Contains(event.x, event.y)) {
                    m_focus = i;
                    m_answer = m_answers[i];
                }
            }
            return;
        default:
            return;
    }
}

}  // namespace host::tui

#include "host/tui/LineEditor.h"

#include <algorithm>

namespace host::tui {

void LineEditor::Sync(std::u32string text) {
    m_text = std::move(text);
    m_cursor = std::min(m_cursor, m_text.size());
}

void LineEditor::Start(std::u32string text, bool selectAll, bool sameField) {
    m_text = std::move(text);
    m_cursor = m_text.size();
    if (!sameField) {
        m_scroll = 0;
    }
    m_selectAll = selectAll;
}

void LineEditor::PlaceCursor(int column) {
    m_cursor = std::min(m_text.size(), m_scroll + static_cast<std::size_t>(std::max(0, column)));
    m_selectAll = false;
}

bool LineEditor::IsEditKey(const InputEvent& event) {
    switch (event.key) {
        case Key::Char:
        case Key::Backspace:
        case Key::Delete:
        case Key::ClearField:
        case Key::Left:
        case Key::Right:
        case Key::Home:
        case Key::End:
            return true;
        default:
            return false;
    }
}

bool LineEditor::Edit(const InputEvent& event) {
    m_cursor = std::min(m_cursor, m_text.size());
    const bool replace = m_selectAll;
    m_selectAll = false;
    switch (event.key) {
        case Key::Char:
            if (replace) {
                m_text.clear();
                m_cursor = 0;
            }
            m_text.insert(m_cursor, 1, event.ch);
            ++m_cursor;
            break;
        case Key::Backspace:
            if (replace) {
                m_text.clear();
                m_cursor = 0;
            } else if (m_cursor > 0) {
                m_text.erase(--m_cursor, 1);
            }
            break;
        case Key::Delete:
            if (replace) {
                m_text.clear();
                m_cursor = 0;
            } else if (m_cursor < m_text.size()) {
                m_text.erase(m_cursor, 1);
            }
            break;
        case Key::ClearField:
            m_text.clear();
            m_cursor = 0;
            break;
        case Key::Left:
            m_cursor = replace ? 0 : m_cursor - (m_cursor > 0 ? 1 : 0);
            return false;
        case Key::Right:
            m_cursor = replace ? m_text.size() : std::min(m_text.size(), m_cursor + 1);
            return false;
        case Key::Home:
            m_cursor = 0;
            return false;
        case Key::End:
            m_cursor = m_text.size();
            return false;
        default:
            return false;
    }
    return true;
}

void LineEditor::Draw(CellGrid& grid, int x, int y, int width, Style style, bool focused,
                      std::optional<char32_t> mask, std::optional<char32_t> mark) {
    const int room = std::max(1, width - 2);
    std::u32string shown = m_text;
    if (mask) {
        shown.assign(m_text.size(), *mask);
    }
    if (focused) {
        // The cursor stays inside the field; the text scrolls under it.
        m_cursor = std::min(m_cursor, m_text.size());
        const auto roomSize = static_cast<std::size_t>(room);
        if (m_cursor < m_scroll) {
            m_scroll = m_cursor;
        } else if (m_cursor >= m_scroll + roomSize) {
            m_scroll = m_cursor - roomSize + 1;
        }
    }
    const std::size_t scroll = std::min(m_scroll, shown.size());
    grid.Fill(x, y, width, 1, U' ', style);
    grid.Put(x, y, U'[', style);
    grid.Put(x + width - 1, y, U']', style);
    const std::u32string_view visible = std::u32string_view(shown).substr(scroll);
    const int written = grid.Text(x + 1, y, visible, style, room);
    if (mark && room > 1) {
        grid.Put(x + room, y, *mark, style);
    }
    if (focused && m_selectAll) {
        for (int k = 0; k < written; ++k) {
            grid.SetStyle(x + 1 + k, y, Style::Selected);
        }
    }
    if (focused) {
        grid.SetCursor(CellPos{x + 1 + static_cast<int>(m_cursor - scroll), y});
    }
}

}  // namespace host::tui

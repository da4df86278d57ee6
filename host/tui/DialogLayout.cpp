#include "host/tui/DialogLayout.h"

#include <algorithm>

namespace host::tui {

namespace {

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

CellRect ControlCells(const ControlTemplate& control) {
    CellRect cells;
    if (control.kind == ControlKind::GroupBox) {
        // The frame runs through the cells of its left and right edges, so that what the box
        // holds, rounded to the nearest column, stays inside.
        cells.x = FloorDiv(control.x, kUnitsPerColumn);
        cells.width =
            std::max(2, FloorDiv(control.x + control.cx - 1, kUnitsPerColumn) - cells.x + 1);
        // The caption is text of one row at the top of the box.
        cells.y = FloorDiv(control.y + kUnitsPerRow / 2, kUnitsPerRow);
        const int bottom = FloorDiv(control.y + control.cy - 1, kUnitsPerRow);
        cells.height = std::max(2, bottom - cells.y + 1);
        return cells;
    }
    const int half = kUnitsPerColumn / 2;
    cells.x = FloorDiv(control.x + half, kUnitsPerColumn);
    cells.width = std::max(1, FloorDiv(control.x + control.cx + half, kUnitsPerColumn) - cells.x);
    const int rows =
        control.kind == ControlKind::Static ? std::max(1, (control.cy + 2) / kUnitsPerRow) : 1;
    // The rows are centred on the control's vertical centre.
    const int centreTwice = 2 * control.y + control.cy;
    cells.y = FloorDiv(centreTwice - kUnitsPerRow * (rows - 1), 2 * kUnitsPerRow);
    cells.height = rows;
    return cells;
}

int DialogColumns(const DialogTemplate& dialog) {
    return std::max(1, (dialog.cx + kUnitsPerColumn - 1) / kUnitsPerColumn);
}

int DialogRows(const DialogTemplate& dialog) {
    return std::max(1, (dialog.cy + kUnitsPerRow - 1) / kUnitsPerRow);
}

std::vector<std::u32string> WrapText(std::u32string_view text, int width) {
    width = std::max(1, width);
    std::vector<std::u32string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(U'\n', start), text.size());
        std::u32string_view paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == U'\r') {
            paragraph.remove_suffix(1);
        }
        std::u32string line;
        std::size_t i = 0;
        bool any = false;
        while (i < paragraph.size()) {
            if (paragraph[i] == U' ') {
                ++i;
                continue;
            }
            std::size_t wordEnd = paragraph.find(U' ', i);
            if (wordEnd == std::u32string_view::npos) {
                wordEnd = paragraph.size();
            }
            std::u32string_view word = paragraph.substr(i, wordEnd - i);
            i = wordEnd;
            const std::size_t room = static_cast<std::size_t>(width);
            if (!line.empty() && line.size() + 1 + word.size() > room) {
                lines.push_back(std::move(line));
                line.clear();
            }
            if (!line.empty()) {
                line += U' ';
            }
            while (word.size() > room) {
                lines.push_back(std::u32string(word.substr(0, room)));
                word.remove_prefix(room);
            }
            line += word;
            any = true;
        }
        if (any || lines.empty() || end < text.size() || !paragraph.empty()) {
            lines.push_back(std::move(line));
        }
        if (end >= text.size()) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace host::tui

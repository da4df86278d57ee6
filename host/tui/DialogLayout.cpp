#include "host/tui/DialogLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <numeric>
#include <optional>

#include "host/tui/Utf8.h"

namespace host::tui {

namespace {

// The template's own proportions, and how far the spacing may shrink from them before the
// layout falls back to its least distances.
constexpr double kUnitsPerColumn = 4.0;
constexpr double kUnitsPerRow = 8.0;
constexpr double kShrinkStep = 1.05;
constexpr double kMostShrink = 12.0;
// An edit field's text in the dialog's proportional font takes about 3.5 units a letter and
// its border 2 units a side; a value field holds seven digits and the cursor at the least.
constexpr double kUnitsPerFieldLetter = 3.5;
constexpr int kFieldBorderUnits = 4;
constexpr int kLeastFieldRoom = 8;
constexpr int kFieldBrackets = 2;
constexpr int kMarkWidth = 4;  // "( ) " before a radio button's or check box's caption
// Edges this close in the template line up in cells; controls whose tops are this close (half
// that in different boxes) and that overlap by half their height share a line.
constexpr int kAlignUnits = 2;
constexpr int kSameLineUnits = 8;
// A frame and whatever it does not hold keep a blank between them; a frame's caption takes
// "┌─ Caption ─┐".
constexpr int kFrameGap = 2;
constexpr int kCaptionExtra = 5;
// A group box's frame line runs through the middle of its caption's text row: half a row of
// text (4 of its 8 units) inside the box's top edge, and as far inside its bottom edge. A label
// of several rows has its first row's middle as far below its top.
constexpr int kHalfTextRowUnits = 4;
// A label that the template breaks onto fewer rows than this (two: the original's font was
// wider than a cell) is drawn on one row, so that no word of it lands under the next line.
constexpr int kJoinedLabelRows = 3;

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

int TextLength(std::u32string_view text) {
    int length = 0;
    for (const std::u32string& line : WrapText(text, INT_MAX / 2)) {
        length = std::max(length, static_cast<int>(line.size()));
    }
    return length;
}

struct Item {
    const ControlTemplate* t = nullptr;
    int control = 0;  // index in template order
    int parent = -1;  // item index of the innermost group box around it
    int width = 0;    // cells, of a control other than a group box
    int height = 1;

    bool Box() const { return t->kind == ControlKind::GroupBox; }
    int Left() const { return t->x; }
    int Right() const { return t->x + t->cx; }
    int Top() const { return t->y; }
    int Bottom() const { return t->y + t->cy; }
    // Where its first row lies, in units.
    int RowUnits() const { return height > 1 ? t->y + kHalfTextRowUnits : t->y + t->cy / 2; }
};

bool Inside(const ControlTemplate& outer, const ControlTemplate& inner) {
    return &outer != &inner && inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.cx <= outer.x + outer.cx && inner.y + inner.cy <= outer.y + outer.cy;
}

void Measure(Item& item) {
    const ControlTemplate& t = *item.t;
    // Measured as a terminal without Unicode draws it, so that both draw the same layout.
    const std::u32string text = AsciiForm(DecodeUtf8(t.text));
    const int templateColumns = Round(t.cx / kUnitsPerColumn);
    switch (t.kind) {
        case ControlKind::Static: {
            // A label of one row in the template stays on one row, and so does one that the
            // template breaks onto two; a taller one wraps at its width, or at its longest line
            // where it breaks its lines itself.
            const bool breaks = text.find(U'\n') != std::u32string::npos;
            const int templateRows = (t.cy + 2) / static_cast<int>(kUnitsPerRow);
            if (breaks && templateRows < kJoinedLabelRows) {
                item.width = std::max(1, TextLength(JoinedLines(text)));
                item.height = 1;
            } else if (!breaks && templateRows < 2) {
                item.width = std::max(1, TextLength(text));
                item.height = 1;
            } else {
                int wrap = std::max(1, templateColumns);
                if (breaks) {
                    wrap = std::max(wrap, TextLength(text));
                }
                const auto lines = WrapText(text, wrap);
                item.width = 1;
                for (const std::u32string& line : lines) {
                    item.width = std::max(item.width, static_cast<int>(line.size()));
                }
                item.height = static_cast<int>(lines.size());
            }
            if (t.centred) {
                item.width = std::max(item.width, templateColumns);
            }
            return;
        }
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
            item.width = kMarkWidth + TextLength(text);
            return;
        case ControlKind::PushButton:
            item.width = std::max(t.cx / static_cast<int>(kUnitsPerColumn), TextLength(text) + 4);
            return;
        case ControlKind::Edit: {
            const double letters = (t.cx - kFieldBorderUnits) / kUnitsPerFieldLetter;
            item.width =
                std::max(kLeastFieldRoom, static_cast<int>(std::ceil(letters))) + kFieldBrackets;
            return;
        }
        case ControlKind::GroupBox:
        case ControlKind::Icon:
            return;
    }
}

std::vector<Item> Items(const DialogTemplate& dialog) {
    std::vector<Item> items;
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        // An icon is not drawn: a terminal has no picture for it.
        if (dialog.controls[i].kind != ControlKind::Icon) {
            items.push_back({&dialog.controls[i], static_cast<int>(i)});
            Measure(items.back());
        }
    }
    for (Item& item : items) {
        long smallest = LONG_MAX;
        for (std::size_t j = 0; j < items.size(); ++j) {
            const ControlTemplate& box = *items[j].t;
            const long area = static_cast<long>(box.cx) * box.cy;
            if (items[j].Box() && Inside(box, *item.t) && area < smallest) {
                smallest = area;
                item.parent = static_cast<int>(j);
            }
        }
    }
    return items;
}

// Least distances between positions on one axis, solved as longest paths. Each distance has a
// least number of cells and a number of template units, which at a scale gives cells too; the
// larger counts. Merged positions are one.
class Spacing {
  public:
    explicit Spacing(int nodes) : m_rep(static_cast<std::size_t>(nodes)), m_units(m_rep.size()) {
        std::iota(m_rep.begin(), m_rep.end(), 0);
    }
    void SetUnits(int node, int units) { m_units[static_cast<std::size_t>(node)] = units; }
    int Units(int node) const { return m_units[static_cast<std::size_t>(node)]; }
    void Merge(int a, int b) {
        a = Rep(a);
        b = Rep(b);
        m_rep[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
    }
    // to lies at least least cells after from, and with spread at least its template distance
    // too. Template distances count between neighbours only: measured across several
    // controls, each rounded apart, they would space equal steps unequally.
    void Apart(int from, int to, int least, bool spread = true) {
        m_edges.push_back({from, to, least, spread});
    }

    // The positions at unitsPerCell (0: the least distances alone); nothing when the
    // distances contradict each other.
    std::optional<std::vector<int>> Solve(double unitsPerCell) const {
        const std::size_t count = m_rep.size();
        std::vector<int> position(count, 0);
        std::vector<bool> follows(count, false);
        std::vector<int> units(count, INT_MAX);
        for (std::size_t n = 0; n < count; ++n) {
            const auto rep = static_cast<std::size_t>(Rep(static_cast<int>(n)));
            units[rep] = std::min(units[rep], m_units[n]);
        }
        for (const Edge& edge : m_edges) {
            if (Rep(edge.from) == Rep(edge.to)) {
                if (edge.least > 0) {
                    return std::nullopt;
                }
                continue;
            }
            follows[static_cast<std::size_t>(Rep(edge.to))] = true;
        }
        // What follows nothing keeps its distance from the dialog's edge.
        for (std::size_t n = 0; n < count; ++n) {
            if (!follows[n] && unitsPerCell > 0 && units[n] != INT_MAX) {
                position[n] = std::max(0, static_cast<int>(std::floor(units[n] / unitsPerCell)));
            }
        }
        for (std::size_t pass = 0; pass <= count; ++pass) {
            bool changed = false;
            for (const Edge& edge : m_edges) {
                const auto from = static_cast<std::size_t>(Rep(edge.from));
                const auto to = static_cast<std::size_t>(Rep(edge.to));
                int cells = edge.least;
                if (unitsPerCell > 0 && edge.spread) {
                    const int apart = m_units[static_cast<std::size_t>(edge.to)] -
                                      m_units[static_cast<std::size_t>(edge.from)];
                    cells = std::max(cells, Round(apart / unitsPerCell));
                }
                if (from != to && position[from] + cells > position[to]) {
                    position[to] = position[from] + cells;
                    changed = true;
                }
            }
            if (!changed) {
                std::vector<int> result(count);
                for (std::size_t n = 0; n < count; ++n) {
                    result[n] = position[static_cast<std::size_t>(Rep(static_cast<int>(n)))];
                }
                return result;
            }
        }
        return std::nullopt;
    }

  private:
    struct Edge {
        int from;
        int to;
        int least;
        bool spread;
    };
    int Rep(int node) const {
        while (m_rep[static_cast<std::size_t>(node)] != node) {
            node = m_rep[static_cast<std::size_t>(node)];
        }
        return node;
    }

    std::vector<int> m_rep;
    std::vector<int> m_units;
    std::vector<Edge> m_edges;
};

// Positions 2i and 2i + 1 are item i's left (top) edge and a group box's right (bottom) frame.
int Near(int item) {
    return 2 * item;
}
int Far(int item) {
    return 2 * item + 1;
}

bool Overlap(int a0, int a1, int b0, int b1) {
    return a0 < b1 && b0 < a1;
}

// Distances between siblings, each marked whether it is between neighbours: whether no sibling
// lies between the two.
class Order {
  public:
    explicit Order(int count)
        : m_count(count), m_before(static_cast<std::size_t>(count * count), false) {}
    void Before(int a, int b) { m_before[Index(a, b)] = true; }
    bool IsBefore(int a, int b) const { return m_before[Index(a, b)]; }
    bool Neighbours(int a, int b) const {
        for (int k = 0; k < m_count; ++k) {
            if (IsBefore(a, k) && IsBefore(k, b)) {
                return false;
            }
        }
        return true;
    }
    bool First(int b) const {
        for (int k = 0; k < m_count; ++k) {
            if (IsBefore(k, b)) {
                return false;
            }
        }
        return true;
    }
    bool Last(int a) const {
        for (int k = 0; k < m_count; ++k) {
            if (IsBefore(a, k)) {
                return false;
            }
        }
        return true;
    }

  private:
    std::size_t Index(int a, int b) const { return static_cast<std::size_t>(a * m_count + b); }
    int m_count;
    std::vector<bool> m_before;
};

// Where an item's left edge lies, in units: inside a frame, its offset from the frame counts in
// whole columns of the template's scale, a half rounded down. The templates were drawn by hand:
// the same group on two pages puts its controls up to half a column apart, and scaled they
// would land a column apart.
int ColumnUnits(const std::vector<Item>& items, const Item& item) {
    if (item.parent < 0) {
        return item.Left();
    }
    constexpr int kColumn = static_cast<int>(kUnitsPerColumn);
    const int frame = items[static_cast<std::size_t>(item.parent)].Left();
    const int offset = item.Left() - frame;
    return frame + (offset + kColumn / 2 - 1) / kColumn * kColumn;
}

// Columns: neighbours on a line keep their order and a blank between them; what a box holds
// stays inside its frame with a blank to either side.
Spacing ColumnSpacing(const std::vector<Item>& items, bool align) {
    const int count = static_cast<int>(items.size());
    Spacing spacing(2 * count);
    Order order(count);
    for (int i = 0; i < count; ++i) {
        const Item& a = items[static_cast<std::size_t>(i)];
        for (int j = 0; j < count; ++j) {
            const Item& b = items[static_cast<std::size_t>(j)];
            if (i == j) {
                continue;
            }
            const bool sameRows = Overlap(a.Top(), a.Bottom(), b.Top(), b.Bottom());
            if (a.parent == b.parent && sameRows && a.Left() < b.Left() &&
                a.Right() - b.Left() <= kAlignUnits) {
                order.Before(i, j);
            }
            // Edges that nearly line up in the template line up; a box's right frame too.
            if (align && i < j && !sameRows && Overlap(a.Left(), a.Right(), b.Left(), b.Right()) &&
                a.Box() == b.Box()) {
                if (std::abs(ColumnUnits(items, a) - ColumnUnits(items, b)) <= kAlignUnits) {
                    spacing.Merge(Near(i), Near(j));
                }
                if (a.Box() && std::abs(a.Right() - b.Right()) <= kAlignUnits) {
                    spacing.Merge(Far(i), Far(j));
                }
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            if (order.IsBefore(i, j)) {
                const Item& a = items[static_cast<std::size_t>(i)];
                spacing.Apart(a.Box() ? Far(i) : Near(i), Near(j),
                              a.Box() ? kFrameGap : a.width + 1, order.Neighbours(i, j));
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        const Item& item = items[static_cast<std::size_t>(i)];
        spacing.SetUnits(Near(i), ColumnUnits(items, item));
        spacing.SetUnits(Far(i), item.Right() - static_cast<int>(kUnitsPerColumn));
        if (item.Box()) {
            const int caption = TextLength(AsciiForm(DecodeUtf8(item.t->text)));
            spacing.Apart(Near(i), Far(i), caption > 0 ? caption + kCaptionExtra : 1);
        }
        if (item.parent >= 0) {
            const bool first = order.First(i);
            const bool last = order.Last(i);
            spacing.Apart(Near(item.parent), Near(i), kFrameGap, first);
            if (item.Box()) {
                spacing.Apart(Far(i), Far(item.parent), kFrameGap, last);
            } else {
                spacing.Apart(Near(i), Far(item.parent), item.width + 1, last);
            }
        }
    }
    return spacing;
}

// The cells across that an item takes, its frames included, from the columns solved.
struct Span {
    int from;
    int to;  // one past the last
};
Span Across(const std::vector<Item>& items, const std::vector<int>& columns, int i) {
    const Item& item = items[static_cast<std::size_t>(i)];
    const int left = columns[static_cast<std::size_t>(Near(i))];
    return {left, item.Box() ? columns[static_cast<std::size_t>(Far(i))] + 1 : left + item.width};
}

// Whether two items overlap across, or stand less than a blank apart: then they cannot share a
// row.
bool Clash(const std::vector<Item>& items, const std::vector<int>& columns, int i, int j) {
    const Span a = Across(items, columns, i);
    const Span b = Across(items, columns, j);
    return Overlap(a.from, a.to + 1, b.from, b.to + 1);
}

// Pairs of controls side by side in the template (tops close, sharing half their height) that
// do not clash, the closest first.
std::vector<std::pair<int, int>> SideBySide(const std::vector<Item>& items,
                                            const std::vector<int>& columns) {
    const int count = static_cast<int>(items.size());
    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const Item& a = items[static_cast<std::size_t>(i)];
            const Item& b = items[static_cast<std::size_t>(j)];
            const int shared = std::min(a.Bottom(), b.Bottom()) - std::max(a.Top(), b.Top());
            const int near = a.parent == b.parent ? kSameLineUnits : kSameLineUnits / 2;
            if (!a.Box() && !b.Box() && std::abs(a.Top() - b.Top()) <= near &&
                2 * shared >= std::min(a.t->cy, b.t->cy) && !Clash(items, columns, i, j)) {
                pairs.emplace_back(i, j);
            }
        }
    }
    const auto gap = [&](const std::pair<int, int>& pair) {
        return std::abs(items[static_cast<std::size_t>(pair.first)].Top() -
                        items[static_cast<std::size_t>(pair.second)].Top());
    };
    std::stable_sort(pairs.begin(), pairs.end(),
                     [&](const auto& p, const auto& q) { return gap(p) < gap(q); });
    return pairs;
}

// The line of each item: pairs side by side join their lines, the closest pairs first, unless
// some item of the one line would clash with one of the other. Items of a line share a row.
std::vector<int> Lines(const std::vector<Item>& items, const std::vector<int>& columns,
                       Spacing& spacing) {
    const int count = static_cast<int>(items.size());
    std::vector<int> line(static_cast<std::size_t>(count));
    std::iota(line.begin(), line.end(), 0);
    const auto clashes = [&](int a, int b) {
        for (int k = 0; k < count; ++k) {
            for (int m = 0; m < count; ++m) {
                if (line[static_cast<std::size_t>(k)] == a &&
                    line[static_cast<std::size_t>(m)] == b && Clash(items, columns, k, m)) {
                    return true;
                }
            }
        }
        return false;
    };
    for (const auto& [i, j] : SideBySide(items, columns)) {
        const int a = line[static_cast<std::size_t>(i)];
        const int b = line[static_cast<std::size_t>(j)];
        if (a != b && !clashes(a, b)) {
            spacing.Merge(Near(i), Near(j));
            std::replace(line.begin(), line.end(), b, a);
        }
    }
    return line;
}

// Siblings that clash are stacked, the one whose middle is higher in the template first.
Order StackOrder(const std::vector<Item>& items, const std::vector<int>& columns) {
    const int count = static_cast<int>(items.size());
    Order order(count);
    for (int i = 0; i < count; ++i) {
        const Item& a = items[static_cast<std::size_t>(i)];
        for (int j = 0; j < count; ++j) {
            const Item& b = items[static_cast<std::size_t>(j)];
            if (i == j || a.parent != b.parent || !Clash(items, columns, i, j)) {
                continue;
            }
            const int aMiddle = a.Top() + a.Bottom();
            const int bMiddle = b.Top() + b.Bottom();
            if (aMiddle < bMiddle || (aMiddle == bMiddle && i < j)) {
                order.Before(i, j);
            }
        }
    }
    return order;
}

// An item's row and, inside a frame, its distance from the frame's top and bottom: a line's
// distance counts when nothing of the line has a sibling above it (below it).
void RowsInFrame(const std::vector<Item>& items, const std::vector<int>& line, const Order& order,
                 int i, Spacing& spacing) {
    const int count = static_cast<int>(items.size());
    const Item& item = items[static_cast<std::size_t>(i)];
    if (item.Box()) {
        spacing.SetUnits(Near(i), item.Top() + kHalfTextRowUnits);
        spacing.SetUnits(Far(i), item.Bottom() - kHalfTextRowUnits);
        spacing.Apart(Near(i), Far(i), 1);
    } else {
        spacing.SetUnits(Near(i), item.RowUnits());
    }
    if (item.parent < 0) {
        return;
    }
    bool first = true;
    bool last = true;
    for (int k = 0; k < count; ++k) {
        if (line[static_cast<std::size_t>(k)] == line[static_cast<std::size_t>(i)]) {
            first = first && order.First(k);
            last = last && order.Last(k);
        }
    }
    const bool box = item.Box();
    spacing.Apart(Near(item.parent), Near(i), box ? kFrameGap : 1, first);
    spacing.Apart(box ? Far(i) : Near(i), Far(item.parent), box ? kFrameGap : item.height, last);
}

// Frames side by side whose tops (bottoms) nearly line up in the template line up.
void AlignFrames(const std::vector<Item>& items, const std::vector<int>& columns,
                 Spacing& spacing) {
    const int count = static_cast<int>(items.size());
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const Item& a = items[static_cast<std::size_t>(i)];
            const Item& b = items[static_cast<std::size_t>(j)];
            if (!a.Box() || !b.Box() || Clash(items, columns, i, j)) {
                continue;
            }
            if (std::abs(a.Top() - b.Top()) <= kAlignUnits) {
                spacing.Merge(Near(i), Near(j));
            }
            if (std::abs(a.Bottom() - b.Bottom()) <= kAlignUnits) {
                spacing.Merge(Far(i), Far(j));
            }
        }
    }
}

// Rows: what overlaps across (with a blank between) is stacked in the template's order, with a
// blank row between a frame and what it does not hold; controls of one line share a row.
Spacing RowSpacing(const std::vector<Item>& items, const std::vector<int>& columns, bool align) {
    const int count = static_cast<int>(items.size());
    Spacing spacing(2 * count);
    std::vector<int> line(static_cast<std::size_t>(count));
    std::iota(line.begin(), line.end(), 0);
    if (align) {
        line = Lines(items, columns, spacing);
    }
    const Order order = StackOrder(items, columns);
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < count; ++j) {
            if (order.IsBefore(i, j)) {
                const Item& a = items[static_cast<std::size_t>(i)];
                const Item& b = items[static_cast<std::size_t>(j)];
                const int least = a.Box() ? kFrameGap : a.height + (b.Box() ? 1 : 0);
                spacing.Apart(a.Box() ? Far(i) : Near(i), Near(j), least, order.Neighbours(i, j));
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        RowsInFrame(items, line, order, i, spacing);
    }
    if (align) {
        AlignFrames(items, columns, spacing);
    }
    return spacing;
}

struct Solution {
    std::vector<int> positions;
    int extent = 0;
    bool fits = true;
};

// The widest spacing, from the template's own scale down, whose extent fits limit; the least
// distances when none does. Lined-up edges and shared lines give way when they contradict the
// distances.
Solution Spread(const std::function<Spacing(bool)>& make,
                const std::function<int(const std::vector<int>&)>& extent, double units, int limit,
                int nodes) {
    for (const bool align : {true, false}) {
        const Spacing spacing = make(align);
        if (!spacing.Solve(0)) {
            continue;
        }
        for (double scale = units; scale <= units * kMostShrink; scale *= kShrinkStep) {
            if (auto positions = spacing.Solve(scale)) {
                const int size = extent(*positions);
                if (size <= limit) {
                    return {std::move(*positions), size, true};
                }
            }
        }
        auto positions = *spacing.Solve(0);
        const int size = extent(positions);
        return {std::move(positions), size, size <= limit};
    }
    return {std::vector<int>(static_cast<std::size_t>(nodes), 0), 0, false};
}

// The controls in reading order: each box's contents (children, by item index of the box plus
// one, 0 for the dialog's own) sorted by row, then column, each box's before what follows it.
std::vector<int> InReadingOrder(const std::vector<Item>& items,
                                std::vector<std::vector<int>> children,
                                const std::vector<CellRect>& cells) {
    std::vector<int> reading;
    const std::function<void(int)> read = [&](int parent) {
        std::vector<int>& list = children[static_cast<std::size_t>(parent + 1)];
        std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
            const CellRect& p = cells[static_cast<std::size_t>(a)];
            const CellRect& q = cells[static_cast<std::size_t>(b)];
            return p.y != q.y ? p.y < q.y : p.x < q.x;
        });
        for (const int control : list) {
            reading.push_back(control);
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (items[i].control == control && items[i].Box()) {
                    read(static_cast<int>(i));
                }
            }
        }
    };
    read(-1);
    return reading;
}

}  // namespace

DialogLayout::DialogLayout(const DialogTemplate& dialog, int columns, int rows)
    : m_cells(dialog.controls.size()), m_parents(dialog.controls.size(), -1) {
    const std::vector<Item> items = Items(dialog);
    const int count = static_cast<int>(items.size());
    auto farthest = [&](const std::vector<int>& positions, bool across) {
        int size = 0;
        for (int i = 0; i < count; ++i) {
            const Item& item = items[static_cast<std::size_t>(i)];
            const int near = positions[static_cast<std::size_t>(Near(i))];
            const int far = item.Box() ? positions[static_cast<std::size_t>(Far(i))] + 1
                                       : near + (across ? item.width : item.height);
            size = std::max(size, far);
        }
        return size;
    };
    const Solution across = Spread([&](bool align) { return ColumnSpacing(items, align); },
                                   [&](const auto& p) { return farthest(p, true); },
                                   kUnitsPerColumn, columns, 2 * count);
    const Solution down =
        Spread([&](bool align) { return RowSpacing(items, across.positions, align); },
               [&](const auto& p) { return farthest(p, false); }, kUnitsPerRow, rows, 2 * count);
    m_columns = std::max(1, across.extent);
    m_rows = std::max(1, down.extent);
    m_fits = across.fits && down.fits;

    std::vector<std::vector<int>> children(items.size() + 1);
    for (int i = 0; i < count; ++i) {
        const Item& item = items[static_cast<std::size_t>(i)];
        const auto at = [&](const Solution& s, int node) {
            return s.positions[static_cast<std::size_t>(node)];
        };
        CellRect& cells = m_cells[static_cast<std::size_t>(item.control)];
        cells.x = at(across, Near(i));
        cells.y = at(down, Near(i));
        cells.width = item.Box() ? at(across, Far(i)) - cells.x + 1 : item.width;
        cells.height = item.Box() ? at(down, Far(i)) - cells.y + 1 : item.height;
        m_parents[static_cast<std::size_t>(item.control)] =
            item.parent >= 0 ? items[static_cast<std::size_t>(item.parent)].control : -1;
        children[static_cast<std::size_t>(item.parent + 1)].push_back(item.control);
    }
    m_reading = InReadingOrder(items, children, m_cells);
}

DialogLayout DialogLayout::Natural(const DialogTemplate& dialog) {
    return {dialog, INT_MAX, INT_MAX};
}

std::u32string JoinedLines(std::u32string_view text) {
    std::u32string joined;
    for (const std::u32string& line : WrapText(text, INT_MAX / 2)) {
        joined += (joined.empty() ? U"" : U" ") + line;
    }
    return joined;
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

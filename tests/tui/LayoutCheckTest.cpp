// Every dialog of the plug-in drawn clean, checked on the rendered grid: frames whole and apart,
// nothing on or against a frame, labels and captions whole and on the line they belong to,
// units clear of their fields, value fields wide enough for the longest text their page shows
// (and for the mark of a value that came back different), plain ASCII where the terminal has
// no Unicode, the same group drawn alike on every tab, and a status line that cuts no word.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "host/tui/DialogView.h"
#include "host/tui/FileDialogView.h"
#include "host/tui/MessageBoxView.h"
#include "host/tui/ModalDialogView.h"
#include "host/tui/Screen.h"
#include "host/tui/SheetView.h"
#include "host/tui/Utf8.h"
#include "platform/ui/Dialog.h"
#include "plugin/resources/Resources.h"
#include "tests/support/ExtraPage.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::TemplateSheet;

namespace {

// The longest text a page shows in a field: seven digits for a value (a counter, a typed
// number) unless the page shows a longer word or name there. Empty: the field scrolls.
std::string WidestText(const std::string& page, const ControlTemplate& field) {
    if (field.password || (page == "Import / Export" && field.id == 428)) {
        return "";
    }
    if (page == "Settings humidity" && field.id == 211) {
        return "Dehumidifer";
    }
    if (page == "Node information" && field.id == 201) {
        return std::string(50, 'N');
    }
    if (page == "Import / Export" && field.id == 439) {
        return std::string(20, 'N');
    }
    return "1000000";
}

std::u32string Words(std::u32string_view text) {
    std::u32string words;
    for (const std::u32string& line : WrapText(text, 1000)) {
        std::u32string_view rest = line;
        while (!rest.empty()) {
            const auto start = rest.find_first_not_of(U' ');
            if (start == std::u32string_view::npos) {
                break;
            }
            rest.remove_prefix(start);
            const auto end = std::min(rest.find(U' '), rest.size());
            words += (words.empty() ? U"" : U" ") + std::u32string(rest.substr(0, end));
            rest.remove_prefix(end);
        }
    }
    return words;
}

// Checks one dialog drawn on a grid with its top-left cell at origin.
class Checker {
  public:
    // marked: the fields whose value came back different.
    Checker(const CellGrid& grid, CellPos origin, const DialogView& view, const Glyphs& glyphs,
            std::set<int> marked = {})
        : m_grid(grid),
          m_origin(origin),
          m_view(view),
          m_glyphs(glyphs),
          m_marked(std::move(marked)) {}

    std::vector<std::string> Problems() {
        const auto& controls = m_view.Dialog().Controls();
        for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
            const CWnd& control = *controls[static_cast<std::size_t>(i)];
            if (!control.IsWindowVisible()) {
                continue;
            }
            const CellRect cells = Cells(i);
            const std::u32string decoded = DecodeUtf8(control.GetWindowText());
            const std::u32string text = m_glyphs.unicode ? decoded : AsciiForm(decoded);
            switch (control.Template()->kind) {
                case ControlKind::GroupBox:
                    CheckFrame(cells, text);
                    break;
                case ControlKind::Static:
                    CheckLabel(cells, text);
                    CheckLabelLine(static_cast<int>(i), cells, text);
                    break;
                case ControlKind::RadioButton:
                case ControlKind::CheckBox:
                    CheckCaption(cells, text);
                    break;
                case ControlKind::PushButton:
                    CheckButton(cells, text);
                    break;
                case ControlKind::Edit:
                    CheckField(cells, *control.Template(), text, m_marked.contains(i));
                    break;
                case ControlKind::Icon:
                    break;
            }
        }
        return m_problems;
    }

  private:
    CellRect Cells(int index) const { return m_view.Layout().Cells(index); }
    char32_t At(int x, int y) const {
        x += m_origin.x;
        y += m_origin.y;
        return m_grid.Contains(x, y) ? m_grid.At(x, y) : U' ';
    }
    std::u32string Row(int x, int y, int width) const {
        std::u32string row;
        for (int k = 0; k < width; ++k) {
            row += At(x + k, y);
        }
        return row;
    }
    void Report(const std::string& what, std::u32string_view text, int x, int y) {
        std::ostringstream out;
        out << what << " \"" << EncodeUtf8(text) << "\" at " << x << "," << y;
        m_problems.push_back(out.str());
    }
    static std::u32string Trim(std::u32string_view text) {
        const auto first = text.find_first_not_of(U' ');
        if (first == std::u32string_view::npos) {
            return U"";
        }
        return std::u32string(text.substr(first, text.find_last_not_of(U' ') - first + 1));
    }

    // The frame is whole, its caption uncut, and the cells around it and just inside its sides
    // are blank: nothing crosses, touches or sits on it.
    void CheckFrame(const CellRect& box, std::u32string_view caption) {
        const int right = box.x + box.width - 1;
        const int bottom = box.y + box.height - 1;
        std::u32string top = Row(box.x + 1, box.y, box.width - 2);
        const auto inner = top.find_first_not_of(m_glyphs.horizontal);
        const std::u32string wanted = Trim(caption);
        if (inner != std::u32string::npos) {
            const auto end = top.find_last_not_of(m_glyphs.horizontal);
            if (wanted.empty() || Trim(top.substr(inner, end - inner + 1)) != wanted ||
                top[inner] != U' ' || top[end] != U' ' || inner == 0 || end + 1 == top.size()) {
                Report("frame caption cut or covered:", top, box.x, box.y);
            }
        } else if (!wanted.empty()) {
            Report("frame caption missing:", wanted, box.x, box.y);
        }
        const bool corners =
            At(box.x, box.y) == m_glyphs.topLeft && At(right, box.y) == m_glyphs.topRight &&
            At(box.x, bottom) == m_glyphs.bottomLeft && At(right, bottom) == m_glyphs.bottomRight;
        bool edges = corners;
        for (int x = box.x + 1; x < right; ++x) {
            edges = edges && At(x, bottom) == m_glyphs.horizontal;
        }
        bool inside = true;
        for (int y = box.y + 1; y < bottom; ++y) {
            edges = edges && At(box.x, y) == m_glyphs.vertical && At(right, y) == m_glyphs.vertical;
            inside = inside && At(box.x + 1, y) == U' ' && At(right - 1, y) == U' ';
        }
        if (!edges) {
            Report("frame broken or crossed:", wanted, box.x, box.y);
        }
        if (!inside) {
            Report("something inside touches the side of the frame", wanted, box.x, box.y);
        }
        bool around = true;
        for (int x = box.x - 1; x <= right + 1; ++x) {
            around = around && At(x, box.y - 1) == U' ' && At(x, bottom + 1) == U' ';
        }
        for (int y = box.y; y <= bottom; ++y) {
            around = around && At(box.x - 1, y) == U' ' && At(right + 1, y) == U' ';
        }
        if (!around) {
            Report("something outside touches the frame", wanted, box.x, box.y);
        }
    }

    // The label's rows hold its words, whole and in order, with a blank on either side.
    void CheckLabel(const CellRect& cells, std::u32string_view text) {
        if (Words(text).empty()) {
            return;
        }
        std::u32string shown;
        for (int y = cells.y; y < cells.y + cells.height; ++y) {
            const std::u32string row = Row(cells.x, y, cells.width);
            const auto first = row.find_first_not_of(U' ');
            if (first == std::u32string::npos) {
                continue;
            }
            const int left = cells.x + static_cast<int>(first);
            const int right = cells.x + static_cast<int>(row.find_last_not_of(U' '));
            if (At(left - 1, y) != U' ' || At(right + 1, y) != U' ') {
                Report("label touches its neighbour:", text, left, y);
            }
            shown += (shown.empty() ? U"" : U" ") + Trim(row);
        }
        if (shown != Words(text)) {
            Report("label cut or covered: \"" + EncodeUtf8(shown) + "\" for", text, cells.x,
                   cells.y);
        }
    }

    // A label on more than one row has nothing beside its first row: else its other rows lie
    // under that line's control, apart from the words they belong with.
    void CheckLabelLine(int index, const CellRect& label, std::u32string_view text) {
        if (label.height < 2) {
            return;
        }
        const auto& controls = m_view.Dialog().Controls();
        for (int j = 0; j < static_cast<int>(controls.size()); ++j) {
            const CWnd& other = *controls[static_cast<std::size_t>(j)];
            const ControlKind kind = other.Template()->kind;
            const CellRect cells = Cells(j);
            if (j != index && other.IsWindowVisible() && kind != ControlKind::GroupBox &&
                kind != ControlKind::Icon && cells.y == label.y && cells.height == 1 &&
                cells.x >= label.x + label.width) {
                Report("label wraps under the line beside it:", text, label.x, label.y);
                return;
            }
        }
    }

    void CheckCaption(const CellRect& cells, std::u32string_view caption) {
        const auto length = static_cast<int>(caption.size()) + 4;
        const std::u32string row = Row(cells.x, cells.y, length);
        if (row.substr(4) != caption || At(cells.x + length, cells.y) != U' ' ||
            At(cells.x - 1, cells.y) != U' ') {
            Report("caption cut or touching:", row, cells.x, cells.y);
        }
    }

    void CheckButton(const CellRect& cells, std::u32string_view caption) {
        const std::u32string row = Row(cells.x, cells.y, cells.width);
        if (row.front() != U'<' || row.back() != U'>' ||
            Trim(row.substr(1, row.size() - 2)) != caption || At(cells.x - 1, cells.y) != U' ' ||
            At(cells.x + cells.width, cells.y) != U' ') {
            Report("button cut or touching:", row, cells.x, cells.y);
        }
    }

    void CheckField(const CellRect& cells, const ControlTemplate& field, std::u32string_view text,
                    bool marked) {
        if (text.empty()) {
            return;  // a field that scrolls
        }
        std::u32string row = Row(cells.x, cells.y, cells.width);
        if (!field.readOnly) {
            if (row.front() != U'[' || row.back() != U']') {
                Report("field without its brackets:", row, cells.x, cells.y);
                return;
            }
            row = row.substr(1, row.size() - 2);
        }
        if (marked) {
            if (row.back() != U'!') {
                Report("field without its mark:", row, cells.x, cells.y);
                return;
            }
            row.pop_back();
        }
        if (Trim(row) != text || At(cells.x - 1, cells.y) != U' ' ||
            At(cells.x + cells.width, cells.y) != U' ') {
            Report("field too narrow or touching:", row, cells.x, cells.y);
        }
    }

    const CellGrid& m_grid;
    CellPos m_origin;
    const DialogView& m_view;
    const Glyphs& m_glyphs;
    std::set<int> m_marked;
    std::vector<std::string> m_problems;
};

// Where a terminal without Unicode would show a mark for a character it cannot draw.
std::vector<std::string> NotAscii(const CellGrid& grid) {
    std::vector<std::string> problems;
    for (int y = 0; y < grid.Height(); ++y) {
        for (int x = 0; x < grid.Width(); ++x) {
            if (grid.At(x, y) > 0x7E && grid.At(x, y) != CellGrid::kWideTail) {
                problems.push_back("not ASCII at " + std::to_string(x) + "," + std::to_string(y));
            }
        }
    }
    return problems;
}

// Where a status group's value field and display field stand from its frame, in cells:
// "Status valve (Mv4)" on Secondary heat as on Cooling. Nothing for a page without one.
std::optional<std::pair<int, int>> StatusValueColumns(const DialogView& view) {
    const auto& controls = view.Dialog().Controls();
    std::optional<int> field;
    std::optional<int> display;
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
        const ControlTemplate& t = *controls[static_cast<std::size_t>(i)]->Template();
        const int box = view.Layout().Parent(i);
        if (t.kind != ControlKind::Edit || box < 0 ||
            controls[static_cast<std::size_t>(box)]->Template()->text.rfind("Status", 0) != 0) {
            continue;
        }
        const int column = view.Layout().Cells(i).x - view.Layout().Cells(box).x;
        (t.readOnly ? display : field) = (t.readOnly ? display : field).value_or(column);
    }
    if (!field || !display) {
        return std::nullopt;
    }
    return std::pair{*field, *display};
}

// Fills every field with the widest text its page shows there.
void FillWidest(CDialog& dialog, const std::string& page) {
    for (const auto& control : dialog.Controls()) {
        if (control->Template()->kind == ControlKind::Edit) {
            control->SetWindowText(WidestText(page, *control->Template()));
        }
    }
}

struct Size {
    int columns;
    int rows;
};
constexpr Size kSizes[] = {{80, 24}, {100, 35}, {120, 40}};

std::string Report(const std::vector<std::string>& problems) {
    std::string all;
    for (const std::string& problem : problems) {
        all += "  " + problem + "\n";
    }
    return all;
}

}  // namespace

TEST(TuiLayout, EveryTabIsDrawnCleanAtTheStandardAndALargeSize) {
    for (const Size size : kSizes) {
        for (const Glyphs* glyphs : {&Glyphs::Unicode(), &Glyphs::Ascii()}) {
            TemplateSheet sheet;
            SheetView view(sheet.Sheet());
            EXPECT_LE(view.Columns(), size.columns);
            EXPECT_LE(view.Rows() + 1, size.rows) << "the sheet and the status line";
            std::map<std::string, std::pair<int, int>> statusColumns;
            for (int i = 0; i < sheet.Sheet().GetPageCount(); ++i) {
                CPropertyPage& page = *sheet.Sheet().GetPage(i);
                sheet.Sheet().SetActivePage(i);
                FillWidest(page, page.GetCaption());
                CellGrid grid(size.columns, size.rows);
                view.Render(grid, {0, 0, size.columns, size.rows - 1}, *glyphs);
                auto problems = Checker(grid, view.PageOrigin(), *view.Page(), *glyphs).Problems();
                if (!glyphs->unicode) {
                    for (std::string& problem : NotAscii(grid)) {
                        problems.push_back(std::move(problem));
                    }
                }
                if (const auto columns = StatusValueColumns(*view.Page())) {
                    statusColumns[page.GetCaption()] = *columns;
                }
                EXPECT_TRUE(problems.empty())
                    << page.GetCaption() << " at " << size.columns << " x " << size.rows
                    << (glyphs->unicode ? "" : " in ASCII") << ":\n"
                    << Report(problems) << grid.Rows();
            }
            // The same status group stands alike on every tab that has one.
            ASSERT_GE(statusColumns.size(), 4u);
            for (const auto& [caption, columns] : statusColumns) {
                EXPECT_EQ(columns, statusColumns.begin()->second)
                    << caption << " against " << statusColumns.begin()->first << " at "
                    << size.columns << " x " << size.rows;
            }
        }
    }
}

TEST(TuiLayout, ATabAddedToThePageTableAloneIsCheckedAndInTheGuide) {
    const ExtraPage extra;
    TemplateSheet sheet;
    ASSERT_EQ(sheet.Sheet().GetPage(sheet.Sheet().GetPageCount() - 1)->GetCaption(),
              ExtraPage::kCaption);
    sheet.Select(std::string(ExtraPage::kCaption));
    SheetView view(sheet.Sheet());
    CellGrid grid(80, 24);
    view.Render(grid, {0, 0, 80, 23}, Glyphs::Unicode());
    const auto problems =
        Checker(grid, view.PageOrigin(), *view.Page(), Glyphs::Unicode()).Problems();
    EXPECT_TRUE(problems.empty()) << Report(problems) << grid.Rows();
    EXPECT_TRUE(tuitest::Find(grid, std::string(ExtraPage::kGroup)));

    // The guide, on a screen tall enough for all of it.
    Screen screen({"AHU1", "00"}, Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    screen.Handle(InputEvent::FunctionKey(1));
    CellGrid tall(80, 200);
    screen.Render(tall);
    EXPECT_TRUE(tuitest::Find(tall, "Brand new" + std::string(12, ' ') + "a tab of the plug-in"))
        << tall.Rows();
}

TEST(TuiLayout, AFieldMarkedAsComeBackDifferentKeepsItsBrackets) {
    // On every tab with a Write: its first field typed into, the node answering otherwise.
    TemplateSheet sheet;
    int marked = 0;
    for (int i = 0; i < sheet.Sheet().GetPageCount(); ++i) {
        sheet.Sheet().SetActivePage(i);
        CPropertyPage& page = *sheet.Sheet().GetPage(i);
        DialogView view(page);
        view.Arrange(78, 20);
        const auto& controls = page.Controls();
        std::optional<int> field;
        std::optional<int> write;
        for (int k = 0; k < static_cast<int>(controls.size()); ++k) {
            const CWnd& control = *controls[static_cast<std::size_t>(k)];
            const ControlTemplate& t = *control.Template();
            if (!field && t.kind == ControlKind::Edit && !t.readOnly && !t.password &&
                control.IsWindowEnabled()) {
                field = k;
            }
            if (t.kind == ControlKind::PushButton && control.GetWindowText() == "Write") {
                write = k;
            }
        }
        if (!field || !write) {
            continue;
        }
        view.FocusControl(*field, true);
        view.HandleKey(tuitest::Type(U'3'));
        controls[static_cast<std::size_t>(*field)]->SetWindowText("44");
        const CellRect& button = view.Layout().Cells(*write);
        ASSERT_TRUE(view.HandleClick(button.x, button.y));
        ASSERT_EQ(view.TakeReadBack(), 1) << page.GetCaption();
        ++marked;
        for (const Glyphs* glyphs : {&Glyphs::Unicode(), &Glyphs::Ascii()}) {
            CellGrid grid(80, 24);
            view.Render(grid, {1, 1}, *glyphs, false);
            const auto problems = Checker(grid, {1, 1}, view, *glyphs, {*field}).Problems();
            EXPECT_TRUE(problems.empty()) << page.GetCaption() << ":\n"
                                          << Report(problems) << grid.Rows();
        }
    }
    EXPECT_GE(marked, 10);
}

TEST(TuiLayout, TheStatusLineCutsNoWordBesideANotice) {
    for (const Glyphs* glyphs : {&Glyphs::Unicode(), &Glyphs::Ascii()}) {
        TemplateSheet sheet;
        Screen screen({"AHU1", "90 51 4D 41 37 5F 31 6A"}, *glyphs);
        screen.WindowStarted(sheet.Sheet());
        screen.SetNotice("2 fields came back different");
        CellGrid grid(80, 24);
        screen.Render(grid);
        std::u32string row;
        for (int x = 0; x < grid.Width(); ++x) {
            row += grid.At(x, grid.Height() - 1);
        }
        const std::string status = EncodeUtf8(row);
        EXPECT_NE(status.find(" simulated "), std::string::npos) << status;
        EXPECT_NE(status.find(" 2 fields came back different"), std::string::npos) << status;
    }
}

TEST(TuiLayout, TheAboutBoxMessageBoxesAndTheFileDialogFitAndDrawClean) {
    for (const Size size : kSizes) {
        const CellRect area{0, 0, size.columns, size.rows - 1};
        for (const Glyphs* glyphs : {&Glyphs::Unicode(), &Glyphs::Ascii()}) {
            CDialog about(DialogResource(IDD_ABOUTBOX_QMA7));
            about.Create();
            ModalDialogView view(about);
            CellGrid grid(size.columns, size.rows);
            view.Render(grid, area, *glyphs);
            EXPECT_LE(view.Columns(), area.width);
            EXPECT_LE(view.Rows(), area.height);
            const auto problems =
                Checker(grid, view.ControlsOrigin(), view.Controls(), *glyphs).Problems();
            EXPECT_TRUE(problems.empty())
                << "About box at " << size.columns << " x " << size.rows << ":\n"
                << Report(problems) << grid.Rows();
            about.DestroyWindow();
        }
        // The longest question the sheet asks, and the file dialog.
        const MessageBoxView box(MessageBoxRequest::FromFlags(
            "The file already exists.\nDo you want to replace it with the node's settings of "
            "today?",
            "Save to file", MB_YESNOCANCEL | MB_ICONQUESTION));
        EXPECT_LE(box.Columns(), area.width);
        EXPECT_LE(box.Rows(), area.height);
        const FileDialogView files({true, "AHU1.txt", "txt", "Text files (*.txt)|*.txt|", false},
                                   "/");
        EXPECT_LE(files.Columns(), area.width);
        EXPECT_LE(files.Rows(), area.height);
    }
}

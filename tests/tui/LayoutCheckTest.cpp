// Every dialog of the plug-in drawn clean, checked on the rendered grid: frames whole and apart,
// nothing on or against a frame, labels and captions whole, units clear of their fields, and
// value fields wide enough for the longest text their page shows.
#include <gtest/gtest.h>

#include <sstream>

#include "host/tui/DialogView.h"
#include "host/tui/FileDialogView.h"
#include "host/tui/MessageBoxView.h"
#include "host/tui/ModalDialogView.h"
#include "host/tui/SheetView.h"
#include "host/tui/Utf8.h"
#include "platform/ui/Dialog.h"
#include "plugin/resources/Resources.h"
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
    Checker(const CellGrid& grid, CellPos origin, const DialogView& view, const Glyphs& glyphs)
        : m_grid(grid), m_origin(origin), m_view(view), m_glyphs(glyphs) {}

    std::vector<std::string> Problems() {
        const auto& controls = m_view.Dialog().Controls();
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const CWnd& control = *controls[i];
            if (!control.IsWindowVisible()) {
                continue;
            }
            const CellRect cells = Cells(static_cast<int>(i));
            const std::u32string text = DecodeUtf8(control.GetWindowText());
            switch (control.Template()->kind) {
                case ControlKind::GroupBox:
                    CheckFrame(cells, text);
                    break;
                case ControlKind::Static:
                    CheckLabel(cells, text);
                    break;
                case ControlKind::RadioButton:
                case ControlKind::CheckBox:
                    CheckCaption(cells, text);
                    break;
                case ControlKind::PushButton:
                    CheckButton(cells, text);
                    break;
                case ControlKind::Edit:
                    CheckField(cells, *control.Template(), text);
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

    void CheckField(const CellRect& cells, const ControlTemplate& field, std::u32string_view text) {
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
        if (Trim(row) != text || At(cells.x - 1, cells.y) != U' ' ||
            At(cells.x + cells.width, cells.y) != U' ') {
            Report("field too narrow or touching:", row, cells.x, cells.y);
        }
    }

    const CellGrid& m_grid;
    CellPos m_origin;
    const DialogView& m_view;
    const Glyphs& m_glyphs;
    std::vector<std::string> m_problems;
};

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
            for (int i = 0; i < sheet.Sheet().GetPageCount(); ++i) {
                CPropertyPage& page = *sheet.Sheet().GetPage(i);
                sheet.Sheet().SetActivePage(i);
                FillWidest(page, page.GetCaption());
                CellGrid grid(size.columns, size.rows);
                view.Render(grid, {0, 0, size.columns, size.rows - 1}, *glyphs);
                const auto problems =
                    Checker(grid, view.PageOrigin(), *view.Page(), *glyphs).Problems();
                EXPECT_TRUE(problems.empty())
                    << page.GetCaption() << " at " << size.columns << " x " << size.rows
                    << (glyphs->unicode ? "" : " in ASCII") << ":\n"
                    << Report(problems) << grid.Rows();
            }
        }
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

// The screen as the user sees it, compared cell by cell with text snapshots.
#include <gtest/gtest.h>

#include <cctype>

#include "host/tui/MessageBoxView.h"
#include "host/tui/Screen.h"
#include "plugin/settingsfile/ProgramId.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::ExpectGolden;
using tuitest::TemplateSheet;

namespace {

// A standard terminal: the sheet and the status line.
constexpr int kColumns = 80;
constexpr int kRows = 24;

// A screen on the sheet, as the front end starts it.
struct SheetScreen {
    SheetScreen(TemplateSheet& sheet, const Glyphs& glyphs)
        : screen({"AHU1", std::string(settingsfile::kProgramId)}, glyphs) {
        screen.WindowStarted(sheet.Sheet());
    }
    CellGrid Render(int columns = kColumns, int rows = kRows) {
        CellGrid grid(columns, rows);
        screen.Render(grid);
        return grid;
    }
    Screen screen;
};

}  // namespace

TEST(TuiGolden, CoolingTabWithFocusValuesAndADisabledGroup) {
    TemplateSheet sheet;
    sheet.Select("Cooling");
    sheet.Control(268).SetCheck(1);
    sheet.Control(273).SetWindowText("40");
    sheet.Control(274).SetWindowText("38");
    sheet.Control(263).SetCheck(1);
    sheet.Control(264).SetCheck(1);
    sheet.Control(272).SetCheck(1);
    sheet.Control(275).SetWindowText("On");
    for (const int id : {270, 271, 272}) {
        sheet.Control(id).EnableWindow(false);
    }
    sheet.Control(328).SetCheck(1);

    const CellGrid grid = SheetScreen(sheet, Glyphs::Unicode()).Render();
    ExpectGolden("cooling", grid);
    // The focus starts on the tab row, on the tab in front.
    const auto tab = tuitest::Find(grid, " Cooling ");
    EXPECT_EQ(grid.StyleAt(tab->x + 1, tab->y), Style::Focus);
}

TEST(TuiGolden, EveryTabAtTheStandardSize) {
    TemplateSheet sheet;
    SheetScreen screen(sheet, Glyphs::Unicode());
    for (int i = 0; i < sheet.Sheet().GetPageCount(); ++i) {
        sheet.Sheet().SetActivePage(i);
        std::string name;
        for (const char c : sheet.Sheet().GetPage(i)->GetCaption()) {
            if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            } else if (!name.empty() && name.back() != '-') {
                name += '-';
            }
        }
        ExpectGolden("tab-" + name, screen.Render());
    }
}

TEST(TuiGolden, ImportExportTabInAsciiWithAMaskedPassword) {
    TemplateSheet sheet;
    sheet.Select("Import / Export");
    sheet.Control(439).SetWindowText("AHU1");
    sheet.Control(428).SetWindowText("/home/technician/settings/AHU1.txt");
    sheet.Control(221).SetWindowText("secret");
    sheet.Control(430).EnableWindow(false);

    const CellGrid grid = SheetScreen(sheet, Glyphs::Ascii()).Render();
    ExpectGolden("import-export", grid);
    EXPECT_FALSE(tuitest::Find(grid, "secret"));
}

TEST(TuiGolden, MessageBoxOverTheSheet) {
    TemplateSheet sheet;
    SheetScreen screen(sheet, Glyphs::Unicode());
    MessageBoxView box(MessageBoxRequest::FromFlags(
        "The file already exists.\nDo you want to replace it with the node's settings of today?",
        "Save to file", MB_YESNOCANCEL | MB_ICONQUESTION));
    screen.screen.PushOverlay(box);
    ExpectGolden("message-box", screen.Render());
}

TEST(TuiGolden, TooSmallTerminalSaysSoAndResizingRedraws) {
    TemplateSheet sheet;
    SheetScreen screen(sheet, Glyphs::Unicode());
    EXPECT_FALSE(screen.screen.TooSmall(screen.Render(80, 24)));
    const CellGrid small = screen.Render(74, 23);
    EXPECT_TRUE(screen.screen.TooSmall(small));
    EXPECT_TRUE(tuitest::Find(small, "It needs at least 75 x 24 characters; it has 74 x 23."));
    EXPECT_FALSE(tuitest::Find(small, "Exit"));

    const CellGrid large = screen.Render(100, 40);
    EXPECT_FALSE(screen.screen.TooSmall(large));
    // Centred and at its template's proportions: the page's frame starts 5 columns in; the
    // status line is the last row.
    EXPECT_EQ(large.At(5, 3), U'┌');
    EXPECT_TRUE(tuitest::Find(large, " QMA7 │ AHU1 │ 90 51 4D 41 37 5F 31 6A │ simulated"));
    EXPECT_EQ(tuitest::Find(large, "simulated")->y, 39);
}

TEST(TuiGolden, StatusLineOfANodeOnTheNetworkShowsItsAddressAndWhenItStopsAnswering) {
    TemplateSheet sheet;
    std::string problem;
    StatusInfo status{"AHU1", std::string(settingsfile::kProgramId)};
    status.link = "LON/IP";
    status.address = "51/35/12";
    status.problem = [&problem] { return problem; };
    Screen screen(std::move(status), Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    CellGrid grid(100, 40);
    screen.Render(grid);
    EXPECT_TRUE(
        tuitest::Find(grid, " QMA7 │ AHU1 │ 90 51 4D 41 37 5F 31 6A │ 51/35/12 │ LON/IP  "));
    const auto cells = [](const CellGrid& g, Style style) {
        int n = 0;
        for (int y = 0; y < g.Height(); ++y) {
            for (int x = 0; x < g.Width(); ++x) {
                n += g.StyleAt(x, y) == style ? 1 : 0;
            }
        }
        return n;
    };
    const int displayed = cells(grid, Style::Display);
    ASSERT_GT(displayed, 0);
    problem = "no answer from 51/35/12";
    screen.Render(grid);
    // The values shown may no longer be current: dimmed until the node answers again.
    EXPECT_EQ(cells(grid, Style::Display), 0);
    const auto shown = tuitest::Find(grid, "LON/IP │ no answer from 51/35/12");
    ASSERT_TRUE(shown);
    EXPECT_EQ(grid.StyleAt(shown->x + 9, shown->y), Style::Title);
    // At 80 columns the program ID gives way, so that the whole problem stays in view.
    CellGrid standard(80, 24);
    screen.Render(standard);
    EXPECT_TRUE(
        tuitest::Find(standard, " QMA7 │ AHU1 │ 51/35/12 │ LON/IP │ no answer from 51/35/12"));
    problem.clear();
    screen.Render(grid);
    EXPECT_FALSE(tuitest::Find(grid, "no answer"));
    EXPECT_EQ(cells(grid, Style::Display), displayed);
}

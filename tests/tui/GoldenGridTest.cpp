// The screen as the user sees it, compared cell by cell with text snapshots.
#include <gtest/gtest.h>

#include "host/tui/MessageBoxView.h"
#include "host/tui/Screen.h"
#include "plugin/settingsfile/ProgramId.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::ExpectGolden;
using tuitest::TemplateSheet;

namespace {

constexpr int kColumns = 77;  // the sheet's width
constexpr int kRows = 30;     // the sheet's height and the status line

StatusInfo Status() {
    return {"AHU1", std::string(settingsfile::kProgramId)};
}

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

    Screen screen(Status(), Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    CellGrid grid(kColumns, kRows);
    screen.Render(grid);
    ExpectGolden("cooling", grid);
    // The focus starts on the page's first stop: the checked button of the first group.
    EXPECT_EQ(
        grid.StyleAt(tuitest::Find(grid, "(*) Manual")->x, tuitest::Find(grid, "(*) Manual")->y),
        Style::Focus);
}

TEST(TuiGolden, ImportExportTabInAsciiWithAMaskedPassword) {
    TemplateSheet sheet;
    sheet.Select("Import / Export");
    sheet.Control(439).SetWindowText("AHU1");
    sheet.Control(428).SetWindowText("/home/technician/settings/AHU1.txt");
    sheet.Control(221).SetWindowText("secret");
    sheet.Control(430).EnableWindow(false);

    Screen screen(Status(), Glyphs::Ascii());
    screen.WindowStarted(sheet.Sheet());
    CellGrid grid(kColumns, kRows);
    screen.Render(grid);
    ExpectGolden("import-export", grid);
    EXPECT_FALSE(tuitest::Find(grid, "secret"));
}

TEST(TuiGolden, MessageBoxOverTheSheet) {
    TemplateSheet sheet;
    Screen screen(Status(), Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    MessageBoxView box(MessageBoxRequest::FromFlags(
        "The file already exists.\nDo you want to replace it with the node's settings of today?",
        "Save to file", MB_YESNOCANCEL | MB_ICONQUESTION));
    screen.PushOverlay(box);
    CellGrid grid(kColumns, kRows);
    screen.Render(grid);
    ExpectGolden("message-box", grid);
}

TEST(TuiGolden, TooSmallTerminalSaysSoAndResizingRedraws) {
    TemplateSheet sheet;
    Screen screen(Status(), Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    CellGrid small(80, 24);
    screen.Render(small);
    EXPECT_TRUE(screen.TooSmall(small));
    EXPECT_TRUE(tuitest::Find(small, "It needs at least 77 x 30 characters; it has 80 x 24."));
    EXPECT_FALSE(tuitest::Find(small, "Exit"));

    CellGrid large(100, 40);
    screen.Render(large);
    EXPECT_FALSE(screen.TooSmall(large));
    // Centred: the sheet's frame starts 11 columns in; the status line is the last row.
    EXPECT_EQ(large.At(11, 6), U'┌');
    EXPECT_TRUE(tuitest::Find(large, " QMA7 │ AHU1 │ 90 51 4D 41 37 5F 31 6A │ simulated"));
    EXPECT_EQ(tuitest::Find(large, "simulated")->y, 39);
}

// Keys and the mouse on the sheet, acting on the dialog model as a user's would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <initializer_list>

#include "host/tui/Screen.h"
#include "host/tui/SheetView.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::Press;
using tuitest::TemplateSheet;
using tuitest::Type;

namespace {

// The id of the control with the focus on the page; 0 outside the page.
int FocusedId(const SheetView& view) {
    if (view.FocusArea() != SheetView::Area::Page) {
        return 0;
    }
    const auto index = view.Page()->Focused();
    return view.Page()->Dialog().Controls()[static_cast<std::size_t>(*index)]->GetDlgCtrlID();
}

class SheetInput : public ::testing::Test {
  protected:
    SheetInput() {
        sheet.Select("Cooling");
        Render();
    }
    // The sheet's part of a standard terminal: every row but the status line.
    void Render() { view.Render(grid, {0, 0, 80, 23}, Glyphs::Unicode()); }
    // Each key handled and drawn in turn.
    void Key(std::initializer_list<host::tui::Key> keys) {
        for (const host::tui::Key key : keys) {
            view.Handle(Press(key));
            Render();
        }
    }
    void Key(host::tui::Key key) { Key({key}); }
    void Click(const std::string& text, int offset = 0) {
        const auto at = tuitest::Find(grid, text);
        ASSERT_TRUE(at) << "no \"" << text << "\" on the screen";
        view.Handle(InputEvent::Click(at->x + offset, at->y));
        Render();
    }
    std::vector<int> TabStops() {
        std::vector<int> ids;
        for (int i = 0; i < 14; ++i) {
            ids.push_back(view.FocusArea() == SheetView::Area::Buttons ? -view.FocusedButton()
                                                                       : FocusedId(view));
            Key(Key::Tab);
        }
        return ids;
    }

    TemplateSheet sheet;
    SheetView view{sheet.Sheet()};
    CellGrid grid{80, 23};
};

}  // namespace

TEST_F(SheetInput, TabVisitsEnabledControlsInReadingOrderWithOneStopPerRadioGroup) {
    sheet.Control(273).EnableWindow(false);  // the manual value, as in Automatic
    sheet.Control(264).ShowWindow(false);
    sheet.Control(271).SetCheck(1);
    Render();
    // Page controls; 0 is the tab row, -1 the Exit button. The status boxes stand side by
    // side: the left one is read first, then the right one (entered on its checked button).
    EXPECT_THAT(TabStops(), ::testing::ElementsAre(0, 267, 271, 262, 327, 207, 206, -1, 0, 267, 271,
                                                   262, 327, 207));
    Key({Key::BackTab, Key::BackTab});
    EXPECT_EQ(FocusedId(view), 327);
}

TEST_F(SheetInput, WriteDrawnAboveReadComesFirstWhateverTheTemplateOrder) {
    // Recirculation's template lists Read before Write; Write stands above it.
    sheet.Select("Recirculation");
    Render();
    std::vector<int> stops = TabStops();
    const auto write = std::find(stops.begin(), stops.end(), 207);
    ASSERT_NE(write, stops.end());
    EXPECT_EQ(*(write + 1), 206);
    EXPECT_LT(tuitest::Find(grid, "Write")->y, tuitest::Find(grid, "Read ")->y);
}

TEST_F(SheetInput, EnteringAnyTabLeavesTheFocusOnTheTabRow) {
    // However a tab is entered, no key that follows acts on a page not yet seen: Running
    // Hours' first control is a Reset button.
    const int count = sheet.Sheet().GetPageCount();
    for (int i = 0; i < count; ++i) {
        Key({Key::Tab, Key::PageDown});  // into the page, where it has controls, then the next tab
        EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs)
            << sheet.Sheet().GetActivePage()->GetCaption();
    }
    Key(Key::Tab);
    view.Handle(InputEvent::AltKey(U'2'));
    EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs);
    Key(Key::Tab);
    Click("Recirculation");
    EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs);
}

TEST_F(SheetInput, ArrowsClickWithinARadioGroupAndSpaceOrEnterClick) {
    EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs);  // the sheet opens on the tab row
    Key(Key::Tab);
    EXPECT_EQ(FocusedId(view), 267);
    Key({Key::Down, Key::Down, Key::Down});  // stays on the last button
    EXPECT_EQ(FocusedId(view), 269);
    EXPECT_EQ(sheet.Control(269).GetCheck(), 1);  // reaching a button clicks it
    Key(Key::Up);
    EXPECT_EQ(sheet.Control(268).GetCheck(), 1);
    view.Handle(Type(U' '));
    EXPECT_EQ(sheet.Control(268).GetCheck(), 1);
    Key(Key::Tab);  // the manual value field
    EXPECT_EQ(FocusedId(view), 273);
    // Past the right status box and the range group to the Invert check box.
    Key({Key::Tab, Key::Tab, Key::Tab, Key::Enter});
    EXPECT_EQ(sheet.Control(264).GetCheck(), 1);
    // Up and Down leave a check box for the neighbouring stops.
    Key(Key::Up);
    EXPECT_EQ(FocusedId(view), 262);
}

TEST_F(SheetInput, TypingEditsTheFocusedFieldThroughItsWindowText) {
    sheet.Control(273).SetWindowText("40");
    Key({Key::Tab, Key::Tab});
    ASSERT_EQ(FocusedId(view), 273);
    // Tab selects the whole text: typing replaces it.
    for (const char32_t c : U"12.5") {
        if (c != 0) {
            view.Handle(Type(c));
        }
    }
    EXPECT_EQ(sheet.Control(273).GetWindowText(), "12.5");
    Key({Key::Home, Key::Delete, Key::Right});
    view.Handle(Type(U'7'));
    Key({Key::End, Key::Backspace});
    EXPECT_EQ(sheet.Control(273).GetWindowText(), "27.");
    const auto field = tuitest::Find(grid, "[27.");
    ASSERT_TRUE(field);
    EXPECT_EQ(grid.Cursor(), (CellPos{field->x + 1 + 3, field->y}));  // after "27."
    Key(Key::ClearField);
    EXPECT_EQ(sheet.Control(273).GetWindowText(), "");
    // A display field and a disabled field take no typing.
    sheet.Control(273).EnableWindow(false);
    Render();
    view.Handle(Type(U'9'));
    EXPECT_EQ(sheet.Control(273).GetWindowText(), "");
    EXPECT_NE(FocusedId(view), 273);
}

TEST_F(SheetInput, MouseClicksTabsRadioButtonsCheckBoxesAndFocusesFields) {
    Click("Import / Export");
    EXPECT_EQ(sheet.Sheet().GetActivePage()->GetCaption(), "Import / Export");
    EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs);
    Click("Cooling");
    Click("Water cooling");
    EXPECT_EQ(sheet.Control(328).GetCheck(), 1);
    Click("Invert");
    Click("Invert");
    EXPECT_EQ(sheet.Control(264).GetCheck(), 0);
    EXPECT_EQ(FocusedId(view), 264);

    sheet.Control(267).EnableWindow(false);
    Render();
    Click("Off");
    EXPECT_EQ(sheet.Control(267).GetCheck(), 0);
    Click("Exit");
    EXPECT_TRUE(sheet.Sheet().IsModalEnded());

    sheet.Control(273).SetWindowText("45");
    Render();
    const auto field = tuitest::Find(grid, "[45");
    view.Handle(InputEvent::Click(field->x + 2, field->y));  // between the 4 and the 5
    view.Handle(Type(U'0'));
    EXPECT_EQ(sheet.Control(273).GetWindowText(), "405");
}

TEST_F(SheetInput, PageKeysAndAltDigitsSwitchTabsAndEscapeOrF10Exit) {
    Key(Key::PageDown);
    EXPECT_EQ(sheet.Sheet().GetActivePage()->GetCaption(), "Temperatures");
    Key({Key::CtrlPageUp, Key::CtrlPageUp});
    EXPECT_EQ(sheet.Sheet().GetActivePage()->GetCaption(), "Recirculation");
    EXPECT_EQ(view.FocusArea(), SheetView::Area::Tabs);
    view.Handle(InputEvent::AltKey(U'1'));
    Key(Key::PageUp);  // wraps round to the last tab
    EXPECT_EQ(sheet.Sheet().GetActivePage()->GetCaption(), "Config HVAC");
    // The last tab is in view: the row has scrolled and offers the way back.
    EXPECT_EQ(grid.At(0, 0), U'<');
    EXPECT_TRUE(tuitest::Find(grid, " Config HVAC "));
    Key(Key::Function);  // F0: nothing
    EXPECT_FALSE(sheet.Sheet().IsModalEnded());
    view.Handle(InputEvent::FunctionKey(10));
    EXPECT_TRUE(sheet.Sheet().IsModalEnded());
    EXPECT_EQ(sheet.Sheet().ModalResult(), IDOK);
}

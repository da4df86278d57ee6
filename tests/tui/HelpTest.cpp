// The guide on F1: two columns at any width, scrolled by the keys that scroll, closed by any
// other key without that key reaching the sheet.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/tui/HelpView.h"
#include "host/tui/Screen.h"
#include "host/tui/Utf8.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::Press;

TEST(TuiHelp, KeysAndDescriptionsStandInTwoColumnsAtAnyWidth) {
    for (const int width : {76, 46}) {
        const int column = std::min(19, width / 3) + 2;  // where every description starts
        int described = 0;
        for (const std::u32string& line : HelpView({"Cooling", "Alarms"}).Lines(width)) {
            EXPECT_LE(static_cast<int>(line.size()), width) << EncodeUtf8(line);
            const bool heading = line.find(U"  ") == std::u32string::npos;
            if (heading) {
                continue;
            }
            ++described;
            ASSERT_GT(static_cast<int>(line.size()), column) << EncodeUtf8(line);
            EXPECT_EQ(line.substr(static_cast<std::size_t>(column - 2), 2), U"  ")
                << EncodeUtf8(line);
            EXPECT_NE(line[static_cast<std::size_t>(column)], U' ') << EncodeUtf8(line);
        }
        EXPECT_GT(described, 40);
    }
}

TEST(TuiHelp, TheTabsAreTheSheetsOwnAndATerminalWithoutUnicodeGetsPlainText) {
    // A tab the plug-in's profile does not describe still has its line.
    const HelpView help({"Cooling", "Brand new tab"});
    std::u32string all;
    for (const std::u32string& line : help.Lines(76, true)) {
        all += line + U"\n";
    }
    const auto entry = [](std::u32string subject, std::u32string_view text) {
        subject.resize(21, U' ');  // the subject column and its gap
        return U"\n" + subject + std::u32string(text);
    };
    EXPECT_NE(all.find(entry(U"Cooling", U"valve Mv2")), std::u32string::npos);
    EXPECT_NE(all.find(entry(U"Brand new tab", U"a tab of the plug-in")), std::u32string::npos);
    EXPECT_EQ(all.find(U"Alarms"), std::u32string::npos);
    EXPECT_NE(all.find(U"-555.35 to 100 degC"), std::u32string::npos);
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](char32_t c) { return c < 0x80; }));
}

TEST(TuiHelp, F1ShowsTheGuideWhichScrollsAndClosesWithoutActingOnTheSheet) {
    tuitest::TemplateSheet sheet;
    Screen screen({"AHU1", "00"}, Glyphs::Unicode());
    screen.WindowStarted(sheet.Sheet());
    CellGrid grid(80, 24);
    auto shows = [&](const std::string& text) {
        screen.Render(grid);
        return tuitest::Find(grid, text).has_value();
    };
    screen.Handle(InputEvent::FunctionKey(1));
    EXPECT_TRUE(shows("Alt-1 ... Alt-0"));
    EXPECT_FALSE(shows("Talvik"));
    screen.Handle(Press(Key::End));
    EXPECT_TRUE(shows("after a Write"));
    screen.Handle(Press(Key::Home));
    screen.Handle(Press(Key::PageDown));
    EXPECT_FALSE(shows("Alt-1 ... Alt-0"));
    // Esc closes the guide; the sheet is still open and shows again.
    screen.Handle(Press(Key::Escape));
    EXPECT_FALSE(sheet.Sheet().IsModalEnded());
    EXPECT_FALSE(shows("Up/Down, PgUp/PgDn scroll"));
    EXPECT_TRUE(shows("Exit"));
}

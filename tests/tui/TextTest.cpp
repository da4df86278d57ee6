// Text on the screen: bytes that are not UTF-8, wide characters and controls.
#include <gtest/gtest.h>

#include "host/tui/CellGrid.h"
#include "host/tui/Utf8.h"

using namespace host::tui;

namespace {

// Each row's width in cells, as a terminal lays it out.
std::vector<int> RowWidths(const CellGrid& grid) {
    std::vector<int> widths;
    const std::string rows = grid.Rows();
    for (std::size_t start = 0; start < rows.size();) {
        const std::size_t end = rows.find('\n', start);
        widths.push_back(CellWidth(DecodeUtf8(rows.substr(start, end - start))));
        start = end + 1;
    }
    return widths;
}

}  // namespace

TEST(ScreenText, BytesThatAreNotUtf8ShowAsAMarkAndKeepTheirBytes) {
    // A two-byte "ä" cut after its first byte, as a name cut to 20 bytes; an 8-bit name.
    for (const std::string& name : {std::string("Raum \xC3"), std::string("AHU\xE4 1"),
                                    std::string("\xFF\xFE\xED\xA0\x80")}) {
        const std::u32string decoded = DecodeUtf8(name);
        EXPECT_EQ(EncodeUtf8(decoded), name);  // editing the rest keeps these bytes
        CellGrid grid(12, 1);
        grid.Text(0, 0, name, Style::Plain);
        EXPECT_NE(grid.Rows().find("\xEF\xBF\xBD"), std::string::npos) << grid.Rows();
    }
    EXPECT_EQ(DecodeUtf8("\xC3\xA4\xE2\x82\xAC"), U"ä€");

    // Controls never reach the terminal: layout controls become the mark, others blanks.
    CellGrid grid(12, 1);
    grid.Text(0, 0,
              U"a\u202Eb\u2067c\td\x1B"
              U"e\u200Bf",
              Style::Plain);
    EXPECT_EQ(grid.Rows(), "a\uFFFDb\uFFFDc d e\uFFFDf \n");
}

TEST(ScreenText, WideCharactersTakeTwoCellsAndFramesStayStraight) {
    CellGrid grid(14, 4);
    EXPECT_EQ(grid.Text(0, 0, U"温度ab", Style::Plain), 6);
    EXPECT_EQ(grid.Text(0, 1, U"温度ab", Style::Plain, 3), 2);  // half a character is left out
    DrawFrame(grid, 0, 2, 14, 2, Glyphs::Unicode(), Style::Frame, U"温度センサー設定");
    EXPECT_EQ(RowWidths(grid), (std::vector<int>{14, 14, 14, 14}));
    EXPECT_EQ(grid.Rows().substr(grid.Rows().find("┌")), "┌温度センサー┐\n└────────────┘\n");

    // Writing over either half of a wide character blanks the other half.
    grid.Put(1, 0, U'x', Style::Plain);
    grid.Put(2, 0, U'y', Style::Plain);
    EXPECT_EQ(grid.Rows().substr(0, grid.Rows().find('\n')), " xy ab        ");
    // At the right edge there is no room for one.
    grid.Put(13, 1, U'温', Style::Plain);
    EXPECT_EQ(grid.At(13, 1), U' ');
    EXPECT_EQ(CellWidth(U"e\u0301"), 1);  // a combining mark takes no cell
}

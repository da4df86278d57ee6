// The Secondary heat tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

namespace {

struct SecondaryHeatTest : PageTest {
    SecondaryHeatTest() : PageTest("Secondary heat") {}
    void ExpectEnabled(bool enabled) {
        for (const int id : {341, 277, 279, 221, 276, 212, 339, 340, 264, 263, 262}) {
            EXPECT_EQ(Enabled(id), enabled) << id;
        }
        EXPECT_TRUE(Enabled(278) && Enabled(206) && Enabled(207));  // never touched by the show
    }
};

}  // namespace

TEST_F(SecondaryHeatTest, ShowReadsTheNodeAndEnablesByNv12) {
    SetNv(25, LongAt({{8, 1}, {12, 2}}));  // Mv4 Manual, Mp2 Automatic
    SetPart(1, LongAt({{14, 0x80}, {16, 0x80}}));
    Show();
    EXPECT_THAT(Trace(), ElementsAre("0 read 36 31 ok 07D0", "0 read 31 31 ok 0000",
                                     "0 read 26 31 ok " + Long("00 0032 0032 0032 0032"),
                                     "0 read 25 31 ok " + LongAt({{8, 1}, {12, 2}}),
                                     "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                                     "400 read 43 31 ok " + LongAt({{14, 0x80}, {16, 0x80}}),
                                     "400 read 12 31 ok 0100"));
    EXPECT_EQ(Text(279) + " " + Text(212) + " " + Text(278), "10 Off 25");
    EXPECT_TRUE(Checked(276) && Checked(341) && Checked(263) && Checked(264));
    EXPECT_FALSE(Checked(277) || Checked(262));
    ExpectEnabled(true);

    SetNv(12, "00FF");  // byte 0 alone decides
    ShowAgain();
    ExpectEnabled(false);
    FailReads({12});
    ShowAgain();
    ExpectEnabled(false);
    node.HealAll();
    SetNv(12, "8000");  // negative as a signed byte, still non-zero
    ShowAgain();
    ExpectEnabled(true);

    SetNv(31, "8000");
    Advance(2000);
    EXPECT_EQ(Text(212), "On");
}

TEST_F(SecondaryHeatTest, WriteSendsItsOwnWordsAndBitsAndEverythingElseAsRead) {
    const std::string manual = Distinct({}, 0x40);
    SetNv(26, manual);
    SetNv(25, Distinct());
    // Every bit of bytes 14 and 16 but the tab's own, the Cooling tab's 0x02 among them.
    const std::string part = Distinct({{14, 0x7F}, {16, 0x7F}}, 0x01);
    SetPart(1, part);
    Show();
    Trace();

    Click(276);  // Mv4 Manual
    Click(339);  // Mp2 Off
    Set(278, "50");
    Click(263);
    Click(264);
    Click(207);
    const std::string manual1 = Distinct({{7, 0}, {8, 0x64}}, 0x40);
    const std::string status1 = Distinct({{7, 0}, {8, 1}, {11, 0}, {12, 0}});
    const std::string part1 = Distinct({{14, 0xFF}, {16, 0xFF}}, 0x01);
    EXPECT_THAT(Trace(), ElementsAre("400 read 26 32 ok " + manual, "400 write 26 31 ok " + manual1,
                                     "400 read 25 32 ok " + Distinct(),
                                     "400 write 25 31 ok " + status1, "400 read 42 31 ok 0001",
                                     "400 read 43 32 ok " + part, "400 write 43 31 ok " + part1,
                                     "400 read 26 31 ok " + manual1, "400 read 25 31 ok " + status1,
                                     "400 read 42 31 ok 0001", "400 read 43 31 ok " + part1));
    EXPECT_EQ(Text(278), "50");

    // Mv4 Automatic with a value that wraps, Mp2 Manual, both bits cleared again.
    Set(278, "150");
    Click(277);
    Click(340);
    Click(262);
    Click(264);
    Click(207);
    EXPECT_EQ(Nv(26), Distinct({{7, 0}, {8, 0x2C}}, 0x40));
    EXPECT_EQ(Nv(25), Distinct({{7, 0}, {8, 2}, {11, 0}, {12, 1}}));
    EXPECT_EQ(Part(1), part);
    EXPECT_EQ(Text(278), "22");

    // A failed read of NV 25 skips its write only; the user's choice stays on screen.
    Click(221);
    FailReads({25});
    Trace();
    Click(207);
    EXPECT_EQ(Written(), "26 43");
    EXPECT_TRUE(Checked(221));
}

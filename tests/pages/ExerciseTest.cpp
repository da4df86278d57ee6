// The Exercise tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct ExerciseTest : PageTest {
    ExerciseTest() : PageTest("Exercise") {}
};

TEST_F(ExerciseTest, WriteSendsWholeHoursAndTheRestOfPart6AsRead) {
    SetPart(6, Distinct());
    Show();
    // Read on creation and again by the show.
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0000", "200 write 42 2 ok 0006",
                                     "400 read 43 31 ok " + Distinct(), "400 read 42 31 ok 0006",
                                     "400 read 43 31 ok " + Distinct(), "400 read 0 31 ok " + Nv(0),
                                     "400 read 12 31 ok 0100"));
    EXPECT_EQ(Text(217) + " " + Text(338) + " " + Text(218) + " " + Text(337),
              "35724 36238 36752 37266");

    Set(218, "168");
    Set(337, "12.7");
    Set(217, "70000");
    Set(338, "-1");
    Click(207);
    const std::string written = DistinctAt(11, "1170FFFF00A8000C");
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0006", "400 read 43 32 ok " + Distinct(),
                                     "400 write 43 31 ok " + written, "400 read 42 31 ok 0006",
                                     "400 read 43 31 ok " + written));
    EXPECT_EQ(Text(217) + " " + Text(338) + " " + Text(218) + " " + Text(337), "4464 65535 168 12");
}

TEST_F(ExerciseTest, CoolingAndSecondaryHeatFieldsFollowTheirOwnTests) {
    SetNv(0, LongAt({{22, 0xF7}}));  // no cooling
    Show();
    // cooling Mc1, Mv2 | secondary heat Mp2, Mv4
    EXPECT_EQ(EnabledOf({218, 337, 217, 338}), "0011");
    SetNv(0, LongAt({{22, 0x08}}));
    SetNv(12, "0000");
    ShowAgain();
    EXPECT_EQ(EnabledOf({218, 337, 217, 338}), "1100");

    // A failed read of one leaves its pair as it was; the other test still runs.
    SetNv(0, LongAt({{22, 0xF7}}));
    SetNv(12, "0100");
    FailReads({0});
    ShowAgain();
    EXPECT_EQ(EnabledOf({218, 337, 217, 338}), "1111");
}

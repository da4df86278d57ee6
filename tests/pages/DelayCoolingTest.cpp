// The Delay cooling tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct DelayCoolingTest : PageTest {
    DelayCoolingTest() : PageTest("Delay cooling") {}
};

TEST_F(DelayCoolingTest, WriteTruncatesWithoutTouchingTheSelector) {
    SetNv(28, "007D");
    Show();
    Trace();
    EXPECT_EQ(Text(247), "12");
    Set(249, "50");
    Set(248, "7.9");
    Set(246, "2.9");
    Click(207);
    EXPECT_THAT(
        Trace(),
        ElementsAre("400 read 23 32 ok 07D0", "400 write 23 2 ok 2710", "400 read 24 32 ok 03E8",
                    "400 write 24 2 ok 062C", "400 read 27 32 ok 0005", "400 write 27 2 ok 0002",
                    "400 read 23 31 ok 2710", "400 read 24 31 ok 062C", "400 read 27 31 ok 0002"));
    EXPECT_EQ(Text(248) + " " + Text(246), "8 2");

    Set(246, "-1");
    Click(207);
    EXPECT_EQ(Trace().at(5), "400 write 27 2 ok FFFF");
    EXPECT_EQ(Text(246), "65535");
}

TEST_F(DelayCoolingTest, ShowSelectsPartOneOnlyWhenTheNodeHasCooling) {
    const std::string withoutCooling = LongAt({{22, 0xF7}});
    const std::string withCooling = LongAt({{22, 0x08}});
    SetNv(0, withoutCooling);
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 28 31 ok 0000", "0 read 23 31 ok 07D0", "0 read 24 31 ok 03E8",
                            "0 read 27 31 ok 0005", "0 read 0 31 ok " + withoutCooling));
    EXPECT_EQ(EnabledOf({248, 249, 246, 247}), "0000");
    EXPECT_EQ(Text(249), "10");  // filled all the same

    // Cooling, and water cooling.
    SetNv(0, withCooling);
    const std::string water = LongAt({{2, 0x20}});
    SetPart(1, water);
    node.SetSelector(6);  // another tab's part
    ShowAgain();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 23 31 ok 07D0", "0 read 24 31 ok 03E8", "0 read 27 31 ok 0005",
                            "0 read 0 31 ok " + withCooling, "0 read 42 31 ok 0006",
                            "200 write 42 2 ok 0001", "400 read 43 31 ok " + water));
    EXPECT_EQ(EnabledOf({248, 249, 246, 247}), "0000");
    // Cooling, not water cooling.
    SetPart(1, LongAt({{2, 0xDF}}));
    ShowAgain();
    EXPECT_EQ(EnabledOf({248, 249, 246, 247}), "1111");

    // A failed selection leaves NV 43 alone and the fields as they are.
    SetPart(1, water);
    node.SetSelector(6);
    node.Fail(host::SimNode::Failure::Write, std::vector<int>{42});
    Trace();
    ShowAgain();
    EXPECT_THAT(Trace(), ElementsAre("400 read 23 31 ok 07D0", "400 read 24 31 ok 03E8",
                                     "400 read 27 31 ok 0005", "400 read 0 31 ok " + withCooling,
                                     "400 read 42 31 ok 0006", "600 write 42 2 fail 0001"));
    EXPECT_EQ(EnabledOf({248, 249, 246, 247}), "1111");
}

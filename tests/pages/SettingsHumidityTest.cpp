// The Settings humidity tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct SettingsHumidityTest : PageTest {
    SettingsHumidityTest() : PageTest("Settings humidity") {}
};

TEST_F(SettingsHumidityTest, ShowReadsPartOneFirstAndTheBoxNotNv12DrivesTheSetpoints) {
    const std::string part1 = LongAt({{10, 0x01}});
    SetPart(1, part1);
    SetNv(12, "0000");
    SetNv(9, "0001");
    Show();
    EXPECT_THAT(
        Trace(),
        ElementsAre("0 read 7 31 ok 2710", "0 read 9 31 ok 0001", "0 read 42 31 ok 0000",
                    "200 write 42 2 ok 0001", "400 read 43 31 ok " + part1, "400 read 1 31 ok 36B0",
                    "400 read 2 31 ok 2EE0", "400 read 3 31 ok 2328", "400 read 4 31 ok 0320",
                    "400 read 5 31 ok 4268", "400 read 12 31 ok 0000"));
    EXPECT_EQ(Text(222) + " " + Text(211) + " " + Text(230) + " " + Text(284),
              "50 Humidifier 70 4");
    EXPECT_TRUE(Checked(283));
    // The box, the state, Bh2 | the five setpoints
    EXPECT_EQ(EnabledOf({283, 211, 222, 230, 231, 234, 284, 285}), "00011111");

    for (const auto& [word, text] : {std::pair{"0100", "Dehumidifer"}, {"0000", "Off"}}) {
        SetNv(9, word);
        Advance(2000);
        EXPECT_EQ(Text(211), text);
    }
    SetNv(12, "0100");
    ShowAgain();
    EXPECT_EQ(EnabledOf({283, 211, 222}), "111");
    // A failed read of the part leaves the box as it was.
    FailReads({43});
    Click(206);
    EXPECT_TRUE(Checked(283));
    Click(283);
    EXPECT_EQ(EnabledOf({230, 231, 234, 284, 285}), "00000");
}

TEST_F(SettingsHumidityTest, WriteSendsSetpointsThenPartOneWithOnlyItsBitChanged) {
    const std::string part1 = Distinct({{10, 0xFF}});
    SetPart(1, part1);
    node.SetSelector(1);
    Show();
    Trace();
    Set(230, "45");
    Set(231, "70");
    Set(234, "-1");
    Set(284, "0.0049");
    Click(283);  // unchecked: the setpoints are disabled, and still written
    FailReads({2});
    Click(207);
    const std::string written = Distinct({{10, 0xFE}});
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 1 32 ok 36B0", "0 write 1 2 ok 2328", "0 read 2 32 fail",
                            "0 read 3 32 ok 2328", "0 write 3 2 ok FF38", "0 read 4 32 ok 0320",
                            "0 write 4 2 ok 0000", "0 read 5 32 ok 4268", "0 write 5 2 ok 4268",
                            "0 read 42 31 ok 0001", "0 read 43 32 ok " + part1,
                            "0 write 43 31 ok " + written, "0 read 42 31 ok 0001",
                            "0 read 43 31 ok " + written, "0 read 1 31 ok 2328", "0 read 2 31 fail",
                            "0 read 3 31 ok FF38", "0 read 4 31 ok 0000", "0 read 5 31 ok 4268"));
    EXPECT_EQ(Text(230) + " " + Text(231) + " " + Text(234), "45 70 327");
    EXPECT_EQ(EnabledOf({230, 231, 234, 284, 285}), "00000");
}

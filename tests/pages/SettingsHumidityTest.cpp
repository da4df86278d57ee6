// The Settings humidity tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/DistinctBytes.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class SettingsHumidityTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Settings humidity");
    }
    void ShowAgain() {
        SelectTab("Exercise");
        SelectTab("Settings humidity");
    }
    bool SetpointsEnabled() {
        return Enabled(230) && Enabled(231) && Enabled(234) && Enabled(284) && Enabled(285);
    }
    bool SetpointsDisabled() {
        return !Enabled(230) && !Enabled(231) && !Enabled(234) && !Enabled(284) && !Enabled(285);
    }
};

}  // namespace

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
    EXPECT_EQ(Text(222), "50");
    EXPECT_EQ(Text(211), "Humidifier");
    EXPECT_EQ(Text(230), "70");
    EXPECT_EQ(Text(284), "4");
    EXPECT_TRUE(Checked(283));
    EXPECT_FALSE(Enabled(283) || Enabled(211) || Enabled(222));
    EXPECT_TRUE(SetpointsEnabled());

    SetNv(9, "0100");
    Advance(2000);
    EXPECT_EQ(Text(211), "Dehumidifer");
    SetNv(9, "0000");
    Advance(2000);
    EXPECT_EQ(Text(211), "Off");

    SetNv(12, "0100");
    ShowAgain();
    EXPECT_TRUE(Enabled(283) && Enabled(211) && Enabled(222));

    // A failed read of the part leaves the box as it was.
    const int part[] = {43};
    node.Fail(host::SimNode::Failure::Read, part);
    Click(206);
    EXPECT_TRUE(Checked(283));
    EXPECT_TRUE(SetpointsEnabled());
    Click(283);
    EXPECT_TRUE(SetpointsDisabled());
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
    const int setpoint2[] = {2};
    node.Fail(host::SimNode::Failure::Read, setpoint2);
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
    EXPECT_EQ(Text(230), "45");
    EXPECT_EQ(Text(231), "70");
    EXPECT_EQ(Text(234), "327");
    EXPECT_FALSE(Checked(283));
    EXPECT_TRUE(SetpointsDisabled());
}

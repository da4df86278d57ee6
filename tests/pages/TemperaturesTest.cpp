// The Temperatures tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/DistinctBytes.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class TemperaturesTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Temperatures");
    }
    void ShowAgain() {
        SelectTab("Exercise");
        Trace();
        SelectTab("Temperatures");
    }
};

}  // namespace

TEST_F(TemperaturesTest, ShowReadsOffsetsAndTestsEachSensorOnItsOwnReading) {
    SetNv(15, "B1E0");  // -200.00: present
    SetNv(16, "B1DF");  // -200.01: absent
    const std::string part = LongAt({{11, 0x00}, {12, 0x96}, {13, 0xFF}, {14, 0x6A}});
    SetPart(2, part);
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 15 31 ok B1E0", "0 read 16 31 ok B1DF", "0 read 42 31 ok 0000",
                            "200 write 42 2 ok 0002", "400 read 43 31 ok " + part,
                            "400 read 15 31 ok B1E0", "400 read 16 31 ok B1DF"));
    EXPECT_EQ(Text(256), "-200.0");
    EXPECT_EQ(Text(255), "1.5");
    EXPECT_EQ(Text(205), "-1.5");
    EXPECT_TRUE(Enabled(256) && Enabled(255));
    EXPECT_FALSE(Enabled(258) || Enabled(205));

    SetNv(15, "8000");  // -327.68
    SetNv(16, "0708");
    ShowAgain();
    EXPECT_FALSE(Enabled(256) || Enabled(255));
    EXPECT_TRUE(Enabled(258) && Enabled(205));

    // The refresh keeps filling a disabled field and leaves it disabled.
    Advance(2000);
    EXPECT_EQ(Text(256), "-327.7");
    EXPECT_EQ(Text(258), "18.0");
    EXPECT_FALSE(Enabled(256));
}

TEST_F(TemperaturesTest, WriteSendsHundredthsTruncatedAndTheRestOfThePartAsRead) {
    SetPart(2, Distinct());
    node.SetSelector(2);
    Show();
    Trace();

    Set(255, "1.5");
    Set(205, "-1.5");
    Click(207);
    const std::string written = Distinct({{11, 0x00}, {12, 0x96}, {13, 0xFF}, {14, 0x6A}});
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0002", "0 read 43 32 ok " + Distinct(),
                                     "0 write 43 31 ok " + written, "0 read 42 31 ok 0002",
                                     "0 read 43 31 ok " + written));
    EXPECT_EQ(Text(255), "1.5");
    EXPECT_EQ(Text(205), "-1.5");
    EXPECT_EQ(Text(206), "Read");
    EXPECT_EQ(Text(207), "Write");

    // 2.3 x 100 lies just below 230; 150 degrees wraps into the negative range; 0.29 became
    // 0.28 and shows as 0.3, so it goes back as 0.30.
    Set(255, "2.3");
    Set(205, "0.29");
    Click(207);
    EXPECT_EQ(Trace().at(2),
              "0 write 43 31 ok " + Distinct({{11, 0x00}, {12, 0xE5}, {13, 0x00}, {14, 0x1C}}));
    EXPECT_EQ(Text(255), "2.3");
    EXPECT_EQ(Text(205), "0.3");
    Set(255, "150");
    Click(207);
    EXPECT_EQ(Trace().at(2),
              "0 write 43 31 ok " + Distinct({{11, 0x3A}, {12, 0x98}, {13, 0x00}, {14, 0x1E}}));
    EXPECT_EQ(Text(255), "-505.4");
}

TEST_F(TemperaturesTest, FailedPartSelectionLeavesThePluginConfigurationAlone) {
    Show();
    node.SetSelector(1);
    const int selector[] = {42};
    node.Fail(host::SimNode::Failure::Write, selector);
    Trace();
    Set(255, "3");
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0001", "600 write 42 2 fail 0002",
                                     "800 read 42 31 ok 0001", "1000 write 42 2 fail 0002"));
    EXPECT_EQ(Text(255), "3");
    EXPECT_EQ(Text(205), "0.0");
}

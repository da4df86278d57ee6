// The Temperatures tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct TemperaturesTest : PageTest {
    TemperaturesTest() : PageTest("Temperatures") {}
};

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
    EXPECT_EQ(Text(256) + " " + Text(255) + " " + Text(205), "-200.0 1.5 -1.5");
    EXPECT_EQ(EnabledOf({256, 255, 258, 205}), "1100");

    SetNv(15, "8000");  // -327.68
    SetNv(16, "0708");
    ShowAgain();
    EXPECT_EQ(EnabledOf({256, 255, 258, 205}), "0011");
    // The refresh keeps filling a disabled field and leaves it disabled.
    Advance(2000);
    EXPECT_EQ(Text(256), "-327.7");
    EXPECT_EQ(EnabledOf({256}), "0");
}

TEST_F(TemperaturesTest, WriteSendsTruncatedHundredthsAndTheRestOfThePartAsRead) {
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
    EXPECT_EQ(Text(255) + " " + Text(205), "1.5 -1.5");

    // 2.3 x 100 lies just below 230; 0.29 is stored as 0.28 and shows as 0.3.
    Set(255, "2.3");
    Set(205, "0.29");
    Click(207);
    EXPECT_EQ(Trace().at(2),
              "0 write 43 31 ok " + Distinct({{11, 0x00}, {12, 0xE5}, {13, 0x00}, {14, 0x1C}}));
    EXPECT_EQ(Text(255) + " " + Text(205), "2.3 0.3");
    // Above 100 degrees the word reads back as negative.
    Set(255, "150");
    Click(207);
    EXPECT_EQ(Trace().at(2),
              "0 write 43 31 ok " + Distinct({{11, 0x3A}, {12, 0x98}, {13, 0x00}, {14, 0x1E}}));
    EXPECT_EQ(Text(255), "-505.4");

    // A failed part selection: neither the write nor the read touches NV 43.
    node.SetSelector(1);
    node.Fail(host::SimNode::Failure::Write, std::vector<int>{42});
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0001", "200 write 42 2 fail 0002",
                                     "400 read 42 31 ok 0001", "600 write 42 2 fail 0002"));
    EXPECT_EQ(Text(255), "-505.4");
}

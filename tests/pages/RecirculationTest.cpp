// The Recirculation tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

namespace {

struct RecirculationTest : PageTest {
    RecirculationTest() : PageTest("Recirculation") {}
};

const std::string kFactoryNv0 = LongAt({{22, 0x0C}, {27, 0x04}, {28, 0xD2}});

}  // namespace

TEST_F(RecirculationTest, FirstShowReadsEverythingAndShowsTheNodesStatus) {
    SetNv(25, "00 0001 0002");         // Md4 Manual
    SetPart(1, LongAt({{14, 0x20}}));  // 2-10 V
    Show();
    EXPECT_THAT(
        Trace(),
        ElementsAre("0 read 32 31 ok 1B58",  // OnInitDialog: Refresh
                    "0 read 26 31 ok " + Long("00 0032 0032 0032 0032"), "0 read 20 31 ok 3A98",
                    "0 read 25 31 ok " + Long("00 0001 0002"), "0 read 42 31 ok 0000",
                    "200 write 42 2 ok 0001", "400 read 43 31 ok " + LongAt({{14, 0x20}}),
                    "400 read 0 31 ok " + kFactoryNv0));
    EXPECT_EQ(Text(266) + " " + Text(265) + " " + Text(209), "25 35 75");
    // The node's Manual stays after the show; 2-10 V, not inverted.
    EXPECT_TRUE(Checked(260) && Enabled(266) && Checked(263));
    EXPECT_FALSE(Checked(261) || Checked(262) || Checked(264));

    // The part is selected now: the next read goes straight to NV 43.
    Click(206);
    EXPECT_EQ(Trace().at(3), "400 read 42 31 ok 0001");
}

TEST_F(RecirculationTest, WriteChangesOnlyItsOwnBytesAndReadsBack) {
    SetNv(26, "AA BBCC DDEE");
    SetNv(25, "11 0002 3344");
    // Every bit of bytes 14 and 16 but Md4's, and something in byte 15 between them.
    const std::string before = LongAt({{2, 0x21}, {14, 0xDF}, {15, 0xFF}, {16, 0x04}});
    SetPart(1, before);
    node.SetSelector(1);
    Show();
    Trace();

    Click(260);  // Manual
    Set(266, "40");
    Set(209, "20");
    Click(263);  // 2-10 V
    Click(264);  // Invert
    Click(207);
    const std::string part = LongAt({{2, 0x21}, {14, 0xFF}, {15, 0xFF}, {16, 0x24}});
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 26 32 ok " + Long("AA BBCC DDEE"),
                            "0 write 26 31 ok " + Long("AA 0050 DDEE"), "0 read 20 32 ok 3A98",
                            "0 write 20 2 ok 0FA0", "0 read 25 32 ok " + Long("11 0002 3344"),
                            "0 write 25 31 ok " + Long("11 0001 3344"), "0 read 42 31 ok 0001",
                            "0 read 43 32 ok " + before, "0 write 43 31 ok " + part,
                            "0 read 26 31 ok " + Long("AA 0050 DDEE"), "0 read 20 31 ok 0FA0",
                            "0 read 25 31 ok " + Long("11 0001 3344"), "0 read 42 31 ok 0001",
                            "0 read 43 31 ok " + part));
    EXPECT_EQ(Text(266) + " " + Text(209) + " " + Text(206) + " " + Text(207), "40 20 Read Write");
}

// The Exercise tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/DistinctBytes.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class ExerciseTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Exercise");
    }
    void ShowAgain() {
        SelectTab("Temperatures");
        SelectTab("Exercise");
    }
};

const std::string kFactoryNv0 = LongAt({{22, 0x0C}, {27, 0x04}, {28, 0xD2}});

}  // namespace

TEST_F(ExerciseTest, WriteSendsWholeHoursAndTheRestOfPart6AsRead) {
    SetPart(6, Distinct());
    Show();
    // Read on creation and again by the show.
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0000", "200 write 42 2 ok 0006",
                                     "400 read 43 31 ok " + Distinct(), "400 read 42 31 ok 0006",
                                     "400 read 43 31 ok " + Distinct(),
                                     "400 read 0 31 ok " + kFactoryNv0, "400 read 12 31 ok 0100"));
    EXPECT_EQ(Text(217), "35724");  // 8B8C

    Set(218, "168");
    Set(337, "12.7");
    Set(217, "70000");
    Set(338, "-1");
    Click(207);
    const std::string written = Distinct({{11, 0x11},
                                          {12, 0x70},
                                          {13, 0xFF},
                                          {14, 0xFF},
                                          {15, 0x00},
                                          {16, 0xA8},
                                          {17, 0},
                                          {18, 12}});
    EXPECT_THAT(Trace(), ElementsAre("400 read 42 31 ok 0006", "400 read 43 32 ok " + Distinct(),
                                     "400 write 43 31 ok " + written, "400 read 42 31 ok 0006",
                                     "400 read 43 31 ok " + written));
    EXPECT_EQ(Text(218), "168");
    EXPECT_EQ(Text(337), "12");
    EXPECT_EQ(Text(217), "4464");
    EXPECT_EQ(Text(338), "65535");
}

TEST_F(ExerciseTest, CoolingAndSecondaryHeatFieldsFollowTheirOwnTests) {
    SetNv(0, LongAt({{22, 0xF7}}));  // no cooling
    Show();
    EXPECT_FALSE(Enabled(218) || Enabled(337));
    EXPECT_TRUE(Enabled(217) && Enabled(338));

    SetNv(0, LongAt({{22, 0x08}}));
    SetNv(12, "0000");
    ShowAgain();
    EXPECT_TRUE(Enabled(218) && Enabled(337));
    EXPECT_FALSE(Enabled(217) || Enabled(338));

    // A failed read of one leaves its pair as it was; the other test still runs.
    SetNv(0, LongAt({{22, 0xF7}}));
    SetNv(12, "0100");
    const int flags[] = {0};
    node.Fail(host::SimNode::Failure::Read, flags);
    ShowAgain();
    EXPECT_TRUE(Enabled(218) && Enabled(337));
    EXPECT_TRUE(Enabled(217) && Enabled(338));
}

// The Delay cooling tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class DelayCoolingTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Delay cooling");
    }
    // Leaves the tab for one that selects part 6, and comes back.
    void ShowAgain() {
        SelectTab("Exercise");
        Trace();
        SelectTab("Delay cooling");
    }
    bool FieldsEnabled() { return Enabled(248) && Enabled(249) && Enabled(246) && Enabled(247); }
    bool FieldsDisabled() {
        return !Enabled(248) && !Enabled(249) && !Enabled(246) && !Enabled(247);
    }
};

const std::string kEquipmentWithoutCooling = LongAt({{22, 0xF7}});
const std::string kEquipmentWithCooling = LongAt({{22, 0x08}});

}  // namespace

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
    EXPECT_EQ(Text(248), "8");
    EXPECT_EQ(Text(246), "2");

    Set(246, "-1");
    Click(207);
    EXPECT_EQ(Trace().at(5), "400 write 27 2 ok FFFF");
    EXPECT_EQ(Text(246), "65535");
}

TEST_F(DelayCoolingTest, ShowSelectsPartOneOnlyWhenTheNodeHasCooling) {
    SetNv(0, kEquipmentWithoutCooling);
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 28 31 ok 0000", "0 read 23 31 ok 07D0", "0 read 24 31 ok 03E8",
                            "0 read 27 31 ok 0005", "0 read 0 31 ok " + kEquipmentWithoutCooling));
    EXPECT_TRUE(FieldsDisabled());
    EXPECT_EQ(Text(249), "10");  // filled all the same

    // Cooling, and water cooling.
    SetNv(0, kEquipmentWithCooling);
    const std::string water = LongAt({{2, 0x20}});
    SetPart(1, water);
    ShowAgain();
    EXPECT_THAT(
        Trace(),
        ElementsAre("400 read 23 31 ok 07D0", "400 read 24 31 ok 03E8", "400 read 27 31 ok 0005",
                    "400 read 0 31 ok " + kEquipmentWithCooling, "400 read 42 31 ok 0006",
                    "600 write 42 2 ok 0001", "800 read 43 31 ok " + water));
    EXPECT_TRUE(FieldsDisabled());

    // Cooling, not water cooling.
    SetPart(1, LongAt({{2, 0xDF}}));
    ShowAgain();
    EXPECT_TRUE(FieldsEnabled());

    // A failed selection leaves NV 43 alone and the fields as they are, even though part 1 says
    // water cooling.
    SetPart(1, water);
    SelectTab("Exercise");
    const int selector[] = {42};
    node.Fail(host::SimNode::Failure::Write, selector);
    Trace();
    SelectTab("Delay cooling");
    EXPECT_THAT(Trace(),
                ElementsAre("2000 read 23 31 ok 07D0", "2000 read 24 31 ok 03E8",
                            "2000 read 27 31 ok 0005", "2000 read 0 31 ok " + kEquipmentWithCooling,
                            "2000 read 42 31 ok 0006", "2200 write 42 2 fail 0001"));
    EXPECT_TRUE(FieldsEnabled());
}

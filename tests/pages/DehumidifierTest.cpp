// The Dehumidifier tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/DistinctBytes.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class DehumidifierTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Dehumidifier");
    }
};

}  // namespace

TEST_F(DehumidifierTest, WriteSendsMaxCoolingThenItsBytesOfPart5) {
    SetPart(5, Distinct());
    SetNv(14, "1234");
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 21 31 ok 1388", "0 read 36 31 ok 07D0", "0 read 14 31 ok 1234",
                            "0 read 42 31 ok 0000", "200 write 42 2 ok 0005",
                            "400 read 43 31 ok " + Distinct(), "400 read 12 31 ok 0100"));
    EXPECT_EQ(Text(235), "25");
    EXPECT_EQ(Text(237), "10");
    EXPECT_EQ(Text(286), "179");   // 8B8C
    EXPECT_EQ(Text(287), "3726");  // 9192: whole seconds

    node.SetSelector(1);
    Set(234, "4.1");  // 4.1 x 200 lies just below 820
    Set(286, "12.5");
    Set(236, "100");
    Set(288, "-1");
    Set(287, "2.5");
    Click(207);
    const std::string written = Distinct({{11, 0x09},
                                          {12, 0xC4},
                                          {13, 0x4E},
                                          {14, 0x20},
                                          {15, 0xFF},
                                          {16, 0x38},
                                          {17, 0},
                                          {18, 25}});
    EXPECT_THAT(Trace(), ElementsAre("400 read 14 32 ok 1234", "400 write 14 2 ok 0333",
                                     "400 read 42 31 ok 0001", "600 write 42 2 ok 0005",
                                     "800 read 43 32 ok " + Distinct(),
                                     "800 write 43 31 ok " + written, "800 read 14 31 ok 0333",
                                     "800 read 42 31 ok 0005", "800 read 43 31 ok " + written));
    EXPECT_EQ(Text(234), "4");
    EXPECT_EQ(Text(236), "100");
    EXPECT_EQ(Text(288), "327");
    EXPECT_EQ(Text(287), "2");
    EXPECT_EQ(Text(207), "Write");
}

TEST_F(DehumidifierTest, DisabledFieldsAreStillFilledAndSentAndEachFailedReadSkipsItsWrite) {
    SetNv(12, "0000");
    Show();
    for (const int id : {286, 236, 287, 288, 237, 234, 235}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(Enabled(206) && Enabled(207));
    EXPECT_EQ(Text(234), "100");
    const std::string part5 = Part(5);
    Trace();

    const int cnf[] = {43};
    node.Fail(host::SimNode::Failure::Read, cnf);
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 14 32 ok 4E20", "400 write 14 2 ok 4E20",
                                     "400 read 42 31 ok 0005", "400 read 43 32 fail",
                                     "400 read 14 31 ok 4E20", "400 read 42 31 ok 0005",
                                     "400 read 43 31 fail"));

    node.HealAll();
    const int maxCool[] = {14};
    node.Fail(host::SimNode::Failure::Read, maxCool);
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 14 32 fail", "400 read 42 31 ok 0005",
                                     "400 read 43 32 ok " + part5, "400 write 43 31 ok " + part5,
                                     "400 read 14 31 fail", "400 read 42 31 ok 0005",
                                     "400 read 43 31 ok " + part5));
}

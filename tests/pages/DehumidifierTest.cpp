// The Dehumidifier tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct DehumidifierTest : PageTest {
    DehumidifierTest() : PageTest("Dehumidifier") {}
};

TEST_F(DehumidifierTest, WriteSendsMaxCoolingThenItsBytesOfPart5) {
    SetPart(5, Distinct());
    SetNv(14, "1234");
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 21 31 ok 1388", "0 read 36 31 ok 07D0", "0 read 14 31 ok 1234",
                            "0 read 42 31 ok 0000", "200 write 42 2 ok 0005",
                            "400 read 43 31 ok " + Distinct(), "400 read 12 31 ok 0100"));
    // 8B8C, 8D8E, 8F90 in 0.005 % steps; 9192 tenths as whole seconds
    EXPECT_EQ(Text(286) + " " + Text(236) + " " + Text(288) + " " + Text(287), "179 181 184 3726");

    node.SetSelector(1);
    Set(234, "4.1");  // 4.1 x 200 lies just below 820
    Set(286, "12.5");
    Set(236, "100");
    Set(288, "-1");
    Set(287, "2.5");
    Click(207);
    const std::string written = DistinctAt(11, "09C44E20FF380019");
    EXPECT_THAT(Trace(), ElementsAre("400 read 14 32 ok 1234", "400 write 14 2 ok 0333",
                                     "400 read 42 31 ok 0001", "600 write 42 2 ok 0005",
                                     "800 read 43 32 ok " + Distinct(),
                                     "800 write 43 31 ok " + written, "800 read 14 31 ok 0333",
                                     "800 read 42 31 ok 0005", "800 read 43 31 ok " + written));
    EXPECT_EQ(Text(234) + " " + Text(236) + " " + Text(288) + " " + Text(287), "4 100 327 2");
}

TEST_F(DehumidifierTest, DisabledFieldsAreStillFilledAndSentAndAFailedReadSkipsOnlyItsWrite) {
    SetNv(12, "0000");
    Show();
    EXPECT_EQ(EnabledOf({286, 236, 287, 288, 237, 234, 235, 206, 207}), "000000011");
    EXPECT_EQ(Text(234), "100");
    Trace();

    FailReads({43});
    Click(207);
    EXPECT_THAT(Trace(), ElementsAre("400 read 14 32 ok 4E20", "400 write 14 2 ok 4E20",
                                     "400 read 42 31 ok 0005", "400 read 43 32 fail",
                                     "400 read 14 31 ok 4E20", "400 read 42 31 ok 0005",
                                     "400 read 43 31 fail"));
}

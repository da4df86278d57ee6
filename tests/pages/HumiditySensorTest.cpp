// The Humidity sensor tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

struct HumiditySensorTest : PageTest {
    HumiditySensorTest() : PageTest("Humidity sensor") {}
};

TEST_F(HumiditySensorTest, SettingsAreReadOnceAndSensorsTestedOnEveryShow) {
    SetNv(6, "03E8");  // 5.0 %: absent
    SetNv(7, "03E9");  // 5.005 %: present
    SetNv(8, "4650");  // 90.0 %: present
    Show();
    const std::string part5 = Part(5);
    EXPECT_THAT(
        Trace(),
        ElementsAre("0 read 6 31 ok 03E8", "0 read 7 31 ok 03E9", "0 read 8 31 ok 4650",
                    "0 read 17 31 ok 05F0", "0 read 18 31 ok 04D8", "0 read 42 31 ok 0000",
                    "200 write 42 2 ok 0005", "400 read 43 31 ok " + part5, "400 read 6 31 ok 03E8",
                    "400 read 7 31 ok 03E9", "400 read 8 31 ok 4650"));
    EXPECT_EQ(Text(221) + " " + Text(227) + " " + Text(219) + " " + Text(220), "5 15.2 10 90");
    // Bh1 with its wet bulb | Bh2 | Bh3 with its wet bulb | the range
    EXPECT_EQ(EnabledOf({224, 221, 227, 225, 222, 226, 223, 228, 219, 220}), "0001111111");

    SetNv(6, "03E9");
    SetNv(7, "03E8");
    SetNv(8, "4651");  // 90.005 %: absent
    ShowAgain();
    EXPECT_THAT(Trace(), ElementsAre("400 read 6 31 ok 03E9", "400 read 7 31 ok 03E8",
                                     "400 read 8 31 ok 4651"));
    EXPECT_EQ(EnabledOf({224, 221, 227, 225, 222, 226, 223, 228, 219, 220}), "1110000011");
}

TEST_F(HumiditySensorTest, WriteSendsRangeAndOffsetsAndTheRestOfPart5AsRead) {
    SetPart(5, Distinct());
    node.SetSelector(5);
    Show();
    Trace();
    Set(219, "20");
    Set(220, "95");
    Set(224, "-1");
    Set(225, "0.0049");
    Set(226, "dry");
    Click(207);
    const std::string written = DistinctAt(1, "0FA04A38FF3800000000");
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0005", "0 read 43 32 ok " + Distinct(),
                                     "0 write 43 31 ok " + written, "0 read 42 31 ok 0005",
                                     "0 read 43 31 ok " + written));
    EXPECT_EQ(Text(219) + " " + Text(220) + " " + Text(224) + " " + Text(226), "20 95 327 0");
}

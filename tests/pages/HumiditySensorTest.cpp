// The Humidity sensor tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/DistinctBytes.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;

namespace {

class HumiditySensorTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Humidity sensor");
    }
    // Present: every field of the sensor enabled; absent: every one disabled.
    bool AllEnabled(std::initializer_list<int> ids) {
        bool all = true;
        for (const int id : ids) {
            all = all && Enabled(id);
        }
        return all;
    }
    bool NoneEnabled(std::initializer_list<int> ids) {
        bool none = true;
        for (const int id : ids) {
            none = none && !Enabled(id);
        }
        return none;
    }
};

}  // namespace

TEST_F(HumiditySensorTest, SettingsAreReadOnceAndSensorsTestedOnEveryShow) {
    SetNv(6, "03E8");  // 5.0 %: absent
    SetNv(7, "03E9");  // 5.005 %: present
    SetNv(8, "4650");  // 90.0 %: present
    Show();
    const std::string part5 = "0007D0465000000000000007D03A980FA00BB8000000000000000A00780005";
    EXPECT_THAT(
        Trace(),
        ElementsAre("0 read 6 31 ok 03E8", "0 read 7 31 ok 03E9", "0 read 8 31 ok 4650",
                    "0 read 17 31 ok 05F0", "0 read 18 31 ok 04D8", "0 read 42 31 ok 0000",
                    "200 write 42 2 ok 0005", "400 read 43 31 ok " + part5, "400 read 6 31 ok 03E8",
                    "400 read 7 31 ok 03E9", "400 read 8 31 ok 4650"));
    EXPECT_EQ(Text(221), "5");
    EXPECT_EQ(Text(227), "15.2");
    EXPECT_EQ(Text(228), "12.4");
    EXPECT_EQ(Text(219), "10");
    EXPECT_EQ(Text(220), "90");
    EXPECT_TRUE(NoneEnabled({224, 221, 227}));
    EXPECT_TRUE(AllEnabled({225, 222, 226, 223, 228, 219, 220}));

    // A later show tests the sensors again but reads no settings.
    SetNv(6, "03E9");
    SetNv(7, "03E8");
    SetNv(8, "4651");  // 90.005 %: absent
    SelectTab("Exercise");
    Trace();
    SelectTab("Humidity sensor");
    EXPECT_THAT(Trace(), ElementsAre("800 read 6 31 ok 03E9", "800 read 7 31 ok 03E8",
                                     "800 read 8 31 ok 4651"));
    EXPECT_TRUE(AllEnabled({224, 221, 227, 219, 220}));
    EXPECT_TRUE(NoneEnabled({225, 222, 226, 223, 228}));
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
    const std::string written = Distinct({{1, 0x0F},
                                          {2, 0xA0},
                                          {3, 0x4A},
                                          {4, 0x38},
                                          {5, 0xFF},
                                          {6, 0x38},
                                          {7, 0x00},
                                          {8, 0x00},
                                          {9, 0x00},
                                          {10, 0x00}});
    EXPECT_THAT(Trace(), ElementsAre("0 read 42 31 ok 0005", "0 read 43 32 ok " + Distinct(),
                                     "0 write 43 31 ok " + written, "0 read 42 31 ok 0005",
                                     "0 read 43 31 ok " + written));
    EXPECT_EQ(Text(219), "20");
    EXPECT_EQ(Text(220), "95");
    EXPECT_EQ(Text(224), "327");
    EXPECT_EQ(Text(226), "0");
}

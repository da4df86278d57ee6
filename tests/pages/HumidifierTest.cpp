// The Humidifier tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

namespace {

struct HumidifierTest : PageTest {
    HumidifierTest() : PageTest("Humidifier") {}
    // A 0 - 10 V valve has a range and Invert; an on/off valve has on-times.
    void ExpectValveSettings(bool analogue) {
        EXPECT_EQ(Checked(259), analogue);
        EXPECT_EQ(Checked(258), !analogue);
        EXPECT_EQ(EnabledOf({262, 263, 264}), analogue ? "111" : "000");
        EXPECT_EQ(Enabled(242) || Enabled(243), !analogue);
    }
};

// Distinct bytes, so that any byte moved or zeroed shows.
const std::string kManual = Distinct({}, 0x40);
const std::string kStatus = Distinct();

}  // namespace

TEST_F(HumidifierTest, ShowReadsOnlyTheOutputAndEnablesWithinTheHumidityBand) {
    Show();
    EXPECT_THAT(Trace(), ElementsAre("0 read 36 31 ok 07D0", "0 read 6 31 ok 2328"));
    EXPECT_EQ(Text(211), "10");
    EXPECT_EQ(Text(242) + Text(243) + Text(238), "");
    for (const int id : {239, 337, 338, 262, 263, 264, 258, 259}) {
        EXPECT_FALSE(Checked(id)) << id;
    }

    // 5.0 %, 5.005 %, a failed read, 90.0 %, 90.005 %: enabled above 5 and up to 90; a failed
    // read keeps the state.
    for (const auto& [bh1, enabled] :
         {std::pair{"03E8", false}, std::pair{"03E9", true}, std::pair{"", true},
          std::pair{"4650", true}, std::pair{"4651", false}}) {
        node.HealAll();
        if (*bh1 == 0) {
            FailReads({6});
        } else {
            SetNv(6, bh1);
        }
        ShowAgain();
        for (const int id : {211, 258, 239, 337, 338, 242, 243, 264, 263, 259, 262}) {
            EXPECT_EQ(Enabled(id), enabled) << bh1 << " " << id;
        }
        EXPECT_FALSE(Enabled(238));  // only Manual enables it
    }
}

TEST_F(HumidifierTest, FirstWriteBeforeAnyReadSendsBackWhatTheUserLeftAlone) {
    SetNv(26, kManual);
    SetNv(25, kStatus);
    // Byte 10 with the valve-type bit set, byte 14 without the range bit, byte 16 with Invert.
    const std::string part = Distinct({{10, 0xFF}, {14, 0xBF}, {16, 0xFF}}, 0x01);
    SetPart(1, part);
    Show();
    Trace();

    Set(242, "2.5");
    Click(263);  // 2-10 V
    Click(264);  // Invert, then not: the user's unchecked box counts
    Click(264);
    Click(207);
    const std::string part1 = Distinct({{10, 0xFF}, {14, 0xFF}, {16, 0xBF}}, 0x01);
    EXPECT_THAT(Trace(), ElementsAre("0 read 11 32 ok 0032", "0 write 11 2 ok 0019",
                                     "0 read 13 32 ok 012C", "0 write 13 2 ok 012C",
                                     "0 read 26 32 ok " + kManual, "0 write 26 31 ok " + kManual,
                                     "0 read 25 32 ok " + kStatus, "0 write 25 31 ok " + kStatus,
                                     "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                                     "400 read 43 32 ok " + part, "400 write 43 31 ok " + part1,
                                     "400 read 11 31 ok 0019", "400 read 13 31 ok 012C",
                                     "400 read 26 31 ok " + kManual, "400 read 25 31 ok " + kStatus,
                                     "400 read 42 31 ok 0001", "400 read 43 31 ok " + part1));
    EXPECT_EQ(Text(242) + " " + Text(243) + " " + Text(238), "2 30 8867");
    ExpectValveSettings(true);
    EXPECT_EQ(Text(206) + " " + Text(207), "Read Write");
}

TEST_F(HumidifierTest, WriteAfterAReadSendsEveryByteAndBitItOwns) {
    SetNv(26, kManual);
    SetNv(25, kStatus);
    // Every bit of bytes 10, 14 and 16 but the tab's own.
    const std::string part = Distinct({{10, 0xFD}, {14, 0xBF}, {16, 0xBF}}, 0x01);
    SetPart(1, part);
    Show();
    Click(206);
    ExpectValveSettings(false);

    Click(337);  // Manual
    Set(238, "37.5");
    Set(242, "2.5");
    Set(243, "30");
    Click(259);  // a 0 - 10 V valve: the on-times are disabled but still written
    Click(263);
    Click(264);
    Click(207);
    EXPECT_EQ(Nv(11), "0019");
    EXPECT_EQ(Nv(13), "012C");
    EXPECT_EQ(Nv(26), Distinct({{5, 0}, {6, 0x4B}}, 0x40));
    EXPECT_EQ(Nv(25), Distinct({{5, 0}, {6, 1}}));
    EXPECT_EQ(Part(1), Distinct({{10, 0xFF}, {14, 0xFF}, {16, 0xFF}}, 0x01));
    EXPECT_EQ(Text(238) + " " + Text(242), "38 2");

    // 128 % wraps to 0; everything else back to its clear state.
    Set(238, "128");
    Click(239);
    Click(262);
    Click(264);
    Click(258);  // last: an on/off valve disables the range and Invert
    Click(207);
    EXPECT_EQ(Nv(11), "0014");  // the 2 shown after the first Write
    EXPECT_EQ(Nv(26), Distinct({{5, 0}, {6, 0}}, 0x40));
    EXPECT_EQ(Nv(25), Distinct({{5, 0}, {6, 0}}));
    EXPECT_EQ(Part(1), part);
}

TEST_F(HumidifierTest, ReadFollowsTheValveTypeAndAFailedReadSkipsOnlyItsWrite) {
    SetPart(1, LongAt({{10, 0x02}}));
    Show();
    Click(206);
    ExpectValveSettings(true);  // the on-times go dark although the show enabled them
    EXPECT_TRUE(Checked(338));

    // A status word other than 0, 1 or 2 leaves the group as it is.
    Click(337);
    SetNv(25, LongAt({{6, 3}}));
    SetPart(1, LongAt({}));
    Click(206);
    EXPECT_TRUE(Checked(337));
    ExpectValveSettings(false);

    FailReads({13});
    Trace();
    Click(207);
    EXPECT_EQ(Written(), "11 26 25 43");
    EXPECT_EQ(Text(243), "30");
}

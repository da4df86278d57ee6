// The Humidifier tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/SheetFixture.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class HumidifierTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Humidifier");
    }
    void ShowAgain() {
        SelectTab("Recirculation");
        SelectTab("Humidifier");
    }
    // A 0 - 10 V valve has a range and Invert; an on/off valve has on-times.
    void ExpectValveSettings(bool analogue) {
        EXPECT_EQ(Checked(259), analogue);
        EXPECT_EQ(Checked(258), !analogue);
        for (const int id : {262, 263, 264}) {
            EXPECT_EQ(Enabled(id), analogue) << id;
        }
        EXPECT_EQ(Enabled(242) || Enabled(243), !analogue);
    }
};

// hex with the bytes from index `at` on replaced by `bytes`.
std::string Patch(std::string hex, std::size_t at, const std::string& bytes) {
    return hex.replace(2 * at, bytes.size(), bytes);
}

// Distinct bytes, so that any byte moved or zeroed shows.
const std::string kManual = "404142434445464748494A4B4C4D4E4F505152535455565758595A5B5C5D5E";
const std::string kStatus = "808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E";
const std::string kPart = "0102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F";

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
            node.Fail(host::SimNode::Failure::Read, std::vector<int>{6});
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
    const std::string part = Patch(Patch(Patch(kPart, 10, "FF"), 14, "BF"), 16, "FF");
    SetPart(1, part);
    Show();
    Trace();

    Set(242, "2.5");
    Click(263);  // 2-10 V
    Click(264);  // Invert, then not: the user's unchecked box counts
    Click(264);
    Click(207);
    const std::string part1 = Patch(Patch(part, 14, "FF"), 16, "BF");
    EXPECT_THAT(Trace(), ElementsAre("0 read 11 32 ok 0032", "0 write 11 2 ok 0019",
                                     "0 read 13 32 ok 012C", "0 write 13 2 ok 012C",
                                     "0 read 26 32 ok " + kManual, "0 write 26 31 ok " + kManual,
                                     "0 read 25 32 ok " + kStatus, "0 write 25 31 ok " + kStatus,
                                     "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                                     "400 read 43 32 ok " + part, "400 write 43 31 ok " + part1,
                                     "400 read 11 31 ok 0019", "400 read 13 31 ok 012C",
                                     "400 read 26 31 ok " + kManual, "400 read 25 31 ok " + kStatus,
                                     "400 read 42 31 ok 0001", "400 read 43 31 ok " + part1));
    EXPECT_EQ(Text(242), "2");
    EXPECT_EQ(Text(243), "30");
    EXPECT_EQ(Text(238), "8867");
    ExpectValveSettings(true);
    EXPECT_EQ(Text(206), "Read");
    EXPECT_EQ(Text(207), "Write");
}

TEST_F(HumidifierTest, WriteAfterAReadSendsEveryByteAndBitItOwns) {
    SetNv(26, kManual);
    SetNv(25, kStatus);
    // Every bit of bytes 10, 14 and 16 but the tab's own.
    const std::string part = Patch(Patch(Patch(kPart, 10, "FD"), 14, "BF"), 16, "BF");
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
    EXPECT_EQ(Nv(26), Patch(kManual, 5, "004B"));
    EXPECT_EQ(Nv(25), Patch(kStatus, 5, "0001"));
    EXPECT_EQ(Part(1), Patch(Patch(Patch(part, 10, "FF"), 14, "FF"), 16, "FF"));
    EXPECT_EQ(Text(238), "38");
    EXPECT_EQ(Text(242), "2");

    // 128 % wraps to 0; everything else back to its clear state.
    Set(238, "128");
    Click(239);
    Click(262);
    Click(264);
    Click(258);  // last: an on/off valve disables the range and Invert
    Click(207);
    EXPECT_EQ(Nv(11), "0014");  // the 2 shown after the first Write
    EXPECT_EQ(Nv(26), Patch(kManual, 5, "0000"));
    EXPECT_EQ(Nv(25), Patch(kStatus, 5, "0000"));
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

    node.Fail(host::SimNode::Failure::Read, std::vector<int>{13});
    Trace();
    Click(207);
    const auto trace = Trace();
    for (const int nv : {11, 26, 25, 43}) {
        EXPECT_THAT(trace, Contains(HasSubstr(" write " + std::to_string(nv) + " "))) << nv;
    }
    EXPECT_THAT(trace, Not(Contains(HasSubstr(" write 13 "))));
    EXPECT_EQ(Text(243), "30");
}

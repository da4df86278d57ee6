// The Secondary heat tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/SheetFixture.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class SecondaryHeatTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        Trace();
        SelectTab("Secondary heat");
    }
    void ShowAgain() {
        SelectTab("Recirculation");
        SelectTab("Secondary heat");
    }
    void ExpectEnabled(bool enabled) {
        for (const int id : {341, 277, 279, 221, 276, 212, 339, 340, 264, 263, 262}) {
            EXPECT_EQ(Enabled(id), enabled) << id;
        }
        EXPECT_TRUE(Enabled(278) && Enabled(206) && Enabled(207));  // never touched by the show
    }
};

// hex with the bytes from index `at` on replaced by `bytes`.
std::string Patch(std::string hex, std::size_t at, const std::string& bytes) {
    return hex.replace(2 * at, bytes.size(), bytes);
}

}  // namespace

TEST_F(SecondaryHeatTest, ShowReadsTheNodeAndEnablesByNv12) {
    SetNv(25, LongAt({{8, 1}, {12, 2}}));  // Mv4 Manual, Mp2 Automatic
    SetPart(1, LongAt({{14, 0x80}, {16, 0x80}}));
    Show();
    EXPECT_THAT(Trace(), ElementsAre("0 read 36 31 ok 07D0", "0 read 31 31 ok 0000",
                                     "0 read 26 31 ok " + Long("00 0032 0032 0032 0032"),
                                     "0 read 25 31 ok " + LongAt({{8, 1}, {12, 2}}),
                                     "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                                     "400 read 43 31 ok " + LongAt({{14, 0x80}, {16, 0x80}}),
                                     "400 read 12 31 ok 0100"));
    EXPECT_EQ(Text(279), "10");
    EXPECT_EQ(Text(212), "Off");
    EXPECT_EQ(Text(278), "25");
    EXPECT_TRUE(Checked(276) && Checked(341) && Checked(263) && Checked(264));
    EXPECT_FALSE(Checked(277) || Checked(262));
    ExpectEnabled(true);

    SetNv(12, "00FF");  // byte 0 alone decides
    ShowAgain();
    ExpectEnabled(false);
    node.Fail(host::SimNode::Failure::Read, std::vector<int>{12});
    ShowAgain();
    ExpectEnabled(false);
    node.HealAll();
    SetNv(12, "8000");  // negative as a signed byte, still non-zero
    ShowAgain();
    ExpectEnabled(true);

    SetNv(31, "8000");
    Advance(2000);
    EXPECT_EQ(Text(212), "On");
}

TEST_F(SecondaryHeatTest, WriteSendsItsOwnWordsAndBitsAndEverythingElseAsRead) {
    const std::string manual = "404142434445464748494A4B4C4D4E4F505152535455565758595A5B5C5D5E";
    const std::string status = "808182838485868788898A8B8C8D8E8F909192939495969798999A9B9C9D9E";
    SetNv(26, manual);
    SetNv(25, status);
    // Every bit of bytes 14 and 16 but the tab's own, the Cooling tab's 0x02 among them.
    const std::string part = "0102030405060708090A0B0C0D0E7F107F12131415161718191A1B1C1D1E1F";
    SetPart(1, part);
    Show();
    Trace();

    Click(276);  // Mv4 Manual
    Click(339);  // Mp2 Off
    Set(278, "50");
    Click(263);
    Click(264);
    Click(207);
    const std::string manual1 = Patch(manual, 7, "0064");
    const std::string status1 = Patch(Patch(status, 7, "0001"), 11, "0000");
    const std::string part1 = Patch(Patch(part, 14, "FF"), 16, "FF");
    EXPECT_THAT(Trace(), ElementsAre("400 read 26 32 ok " + manual, "400 write 26 31 ok " + manual1,
                                     "400 read 25 32 ok " + status, "400 write 25 31 ok " + status1,
                                     "400 read 42 31 ok 0001", "400 read 43 32 ok " + part,
                                     "400 write 43 31 ok " + part1, "400 read 26 31 ok " + manual1,
                                     "400 read 25 31 ok " + status1, "400 read 42 31 ok 0001",
                                     "400 read 43 31 ok " + part1));
    EXPECT_EQ(Text(278), "50");

    // Mv4 Automatic with a value that wraps, Mp2 Manual, both bits cleared again.
    Set(278, "150");
    Click(277);
    Click(340);
    Click(262);
    Click(264);
    Click(207);
    EXPECT_EQ(Nv(26), Patch(manual, 7, "002C"));
    EXPECT_EQ(Nv(25), Patch(Patch(status, 7, "0002"), 11, "0001"));
    EXPECT_EQ(Part(1), part);
    EXPECT_EQ(Text(278), "22");

    // A failed read of NV 25 skips its write only; the user's choice stays on screen.
    Click(221);
    node.Fail(host::SimNode::Failure::Read, std::vector<int>{25});
    Trace();
    Click(207);
    const auto trace = Trace();
    EXPECT_THAT(trace, Contains(HasSubstr(" write 26 ")));
    EXPECT_THAT(trace, Not(Contains(HasSubstr(" write 25 "))));
    EXPECT_THAT(trace, Contains(HasSubstr(" write 43 ")));
    EXPECT_TRUE(Checked(221));
}

// The Cooling tab, driven whole-handler against the node's call log.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

namespace {

struct CoolingTest : PageTest {
    CoolingTest() : PageTest("Cooling") {}
    void ExpectEnabled(bool enabled) {
        for (const int id : {328, 327, 274, 267, 268, 269, 275, 270, 271, 272, 264, 263, 262}) {
            EXPECT_EQ(Enabled(id), enabled) << id;
        }
        EXPECT_TRUE(Enabled(273) && Enabled(206) && Enabled(207));  // never touched by the show
    }
};

}  // namespace

TEST_F(CoolingTest, ShowReadsTheNodeAndEnablesByEquipmentFlags) {
    SetNv(33, "2710");                            // Mv2 output 50 %
    SetNv(30, "8000");                            // Mc1 on, though negative as a signed byte
    SetNv(26, LongAt({{4, 75}}));                 // Mv2 manual value 37.5 %
    SetNv(25, LongAt({{4, 1}, {10, 0}}));         // Mv2 Manual, Mc1 Off
    SetPart(1, LongAt({{2, 0x20}, {14, 0x02}}));  // water cooling, 2-10 V, not inverted
    Show();
    EXPECT_THAT(
        Trace(),
        ElementsAre("0 read 33 31 ok 2710", "0 read 30 31 ok 8000",
                    "0 read 26 31 ok " + LongAt({{4, 75}}), "0 read 25 31 ok " + LongAt({{4, 1}}),
                    "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                    "400 read 43 31 ok " + LongAt({{2, 0x20}, {14, 0x02}}),
                    "400 read 0 31 ok " + LongAt({{22, 0x0C}, {27, 0x04}, {28, 0xD2}})));
    EXPECT_EQ(Text(274) + " " + Text(275) + " " + Text(273), "50 On 38");
    // The node's Manual stays after the show.
    EXPECT_TRUE(Checked(268) && Checked(263) && Checked(270) && Checked(328));
    EXPECT_FALSE(Checked(267) || Checked(269) || Checked(262) || Checked(264) || Checked(327));
    ExpectEnabled(true);

    SetNv(0, LongAt({{22, 0xF7}}));  // every flag but cooling's
    ShowAgain();
    ExpectEnabled(false);
    FailReads({0});
    ShowAgain();
    ExpectEnabled(false);
    node.HealAll();
    SetNv(0, LongAt({{22, 0x08}}));
    ShowAgain();
    ExpectEnabled(true);
}

TEST_F(CoolingTest, WriteSendsItsOwnWordsAndBitsAndEverythingElseAsRead) {
    // Distinct bytes everywhere; the status words read as no known code, so both groups start
    // with no button checked. Part 1 has every bit of bytes 2, 14 and 16 but the tab's own.
    const std::string manual = Distinct({}, 0x40);
    const std::string part = Distinct({{2, 0xDF}, {14, 0xFD}, {16, 0xFD}}, 0x01);
    SetNv(26, manual);
    SetNv(25, Distinct());
    SetPart(1, part);
    Show();

    // Mv2 Manual; Mc1 left unchecked goes back as read.
    Click(268);
    Set(273, "37.5");
    Click(328);
    Click(263);
    Click(264);
    Trace();
    Click(207);
    const std::string manual1 = Distinct({{3, 0}, {4, 0x4B}}, 0x40);
    const std::string status1 = Distinct({{3, 0}, {4, 1}});
    const std::string part1 = Distinct({{2, 0xFF}, {14, 0xFF}, {16, 0xFF}}, 0x01);
    EXPECT_THAT(Trace(), ElementsAre("400 read 26 32 ok " + manual, "400 write 26 31 ok " + manual1,
                                     "400 read 25 32 ok " + Distinct(),
                                     "400 write 25 31 ok " + status1, "400 read 42 31 ok 0001",
                                     "400 read 43 32 ok " + part, "400 write 43 31 ok " + part1,
                                     "400 read 26 31 ok " + manual1, "400 read 25 31 ok " + status1,
                                     "400 read 42 31 ok 0001", "400 read 43 31 ok " + part1));
    EXPECT_EQ(Text(273) + " " + Text(206) + " " + Text(207), "38 Read Write");

    // Mv2 Automatic, Mc1 Off, every bit cleared; "In" sends the 38 it now shows.
    Click(269);
    Click(270);
    Click(327);
    Click(262);
    Click(264);
    Click(207);
    EXPECT_EQ(Nv(26), Distinct({{3, 0}, {4, 0x4C}}, 0x40));
    EXPECT_EQ(Nv(25), Distinct({{3, 0}, {4, 2}, {9, 0}, {10, 0}}));
    EXPECT_EQ(Part(1), part);
}

TEST_F(CoolingTest, ManualValuesWrapInTheLowByte) {
    Show();
    Click(268);
    struct Case {
        const char* typed;
        const char* bytes;  // bytes 3-4 sent
        const char* shown;  // what the read after the write shows
    };
    for (const Case& c : {Case{"100", "00C8", "100"}, Case{"150", "002C", "22"},
                          Case{"-10", "00EC", "118"}, Case{"none", "0000", "0"}}) {
        Set(273, c.typed);
        Click(207);
        EXPECT_EQ(Nv(26).substr(6, 4), c.bytes) << c.typed;
        EXPECT_EQ(Text(273), c.shown) << c.typed;
    }
}

TEST_F(CoolingTest, AFailedReadSkipsOnlyItsOwnWrite) {
    Show();
    Trace();
    for (const auto& [nv, written] : {std::pair{26, "25 43"}, {25, "26 43"}, {43, "26 25"}}) {
        FailReads({nv});
        Click(207);
        EXPECT_EQ(Written(), written) << nv;
        node.HealAll();
    }

    // A failed part selection: NV 43 is left alone in the Write and in its Read.
    node.SetSelector(0);
    node.Fail(host::SimNode::Failure::Write, std::vector<int>{42});
    Click(207);
    const auto trace = Trace();
    EXPECT_THAT(trace, ::testing::Contains("600 write 42 2 fail 0001"));
    EXPECT_THAT(trace, ::testing::Not(::testing::Contains(::testing::HasSubstr(" 43 "))));
}

// The Alarms tab: alarm texts on every tick, and the show handler's enable tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {
struct AlarmsTest : PageTest {
    AlarmsTest() : PageTest("Alarms") {}
};
}  // namespace

TEST_F(AlarmsTest, EachFieldFollowsItsOwnAlarmBitOnEveryTick) {
    const std::string A = "Alarm", O = "OK";
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"3C00", {A, A, A, A}}, {"C3FF", {O, O, O, O}}, {"1000", {A, O, O, O}},
        {"2000", {O, A, O, O}}, {"0800", {O, O, A, O}}, {"0400", {O, O, O, A}}};
    Show();
    for (const auto& [hex, texts] : cases) {
        SetNv(19, hex);
        Advance(2000);
        EXPECT_THAT((std::vector{Text(280), Text(281), Text(282), Text(212)}),
                    ElementsAreArray(texts))
            << hex;
    }
    FailReads({19});  // a failed read keeps the texts
    SetNv(19, "0000");
    Advance(2000);
    EXPECT_EQ(Text(212), A);
}

TEST_F(AlarmsTest, ShowEnablesFieldsByTheirEquipmentAndLeavesPartOneSelected) {
    SetNv(0, LongAt({{22, 0xF7}}));    // every bit but Mc1's
    SetPart(1, LongAt({{10, 0x01}}));  // the pump's bit only
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 19 31 ok 0000", "0 read 7 31 ok 2710",
                            "0 read 0 31 ok " + LongAt({{22, 0xF7}}), "0 read 42 31 ok 0000",
                            "200 write 42 2 ok 0001", "400 read 43 31 ok " + LongAt({{10, 0x01}})));
    EXPECT_EQ(node.Selector(), 1);
    EXPECT_EQ(EnabledOf({280, 281, 282, 212}), "0111");

    SetNv(0, LongAt({{22, 0x08}}));
    SetPart(1, LongAt({{10, 0xFE}}));
    ShowAgain();
    for (const auto& [hex, present] : kHumidityEdges) {
        SetNv(7, hex);
        ShowAgain();
        EXPECT_EQ(EnabledOf({280, 281, 282, 212}), present ? "1011" : "1000") << hex;
    }

    FailReads({7, 0, 43});  // nothing changes
    SetNv(7, "2710");
    SetNv(0, LongAt({}));
    SetPart(1, LongAt({{10, 0x01}}));
    ShowAgain();
    EXPECT_EQ(EnabledOf({280, 281, 282, 212}), "1000");
}

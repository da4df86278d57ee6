// The Running Hours tab: counters on every tick, the resets, and the show handler's enable tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ui/Wnd.h"
#include "tests/pages/PageTest.h"

using ::testing::ElementsAre;

namespace {
struct RunningHoursTest : PageTest {
    RunningHoursTest() : PageTest("Running Hours") {}
    std::vector<std::string> Counters() {
        return {Text(210), Text(217), Text(218), Text(219), Text(220)};
    }
};
const std::string kFactoryNv0 = LongAt({{22, 0x0C}, {27, 0x04}, {28, 0xD2}});
}  // namespace

TEST_F(RunningHoursTest, CountersAreReadAtStartAndOnEveryTick) {
    Show();
    EXPECT_THAT(Trace(),
                ElementsAre("0 read 0 31 ok " + kFactoryNv0, "0 read 41 31 ok 0FA0",
                            "0 read 38 31 ok 0BB8", "0 read 40 31 ok 0320", "0 read 39 31 ok 01F4",
                            "0 read 7 31 ok 2710", "0 read 0 31 ok " + kFactoryNv0,
                            "0 read 42 31 ok 0000", "200 write 42 2 ok 0001",
                            "400 read 43 31 ok " + LongAt({{2, 0x15}, {4, 0x11}, {30, 2}})));
    EXPECT_EQ(node.Selector(), 1);
    EXPECT_THAT(Counters(), ElementsAre("1234", "4000", "3000", "800", "500"));

    SetNv(41, "FFFF");
    Advance(2000);
    EXPECT_EQ(Text(217), "65535");
}

TEST_F(RunningHoursTest, ResetHoldsTheCommandForTwoAndAHalfSecondsWithoutTicks) {
    Show();
    Advance(1500);  // 1900: the next tick is due at 2000, inside the pause
    Trace();
    std::vector<std::string> captions;
    ui.changed = [&](const CWnd& window) {
        if (window.GetDlgCtrlID() == 249) {
            captions.push_back(std::to_string(clock.NowMs()) + " " + window.GetWindowText());
        }
    };
    Click(249);
    ui.changed = nullptr;
    EXPECT_THAT(Trace(), ElementsAre("1900 write 29 2 ok 0003", "4400 write 29 2 ok 0000"));
    EXPECT_THAT(captions, ElementsAre("1900 Wait", "4400 Reset"));

    // The ticks missed during the pause come as one, late.
    Advance(0);
    EXPECT_EQ(Text(218), "0");
    EXPECT_EQ(Trace().size(), 5u);

    SetPart(1, LongAt({{10, 0x01}}));  // Mp2 present
    ShowAgain();
    for (const auto& [button, command] : {std::pair{242, "0004"}, {248, "0002"}, {245, "0001"}}) {
        Trace();
        Click(button);
        EXPECT_THAT(Trace().at(0), ::testing::EndsWith("write 29 2 ok " + std::string(command)));
    }
}

TEST_F(RunningHoursTest, ShowEnablesRowsByTheirEquipment) {
    // Ventilation | Mp2 with its Reset | Mc1 with its Reset | humidifier, dehumidifier with theirs
    const auto enabled = [this] {
        return EnabledOf({210, 217, 242, 218, 249, 219, 248, 220, 245});
    };
    SetNv(0, LongAt({{22, 0xF7}}));
    SetPart(1, LongAt({{10, 0x01}}));
    Show();
    EXPECT_EQ(enabled(), "111001111");

    SetNv(0, LongAt({{22, 0x08}}));
    SetPart(1, LongAt({{10, 0xFE}}));
    for (const auto& [hex, present] : kHumidityEdges) {
        SetNv(7, hex);
        ShowAgain();
        EXPECT_EQ(enabled(), present ? "100111111" : "100110000") << hex;
    }

    FailReads({7, 0, 43});  // nothing changes
    SetNv(7, "2710");
    SetNv(0, LongAt({}));
    SetPart(1, LongAt({{10, 0x01}}));
    ShowAgain();
    EXPECT_EQ(enabled(), "100110000");
}

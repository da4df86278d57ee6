#include <gtest/gtest.h>

#include "host/profile/ActionTally.h"

namespace host {
namespace {

HostCall Call(HostCall::Kind kind, int nv, bool ok = true) {
    HostCall call;
    call.kind = kind;
    call.nv = nv;
    call.ok = ok;
    return call;
}

// A long action's items stop at its total however often it touches an item, and a stop says
// how far it came; an action of no known length counts its host calls.
TEST(ActionTally, CountsItemsUpToTheTotalAndSaysWhereItStopped) {
    ActionTally tally;
    const LongAction* defaults = Qma7Profile().FindLongAction("Default settings");
    ASSERT_NE(defaults, nullptr);
    tally.Identify("Default settings", defaults);
    for (int k = 0; k < defaults->items + 5; ++k) {
        tally.Count(Call(HostCall::Kind::Write, 43));
    }
    tally.Count(Call(HostCall::Kind::Write, Qma7Profile().partSelectorNv));
    const std::string total = std::to_string(defaults->items);
    EXPECT_EQ(tally.BusyText(1290),
              "Busy: Default settings, " + total + " of " + total + " items, 1.2 s");
    EXPECT_EQ(tally.StoppedText(),
              "Default settings stopped after " + total + " of " + total + " items");

    ActionTally read;
    read.Identify("Read on Fans", nullptr);
    read.Count(Call(HostCall::Kind::Read, 5));
    read.Count(Call(HostCall::Kind::Read, 6, false), "no answer from 51/35/12");
    EXPECT_EQ(read.StoppedText(), "Read on Fans stopped after 2 host calls");
    EXPECT_EQ(read.WriteOutcome(), "") << "a read writes nothing";
}

// A write the node refused without a word of the link's says so; the selector is no value.
TEST(ActionTally, AWriteWithoutAReasonWasRefusedByTheNode) {
    ActionTally tally;
    tally.Identify("Write on Cooling", nullptr);
    tally.Count(Call(HostCall::Kind::Write, Qma7Profile().partSelectorNv));
    tally.Count(Call(HostCall::Kind::Write, 20));
    EXPECT_EQ(tally.WriteOutcome(), "1 value written");
    tally.Count(Call(HostCall::Kind::Write, 21, false));
    tally.Count(Call(HostCall::Kind::Write, 22, false), "no answer from 51/35/12");
    EXPECT_EQ(tally.WriteOutcome(),
              "Write on Cooling: 2 of 3 values not written (the node refused)");
}

}  // namespace
}  // namespace host

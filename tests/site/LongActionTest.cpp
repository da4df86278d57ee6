#include "host/site/LongAction.h"

#include <gtest/gtest.h>

namespace host {
namespace {

HostCall Call(HostCall::Kind kind, int nv) {
    HostCall call;
    call.kind = kind;
    call.nv = nv;
    return call;
}

TEST(LongAction, CountsTheItemsOfItsKindButNotTheSelectorNorTheNodesName) {
    const LongAction* save = LongAction::Find("Save to file");
    const LongAction* defaults = LongAction::Find("Default settings");
    ASSERT_NE(save, nullptr);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(LongAction::Find("Write"), nullptr);

    EXPECT_TRUE(save->Counts(Call(HostCall::Kind::Read, 43)));
    EXPECT_TRUE(save->Counts(Call(HostCall::Kind::Read, 0)));
    EXPECT_FALSE(save->Counts(Call(HostCall::Kind::Read, 42)));
    EXPECT_FALSE(save->Counts(Call(HostCall::Kind::Write, 43)));
    // The file's header carries the node's name; reading it is no item of the file.
    EXPECT_FALSE(save->Counts(Call(HostCall::Kind::Name, 0)));

    EXPECT_TRUE(defaults->Counts(Call(HostCall::Kind::Write, 43)));
    EXPECT_FALSE(defaults->Counts(Call(HostCall::Kind::Write, 42)));
    EXPECT_FALSE(defaults->Counts(Call(HostCall::Kind::Read, 43)));
}

}  // namespace
}  // namespace host

#include <gtest/gtest.h>

#include "host/profile/PluginProfile.h"

namespace host {
namespace {

HostCall Call(HostCall::Kind kind, int nv) {
    HostCall call;
    call.kind = kind;
    call.nv = nv;
    return call;
}

TEST(LongAction, CountsTheItemsOfItsKindButNotTheSelectorNorTheNodesName) {
    const PluginProfile& profile = Qma7Profile();
    const LongAction* save = profile.FindLongAction("Save to file");
    const LongAction* defaults = profile.FindLongAction("Default settings");
    ASSERT_NE(save, nullptr);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(profile.FindLongAction("Write"), nullptr);

    EXPECT_TRUE(profile.CountsAsItem(*save, Call(HostCall::Kind::Read, 43)));
    EXPECT_TRUE(profile.CountsAsItem(*save, Call(HostCall::Kind::Read, 0)));
    EXPECT_FALSE(profile.CountsAsItem(*save, Call(HostCall::Kind::Read, 42)));
    EXPECT_FALSE(profile.CountsAsItem(*save, Call(HostCall::Kind::Write, 43)));
    // The file's header carries the node's name; reading it is no item of the file.
    EXPECT_FALSE(profile.CountsAsItem(*save, Call(HostCall::Kind::Name, 0)));

    EXPECT_TRUE(profile.CountsAsItem(*defaults, Call(HostCall::Kind::Write, 43)));
    EXPECT_FALSE(profile.CountsAsItem(*defaults, Call(HostCall::Kind::Write, 42)));
    EXPECT_FALSE(profile.CountsAsItem(*defaults, Call(HostCall::Kind::Read, 43)));
}

}  // namespace
}  // namespace host

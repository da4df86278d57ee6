// Where qma7 keeps its node between runs.
#include <gtest/gtest.h>

#include "host/app/SheetCommand.h"

TEST(SheetCommand, TheNodeImageLivesInTheUsersStateFolder) {
    EXPECT_EQ(host::DefaultNodeImagePath("/state", "/home/t"), "/state/qma7/node.json");
    EXPECT_EQ(host::DefaultNodeImagePath(nullptr, "/home/t"),
              "/home/t/.local/state/qma7/node.json");
    // A relative or empty XDG_STATE_HOME does not count.
    EXPECT_EQ(host::DefaultNodeImagePath("state", "/home/t"),
              "/home/t/.local/state/qma7/node.json");
    EXPECT_EQ(host::DefaultNodeImagePath("", "/home/t"), "/home/t/.local/state/qma7/node.json");
    EXPECT_EQ(host::DefaultNodeImagePath(nullptr, ""), std::nullopt);
}

// The whole file is checked against the golden export of the Import / Export tab's tests; here
// only what that export cannot show: a node name that would break the file's lines.
#include "plugin/settingsfile/NodeSettingsWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

TEST(NodeSettingsWriter, NodeNameCannotBreakTheFile) {
    const settingsfile::NodeSettingsWriter writer(std::string_view("A\tB\nC\x7F\x80\0Z", 9));
    std::istringstream text(writer.Text());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[5], "- A?B?C?\x80?Z");
}

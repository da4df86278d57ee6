#pragma once
// A settings file as its text reads, item by item: the header's program ID and each variable or
// part with its value line. The header's node name and export time are not items: they tell
// where and when the file was made, and a load writes neither.

#include <string>
#include <utility>
#include <vector>

namespace host::fleet {

struct SettingsValue {
    std::string item;   // "Program ID", "nciMaxCool (14)", "nviPluginCnf (34) Part 3"
    std::string value;  // the value line, its blanks at the end dropped
};

std::vector<SettingsValue> ParseSettingsText(const std::string& text);

struct SettingsDifference {
    std::string item;
    std::string nodeValue;  // empty: the node's file has no such item
    std::string fileValue;  // empty: the given file has no such item
};

// The items whose values differ, in the given file's order, then those the node has only.
std::vector<SettingsDifference> CompareSettings(const std::vector<SettingsValue>& node,
                                                const std::vector<SettingsValue>& file);

}  // namespace host::fleet

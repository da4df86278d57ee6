#pragma once
// A settings file as its text reads, item by item: the header's entries ("Program ID",
// "Nodename") and each variable or part with its value line. The export time is not an item:
// two saves of one node differ in it only.

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

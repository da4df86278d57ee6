#include "host/fleet/SettingsCompare.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace host::fleet {

namespace {

// The header's node name and export time say where and when the file was made; "Read from
// file" writes neither to a node, so they are no settings to compare (one file may serve many
// nodes).
constexpr char kExportTime[] = "Export timestamp";
constexpr char kNodeName[] = "Nodename";
constexpr char kPartMark[] = "** Part ";

std::string Trim(std::string text) {
    const std::size_t end = text.find_last_not_of(" \t\r");
    text.erase(end == std::string::npos ? 0 : end + 1);
    const std::size_t begin = text.find_first_not_of(" \t");
    return begin == std::string::npos ? std::string() : text.substr(begin);
}

// "* nciMaxCool       (14) - SNVT_lev_percent" -> "nciMaxCool (14)"; a part keeps its number.
std::string ItemName(const std::string& line) {
    std::istringstream words(line.substr(1));
    std::string name;
    std::string word;
    words >> name;
    // The index may be written "( 1)" or "(14)".
    std::string index;
    while (words >> word && word != "-") {
        index += word;
    }
    if (!index.empty()) {
        name += " " + index;
    }
    const std::size_t part = line.find(kPartMark);
    if (part != std::string::npos) {
        name += " Part " + Trim(line.substr(part + sizeof kPartMark - 1));
    }
    return name;
}

}  // namespace

std::vector<SettingsValue> ParseSettingsText(const std::string& text) {
    std::vector<SettingsValue> values;
    std::istringstream lines(text);
    std::string line;
    std::string pending;  // the item whose value line comes next
    bool header = false;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        if (line[0] == '*') {
            pending = ItemName(line);
            header = false;
        } else if (line[0] == '/') {
            pending = Trim(line.substr(1));
            header = true;
            if (pending.find_first_not_of('/') == std::string::npos) {
                pending.clear();
            }
        } else if (!pending.empty()) {
            // A header's value line starts with "- ".
            std::string value = header && line[0] == '-' ? Trim(line.substr(1)) : line;
            if (pending != kExportTime && pending != kNodeName) {
                values.push_back({pending, value});
            }
            pending.clear();
        }
    }
    return values;
}

std::vector<SettingsDifference> CompareSettings(const std::vector<SettingsValue>& node,
                                                const std::vector<SettingsValue>& file) {
    std::map<std::string, std::string> nodeValues;
    for (const SettingsValue& value : node) {
        nodeValues.emplace(value.item, value.value);
    }
    std::vector<SettingsDifference> differences;
    std::map<std::string, bool> inFile;
    for (const SettingsValue& value : file) {
        inFile[value.item] = true;
        const auto found = nodeValues.find(value.item);
        if (found == nodeValues.end()) {
            differences.push_back({value.item, {}, value.value});
        } else if (found->second != value.value) {
            differences.push_back({value.item, found->second, value.value});
        }
    }
    for (const SettingsValue& value : node) {
        if (!inFile.contains(value.item)) {
            differences.push_back({value.item, value.value, {}});
        }
    }
    return differences;
}

}  // namespace host::fleet

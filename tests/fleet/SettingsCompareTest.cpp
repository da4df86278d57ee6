// Two settings files compared item by item, as `qma7 fleet check` does.
#include "host/fleet/SettingsCompare.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace host::fleet;

namespace {

std::string FactoryFile() {
    std::ifstream file(std::string(QMA7_TEST_DATA_DIR) + "/factory-node.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

}  // namespace

TEST(SettingsCompareTest, AFileReadsAsItsHeaderValuesAndParts) {
    const auto values = ParseSettingsText(FactoryFile());
    ASSERT_EQ(values.size(), 1u + 14u + 12u);
    EXPECT_EQ(values[0].item, "Program ID");
    EXPECT_EQ(values[0].value, "90 51 4D 41 37 5F 31 6A");
    EXPECT_EQ(values[1].item, "nciSetptDehumidi (1)");
    EXPECT_EQ(values[1].value, "70.000");
    EXPECT_EQ(values.back().item, "nviPluginCnf (34) Part 12");
    EXPECT_EQ(values.back().value, "12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0");
}

TEST(SettingsCompareTest, OnlyValuesThatDifferAreReportedNotTheExportTimeOrName) {
    const std::string saved = FactoryFile();
    std::string later = saved;
    Replace(later, "5/12-2026  9:05:07", "6/12-2026 17:44:01");
    Replace(later, "- AHU1", "- AHU7");  // a file of another node of the same settings
    EXPECT_TRUE(CompareSettings(ParseSettingsText(later), ParseSettingsText(saved)).empty());

    Replace(later, "100.000", "50.000");
    Replace(later, "** Part 9 \r\n9, 150", "** Part 9 \r\n9, 151");
    // An item the node's file lacks (a line lost) and line ends of another system.
    std::string file = saved;
    Replace(file, "* nciDelayCoolOn   (26) - SNVT_time_min               \r\n5\r\n", "");
    const auto differences = CompareSettings(ParseSettingsText(later), ParseSettingsText(file));
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(differences[0].item, "nciMaxCool (14)");
    EXPECT_EQ(differences[0].nodeValue, "50.000");
    EXPECT_EQ(differences[0].fileValue, "100.000");
    EXPECT_EQ(differences[1].item, "nviPluginCnf (34) Part 9");
    EXPECT_EQ(differences[2].item, "nciDelayCoolOn (26)");
    EXPECT_EQ(differences[2].nodeValue, "5");
    EXPECT_EQ(differences[2].fileValue, "");
}

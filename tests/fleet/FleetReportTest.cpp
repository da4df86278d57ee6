// The end of a fleet run as a person and a program read it.
#include "host/fleet/FleetReport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace host::fleet;

namespace {

FleetRow Row(const std::string& label, int node, Outcome outcome, std::string detail = {}) {
    FleetRow row;
    row.node.label = label;
    row.node.address = {{0x51}, 35, node};
    row.state = FleetRow::State::Ended;
    row.startMs = 1000;
    row.endMs = 9100;
    row.result.outcome = outcome;
    row.result.detail = std::move(detail);
    return row;
}

}  // namespace

TEST(FleetReportTest, TheTableGivesEachNodeItsResultAndCheckItsDifferencesBelow) {
    std::vector<FleetRow> rows{
        Row("AHU1", 12, Outcome::Done), Row("AHU2", 13, Outcome::Failed, "no answer from 51/35/13"),
        Row("AHU3", 14, Outcome::Differs, "nciMaxCool (14): node 50, file 100\n"), FleetRow{}};
    rows[3].node.label = "AHU4";
    rows[3].node.address = {{0x51}, 35, 15};
    const std::string table = FormatTable(rows, Action::Check);
    EXPECT_NE(table.find("AHU1  51/35/12      8.1 s     0            done\n"), std::string::npos)
        << table;
    EXPECT_NE(table.find("failed: no answer from 51/35/13\n"), std::string::npos);
    EXPECT_NE(table.find("differs\n"), std::string::npos);
    EXPECT_NE(table.find("not started\n"), std::string::npos);
    EXPECT_NE(table.find("\nAHU3:\nnciMaxCool (14): node 50, file 100\n"), std::string::npos);
}

TEST(FleetReportTest, AScanListsWhatAnsweredAndMarksThisPluginsNodes) {
    std::vector<FleetRow> rows{Row("51-35-1", 1, Outcome::Silent),
                               Row("51-35-12", 12, Outcome::Done),
                               Row("51-35-30", 30, Outcome::Done)};
    rows[1].result.programId = "90 51 4D 41 37 5F 31 6A";
    rows[1].result.name = "AHU1";
    rows[2].result.programId = "90 00 11 22 33 44 55 66";
    const std::string table = FormatTable(rows, Action::Scan);
    EXPECT_EQ(table.find("51-35-1 "), std::string::npos) << table;
    EXPECT_NE(table.find("90 51 4D 41 37 5F 31 6A  QMA7  \"AHU1\""), std::string::npos);
    EXPECT_NE(table.find("90 00 11 22 33 44 55 66  \"\""), std::string::npos);
}

TEST(FleetReportTest, TheJsonReportTakesAnyBytesANodeSends) {
    std::vector<FleetRow> rows{Row("AHU1", 12, Outcome::Stopped, "stopped after 9 of 26 items")};
    rows[0].result.name = "\xFF\xFE bad";  // a node's name is bytes off the wire
    rows[0].progress = {9, 26};
    const auto report = nlohmann::json::parse(FormatJson(rows, Action::Save));
    EXPECT_EQ(report["action"], "save");
    EXPECT_EQ(report["nodes"][0]["result"], "stopped");
    EXPECT_EQ(report["nodes"][0]["itemsDone"], 9);
    EXPECT_EQ(report["nodes"][0]["ms"], 8100);
    EXPECT_EQ(report["nodes"][0]["address"], "51/35/12");
}

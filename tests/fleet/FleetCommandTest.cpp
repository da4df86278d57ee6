// The fleet's command line, the script that plays each node's action, and how the boxes the
// plug-in showed become the node's result.
#include "host/app/FleetCommand.h"

#include <gtest/gtest.h>

#include "host/fleet/NodeProcess.h"

using namespace host::fleet;

namespace {

bool Parse(std::vector<std::string> words, host::FleetOptions& options, std::string& error) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    return host::ParseFleetOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace

TEST(FleetCommandTest, TheCommandLineTakesAnActionItsPathAndNodes) {
    host::FleetOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"load", "saved", "AHU1", "51/35/1-4", "-j", "3", "--yes", "--force",
                       "--password", "x", "--json", "r.json", "--lon-timeout", "200"},
                      options, error))
        << error;
    EXPECT_EQ(options.action, Action::Load);
    EXPECT_EQ(options.path, "saved");
    EXPECT_EQ(options.nodes, (std::vector<std::string>{"AHU1", "51/35/1-4"}));
    EXPECT_EQ(options.parallel, 3u);
    EXPECT_TRUE(options.yes && options.force);
    EXPECT_EQ(options.lon.timing.timeoutMs, 200);

    host::FleetOptions defaults;
    ASSERT_TRUE(Parse({"defaults", "--all"}, defaults, error)) << error;
    EXPECT_TRUE(defaults.path.empty());

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"erase", "AHU1"},
                                               {"save", "out"},
                                               {"save"},
                                               {"scan", "51/35/1-4", "51/36/1-4"},
                                               {"save", "out", "AHU1", "-j", "0"},
                                               {"save", "out", "AHU1", "--lon", "AHU2"},
                                               {"save", "out", "AHU1", "--json"},
                                               {"save", "out", "AHU1", "--bogus"}}) {
        host::FleetOptions options2;
        error.clear();
        EXPECT_FALSE(Parse(bad, options2, error)) << (bad.empty() ? "" : bad[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(FleetCommandTest, OnlyTheActionsOwnQuestionIsAnsweredYesUnlessForced) {
    FleetJob job;
    job.action = Action::Load;
    job.password = "pw \"1\"";
    const std::string load = ActionScript(job, "a b.txt");
    EXPECT_NE(load.find("set 221 \"pw \\\"1\\\"\""), std::string::npos);
    EXPECT_NE(load.find("file \"a b.txt\"\nanswer Yes\nanswer No\nclick 430\n"), std::string::npos);
    job.action = Action::Save;
    EXPECT_NE(ActionScript(job, "x").find("answer No\nclick 427"), std::string::npos);
    job.force = true;
    EXPECT_NE(ActionScript(job, "x").find("answer Yes\nclick 427"), std::string::npos);
}

TEST(FleetCommandTest, TheBoxesTellTheResultAndItsCount) {
    const auto save =
        ResultOfBoxes(Action::Save, "box \"\" \"File Written. 3 NV read errors\" ok none -> OK\n");
    EXPECT_EQ(save.outcome, Outcome::Failed);
    EXPECT_EQ(save.notWritten, 3);
    EXPECT_EQ(ResultOfBoxes(Action::Save, "box \"\" \"File written\" ok none -> OK\n").outcome,
              Outcome::Done);
    EXPECT_EQ(ResultOfBoxes(Action::Save, "").outcome, Outcome::Failed);

    const auto foreign = ResultOfBoxes(
        Action::Load,
        "box \"Download\" \"Download from file to node?\" yesno none -> Yes\n"
        "box \"ProgramID does not match!\" \"ProgramID does not match!\\nDo you want to download "
        "anyway?\" yesno none -> No\nbox \"Download status\" \"Download not completed\" ok none -> "
        "OK\n");
    EXPECT_EQ(foreign.outcome, Outcome::Failed);
    EXPECT_NE(foreign.detail.find("--force"), std::string::npos);
    const auto partly = ResultOfBoxes(
        Action::Load, "box \"Download status\" \"Download not completed. 2 items not written\"");
    EXPECT_EQ(partly.notWritten, 2);
    EXPECT_EQ(ResultOfBoxes(Action::Load, "box \"Download status\" \"Download completed\"").outcome,
              Outcome::Done);

    EXPECT_EQ(ResultOfBoxes(Action::Defaults, "box \"QMA7\" \"Please restart the plugin\"").outcome,
              Outcome::Done);
    EXPECT_EQ(ResultOfBoxes(Action::Defaults,
                            "box \"QMA7\" \"Default settings not completed. 5 items not written\"")
                  .notWritten,
              5);
    EXPECT_EQ(ResultOfBoxes(Action::Defaults, "box \"QMA7\" \"Wrong password\"").outcome,
              Outcome::Failed);
}

#include "plugin/settingsfile/NodeSettingsReader.h"

#include <gtest/gtest.h>

#include "plugin/settingsfile/ProgramId.h"
#include "tests/settingsfile/SettingsFileTestSupport.h"

using namespace settingsfile;
using namespace settingsfile::test;

namespace {

const std::string kOurs = "- 90 51 4D 41 37 5F 31 6A\r\n";
const std::string kOther = "- 90 51 4D 41 37 5F 31 6B\r\n";
const std::string kMaxCool = "* nciMaxCool       (14) - SNVT_lev_percent               \r\n";
const std::string kDelay = "* nciDelayCoolOn   (26) - SNVT_time_min               \r\n";

std::string Part(int label) {
    return "* nviPluginCnf     (34) - SNVT_str_int     ** Part " + std::to_string(label) + " \n";
}

std::vector<std::string> Read(const std::string& text, std::vector<bool> answers = {},
                              bool* accepted = nullptr) {
    RecordingSink sink;
    sink.answers = std::move(answers);
    const bool result = ReadNodeSettings(text, sink);
    if (accepted != nullptr) {
        *accepted = result;
    }
    return sink.events;
}

using Events = std::vector<std::string>;

}  // namespace

// Items before the first program ID, foreign IDs answered Yes and No, and ours again without a
// question are the Import / Export tab's test; here what the reader alone decides.
TEST(NodeSettingsReader, ProgramIdLinesDecideWhatIsAccepted) {
    bool accepted = true;
    EXPECT_EQ(Read(kOther + kMaxCool + "1.000\n", {false}, &accepted),
              (Events{"ask 90 51 4D 41 37 5F 31 6B"}));
    EXPECT_FALSE(accepted);

    // Only a remainder of exactly 23 characters is a program ID; none means nothing accepted.
    EXPECT_EQ(Read("- AHU1\n- 5/12-2026  9:05:07\n-x90 51 4D 41 37 5F 31 6A \n" + kMaxCool + "1\n",
                   {}, &accepted),
              Events{});
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Read("-x90 51 4D 41 37 5F 31 6A\n" + kMaxCool + "1\n"), (Events{"nv 14 00C8"}));
}

// Parts numbered by their order after the first program ID are the Import / Export tab's test.
TEST(NodeSettingsReader, MissingValueLinesSkipOnlyTheirItem) {
    // A header, comment, program ID or name line, or the end of the file, is no value line:
    // the item is reported and that line is read on its own.
    EXPECT_EQ(
        Read(kOurs + kMaxCool + kDelay + "5\n" + Part(1) + "/ x\n" + Part(2) + kOurs + kMaxCool +
             "- AHU1\n" + kDelay),
        (Events{"missing nciMaxCool 0", "nv 27 0005", "missing nviPluginCnf 1",
                "missing nviPluginCnf 2", "missing nciMaxCool 0", "missing nciDelayCoolOn 0"}));
    // A program ID line in place of a value still asks and decides.
    EXPECT_EQ(Read(kOurs + kMaxCool + kOther + kDelay + "5\n", {false}),
              (Events{"missing nciMaxCool 0", "ask 90 51 4D 41 37 5F 31 6B"}));
    // Negative numbers, empty lines and text are values.
    EXPECT_EQ(Read(kOurs + kMaxCool + "-1\n" + kMaxCool + "-.5\n" + kMaxCool + "\n" + kMaxCool +
                   "abc\n" + Part(9) + "-1, 2, 3\r\n"),
              (Events{"nv 14 FF38", "nv 14 FF9C", "nv 14 0000", "nv 14 0000",
                      "part 1 FF0002" + std::string(56, '0')}));
    // Unknown names and headers without a space after the name keep their value line, but
    // never take a header as one; they are not reported.
    EXPECT_EQ(Read(kOurs + "* nciUnknown (1)\n70.000\n* nciMaxCool\n1\n* nciOther (2)\n" + kDelay +
                   "5\n*\n* \n" + kMaxCool + "1\n"),
              (Events{"nv 27 0005", "nv 14 00C8"}));
}

TEST(NodeSettingsReader, OverlongLinesAreConsumedWholeAndNeverCut) {
    const std::string value114 = "1" + std::string(113, ' ');
    const std::string value115 = "2" + std::string(114, ' ');
    const std::string header99 = kMaxCool.substr(0, kMaxCool.size() - 2) + std::string(42, ' ');
    ASSERT_EQ(header99.size(), 99u);
    EXPECT_EQ(
        Read(kOurs + kMaxCool + value114 + "\n" + kMaxCool + value115 + "\r\n" + kDelay + "3\n"),
        (Events{"nv 14 00C8", "missing nciMaxCool 0", "nv 27 0003"}));
    // A header of 99 characters counts; of 100 it is ignored, and its value line with it.
    EXPECT_EQ(Read(kOurs + header99 + "\n1\n" + header99 + " \n2\n"), (Events{"nv 14 00C8"}));
    // A long line is one line whatever it holds: its tail never becomes a line of its own.
    EXPECT_EQ(Read(kOurs + std::string(200, 'x') + kMaxCool + "1\n" + kMaxCool +
                   std::string(200, '9') + "\n" + kDelay + "4\n"),
              (Events{"missing nciMaxCool 0", "nv 27 0004"}));
    // An over-long program ID line is ignored.
    EXPECT_EQ(Read(kOurs.substr(0, 25) + std::string(80, ' ') + "\n" + kMaxCool + "1\n"), Events{});
}

TEST(NodeSettingsReader, LineEndsAndChunksDoNotMatter) {
    const std::string lf = "- 90 51 4D 41 37 5F 31 6A\n* nciDelayCoolOn \n7\n";
    const Events expected{"nv 27 0007"};
    EXPECT_EQ(Read(lf), expected);
    EXPECT_EQ(Read("- 90 51 4D 41 37 5F 31 6A\r\n* nciDelayCoolOn \r\n7\r"), expected);
    // A CR not before LF is part of the line, which makes this one no program ID line.
    EXPECT_EQ(Read("- 90 51 4D 41 37 5F 31 6A\r \n* nciDelayCoolOn \n7\n"), Events{});
    RecordingSink sink;
    NodeSettingsReader reader(sink);
    for (const char c : lf) {
        reader.Feed(std::string_view(&c, 1));
    }
    reader.Finish();
    reader.Feed("* nciMaxCool \n1\n");  // after the end nothing more happens
    reader.Finish();
    EXPECT_EQ(sink.events, expected);
}

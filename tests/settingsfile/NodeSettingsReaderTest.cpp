#include "plugin/settingsfile/NodeSettingsReader.h"

#include <gtest/gtest.h>

#include <random>
#include <ranges>

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

namespace {

// Splits like a text-mode stream: LF ends a line, a CR before it (or at the end) is dropped.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// Records the items written with their bytes, for matching against the file's lines, and
// answers the program ID questions Yes, No, Yes, ...
struct WriteRecorder : RecordingSink {
    WriteRecorder() {
        for (int i = 0; i < 1000; ++i) {
            answers.push_back(i % 2 == 0);
        }
    }
    void WriteItem(const SettingsItem& item, std::span<const std::uint8_t> bytes) override {
        RecordingSink::WriteItem(item, bytes);
        writes.emplace_back(&item, Hex(bytes));
    }
    void WritePart(int part, std::span<const std::uint8_t> bytes) override {
        RecordingSink::WritePart(part, bytes);
        writes.emplace_back(&kPluginCnf, Hex(bytes));
    }

    std::vector<std::pair<const SettingsItem*, std::string>> writes;
};

std::string RandomFile(std::mt19937& random, const std::string& golden) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    // Pieces of lines between the "|"s: headers, program IDs, values, line ends, odd bytes.
    static const std::vector<std::string> kPieces = [] {
        std::vector<std::string> pieces;
        const std::string_view all =
            "* nciMaxCool |* nviPluginCnf |* nciOffManAuto3 |* nciDelayCoolOn |*|* |"
            "- 90 51 4D 41 37 5F 31 6A|- 90 51 4D 41 37 5F 31 6B|-1, 2|-|/|/ x|70.000|5.0|"
            "0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 65535|\n|\r\n|\r| |,|.|-.5|1e9|\xFF";
        for (const auto piece : std::views::split(all, '|')) {
            pieces.emplace_back(piece.begin(), piece.end());
        }
        pieces.emplace_back(1, '\0');
        return pieces;
    }();
    std::string text;
    if (random() % 2 == 0) {
        // A mutated export: lines dropped, doubled, lengthened, bytes changed or cut off.
        text = golden;
        for (std::size_t n = 1 + pick(8); n > 0 && !text.empty(); --n) {
            const std::size_t at = pick(text.size());
            switch (pick(6)) {
                case 0:
                    text.erase(at, pick(120));
                    break;
                case 1:
                    text.insert(at, text.substr(at, pick(200)));
                    break;
                case 2:
                    text.insert(at, std::string(pick(300), static_cast<char>('0' + pick(10))));
                    break;
                case 3:
                    text[at] = static_cast<char>(random());
                    break;
                case 4:
                    text.insert(at, kPieces[pick(kPieces.size())]);
                    break;
                default:
                    text.resize(at);
                    break;
            }
        }
    } else {
        for (std::size_t n = pick(200); n > 0; --n) {
            text += kPieces[pick(kPieces.size())];
        }
    }
    return text;
}

}  // namespace

TEST(NodeSettingsReader, AnyFileEndsAndWritesOnlyWholeValueLines) {
    const std::string golden = ReadFile(QMA7_TEST_DATA_DIR "/factory-node.txt");
    ASSERT_FALSE(golden.empty());
    std::mt19937 random(2026);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomFile(random, golden);
        WriteRecorder whole;
        ReadNodeSettings(text, whole);

        // Fed in random pieces, the file does exactly the same.
        WriteRecorder pieces;
        NodeSettingsReader reader(pieces);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = 1 + random() % 64;
            reader.Feed(std::string_view(text).substr(at, n));
            at += n;
        }
        reader.Finish();
        ASSERT_EQ(pieces.events, whole.events) << text;

        // Each write is the decoding of one whole line that follows an item header, in file
        // order, and no header or comment line is ever taken as a value.
        const std::vector<std::string> lines = SplitLines(text);
        std::size_t next = 1;
        for (const auto& [item, bytes] : whole.writes) {
            while (next < lines.size() &&
                   !(lines[next - 1].starts_with('*') && lines[next].size() <= 114 &&
                     !lines[next].starts_with('*') && !lines[next].starts_with('/') &&
                     Hex(item->BytesOf(lines[next]).Span()) == bytes)) {
                ++next;
            }
            ASSERT_LT(next, lines.size()) << "a write from no whole value line:\n" << text;
            ++next;
        }
    }
}

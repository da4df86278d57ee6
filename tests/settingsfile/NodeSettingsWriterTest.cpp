#include "plugin/settingsfile/NodeSettingsWriter.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/crt/Clock.h"
#include "platform/crt/FileSystem.h"
#include "plugin/settingsfile/FactoryDefaults.h"
#include "plugin/settingsfile/NodeSettingsFile.h"
#include "plugin/settingsfile/NodeSettingsReader.h"
#include "tests/settingsfile/SettingsFileTestSupport.h"

using namespace settingsfile;
using namespace settingsfile::test;

namespace {

class NodeSettingsWriterTest : public ::testing::Test {
  protected:
    NodeSettingsWriterTest() {
        m_clock.SetLocal({2026, 12, 5, 9, 5, 7});
        platform::crt::SetCurrentClock(&m_clock);
    }
    ~NodeSettingsWriterTest() override { platform::crt::SetCurrentClock(nullptr); }

  private:
    platform::crt::VirtualClock m_clock;
};

// Exports the built-in factory node as "Save to file" reads it: 31-byte buffers.
NodeSettingsWriter ExportFactoryNode() {
    NodeSettingsWriter writer("AHU1");
    for (const NodeValue& value : kFactoryNodeItems) {
        std::array<std::uint8_t, 31> buffer{};
        std::ranges::copy(FromHex(value.hex), buffer.begin());
        writer.AddValue(buffer);
    }
    for (int part = 1; part <= kPartCount; ++part) {
        std::array<std::uint8_t, 31> buffer = FactoryPartBytes(part).data;
        writer.AddValue(buffer);
    }
    return writer;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

TEST_F(NodeSettingsWriterTest, FactoryNodeMatchesGoldenFileAndReadsBack) {
    const NodeSettingsWriter writer = ExportFactoryNode();
    EXPECT_EQ(writer.ItemCount(), 26u);
    EXPECT_EQ(writer.UnreadableCount(), 0);

    ScratchFolder folder;
    const std::string path = folder.Path("AHU1.txt");
    ASSERT_EQ(SaveNodeSettings(platform::crt::RealFileSystem(), path, writer.Text()),
              SaveResult::Saved);
    const std::string golden = ReadBytes(QMA7_TEST_DATA_DIR "/factory-node.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadBytes(path), golden);

    // Reading the file back writes each item to the NV it came from with the node's bytes.
    RecordingSink sink;
    EXPECT_TRUE(ReadNodeSettings(golden, sink));
    std::vector<std::string> expected;
    for (const NodeValue& value : kFactoryNodeItems) {
        expected.push_back("nv " + std::to_string(value.nv) + " " + std::string(value.hex));
    }
    for (int part = 1; part <= kPartCount; ++part) {
        expected.push_back("part " + std::to_string(part) + " " +
                           Hex(FactoryPartBytes(part).Span()));
    }
    EXPECT_EQ(sink.events, expected);
}

TEST_F(NodeSettingsWriterTest, SilentNodeGivesHeaderLinesOnly) {
    NodeSettingsWriter writer("");
    for (std::size_t i = 0; i < kFileItemCount + 1; ++i) {
        writer.AddUnreadable();  // one call too many adds nothing
    }
    EXPECT_EQ(writer.UnreadableCount(), 26);
    std::string expected;
    for (const FileItem& item : kFileItems) {
        expected += item.HeaderLine() + "\n";
    }
    const std::string& text = writer.Text();
    ASSERT_TRUE(text.ends_with(expected));
    EXPECT_EQ(std::ranges::count(text, '\n'), 11 + 26);
    EXPECT_EQ(Lines(text)[5], "- ");  // the node name line of an empty name

    // Read back: nothing written, every item counted as without value, parts numbered on.
    RecordingSink sink;
    EXPECT_TRUE(ReadNodeSettings(text, sink));
    ASSERT_EQ(sink.events.size(), 26u);
    EXPECT_EQ(sink.events[0], "missing nciSetptDehumidi 0");
    EXPECT_EQ(sink.events[13], "missing nciDelayCoolOn 0");
    EXPECT_EQ(sink.events[14], "missing nviPluginCnf 1");
    EXPECT_EQ(sink.events[25], "missing nviPluginCnf 12");
}

TEST_F(NodeSettingsWriterTest, NodeNameCannotBreakTheFile) {
    const NodeSettingsWriter writer(std::string_view("A\tB\nC\x7F\x80\0Z", 9));
    const std::vector<std::string> lines = Lines(writer.Text());
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[5], "- A?B?C?\x80?Z");
}

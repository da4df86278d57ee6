#include "host/node/NodeImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "host/node/FactoryNode.h"
#include "tests/support/BoundedRun.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Files.h"
#include "tests/support/SameNode.h"

namespace {

namespace fs = std::filesystem;
using host::NodeImage;
using host::SimNode;
using Bytes = std::vector<std::uint8_t>;

Bytes NvOf(const SimNode& node, int nv) {
    const auto value = node.GetNv(nv);
    return value ? Bytes(value->begin(), value->end()) : Bytes{};
}

class NodeImageFiles : public ::testing::Test {
  protected:
    ScratchFolder m_folder;
    const fs::path& m_dir = m_folder.Dir();
};

}  // namespace

TEST(NodeImage, ParsesMembersWithZeroFill) {
    std::string error;
    const auto node = NodeImage::Parse(
        R"({"name": "K\u00e4lte 1", "selector": 3,
            "nv": {"5": "ab", "0": "0c 0D", "42": "0001"}, "parts": {"3": "FfeE"}})",
        "img.json", error);
    ASSERT_TRUE(node) << error;
    EXPECT_EQ(node->Name(), "K\xC3\xA4lte 1");  // the UTF-8 of the JSON string
    EXPECT_EQ(node->Selector(), 3);             // the selector member wins over NV 42
    EXPECT_EQ(NvOf(*node, 5), (Bytes{0xAB, 0x00}));
    EXPECT_EQ(NvOf(*node, 0)[1], 0x0D);
    EXPECT_EQ(NvOf(*node, 0)[2], 0x00);
    EXPECT_EQ(NvOf(*node, 43)[1], 0xEE);  // part 3, selected
    EXPECT_EQ(node->Part(4)[0], 0);

    const auto empty = NodeImage::Parse("{}", "img.json", error);
    ASSERT_TRUE(empty) << error;
    EXPECT_EQ(empty->Name(), "");
    EXPECT_EQ(NvOf(*empty, 22), Bytes(31, 0));
}

TEST(NodeImage, ErrorsNameFileAndMember) {
    const struct {
        const char* json;
        const char* expected;
    } cases[] = {
        {R"({"nv": {"5": "123"}})", "member \"nv\" \"5\": odd number"},
        {R"({"nv": {"5": "0102 03"}})", "member \"nv\" \"5\": 3 bytes are longer"},
        {R"({"nv": {"0": "xy"}})", "member \"nv\" \"0\": not a hex digit"},
        {R"({"nv": {"43": "00"}})", "member \"nv\" \"43\": not an NV index"},
        {R"({"nv": {"-1": "00"}})", "member \"nv\" \"-1\": not an NV index"},
        {R"({"nv": {"05": "00"}})", "member \"nv\" \"05\": not an NV index"},
        {R"({"nv": {"5": 5}})", "member \"nv\" \"5\": not a HEX string"},
        {R"({"nv": []})", "member \"nv\": not an object"},
        {R"({"parts": {"0": "00"}})", "member \"parts\" \"0\": not a part"},
        {R"({"parts": {"13": "00"}})", "member \"parts\" \"13\": not a part"},
        {R"({"parts": {"1": "0000000000000000000000000000000000000000000000000000000000000000"}})",
         "member \"parts\" \"1\": 32 bytes are longer than part 1"},
        {R"({"selector": 65536})", "member \"selector\": not a whole number"},
        {R"({"selector": -1})", "member \"selector\""},
        {R"({"selector": 1.5})", "member \"selector\""},
        {R"({"name": 7})", "member \"name\": not a string"},
        {R"({"nvs": {}})", "member \"nvs\": unknown member"},
        {R"({"name": "x",})", "not valid JSON"},
        {R"([1])", "not a JSON object"},
        {"{\"name\": \"\xFF\"}", "not valid JSON"},
        {R"({"name": "a", "name": "b"})", "member \"name\": given twice"},
        {R"({"nv": {"3": "01", "4": "02", "3": "03"}})", "member \"nv\" \"3\": given twice"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(NodeImage::Parse(c.json, "dir/img.json", error)) << c.json;
        EXPECT_EQ(error.rfind("dir/img.json: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.json << " -> " << error;
    }
}

TEST_F(NodeImageFiles, SaveAndLoadGiveTheSameNode) {
    SimNode node = host::FactoryNode::Make();
    node.SetName(std::string("R\xC3\xA4um\0e \"1\"", 11));
    node.SetSelector(7);
    std::string error;
    ASSERT_TRUE(node.SetNv(43, Bytes(31, 0x5A), error));
    ASSERT_TRUE(node.SetNv(41, Bytes{0xFF, 0xFE}, error));

    const fs::path path = m_dir / "node.json";
    ASSERT_TRUE(NodeImage::Save(node, path, error)) << error;
    const auto loaded = NodeImage::Load(path, error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_TRUE(SameNode(node, *loaded));
    EXPECT_NE(ReadFile(path).find("\"41\": \"FFFE\""), std::string::npos) << ReadFile(path);

    // Saving over the file replaces it; nothing else is left in the folder.
    node.SetSelector(0);
    ASSERT_TRUE(NodeImage::Save(node, path, error)) << error;
    EXPECT_TRUE(SameNode(node, *NodeImage::Load(path, error)));
    EXPECT_EQ(m_folder.Entries(), std::vector<std::string>{"node.json"});

    EXPECT_FALSE(NodeImage::Load(m_dir / "missing.json", error));
    EXPECT_NE(error.find("missing.json: cannot read"), std::string::npos) << error;
}

TEST_F(NodeImageFiles, FailedSaveKeepsTheOldFile) {
    SimNode node;
    node.SetName("old");
    const fs::path path = m_dir / "node.json";
    std::string error;
    ASSERT_TRUE(NodeImage::Save(node, path, error)) << error;
    const std::string before = ReadFile(path);

    // A folder in the way of the rename; a folder that does not exist.
    node.SetName("new");
    const fs::path blocked = m_dir / "blocked";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(NodeImage::Save(node, blocked, error));
    EXPECT_NE(error.find("cannot save"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_FALSE(NodeImage::Save(node, m_dir / "none" / "node.json", error));
    EXPECT_EQ(m_folder.Entries(), (std::vector<std::string>{"blocked", "node.json"}));
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(NodeImageFiles, OnlyARegularFileOfAtMostAMegabyteLoads) {
    std::string error;
    fs::create_directory(m_dir / "dir");
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);  // no writer: a read would block
    for (const fs::path& path : {m_dir / "dir", m_dir / "fifo", fs::path("/dev/zero")}) {
        EXPECT_FALSE(NodeImage::Load(path, error));
        EXPECT_EQ(error, path.string() + ": not a regular file");
    }
    WriteFile(m_dir / "big.json", "{\"name\": \"" + std::string(1 << 20, 'x') + "\"}");
    EXPECT_FALSE(NodeImage::Load(m_dir / "big.json", error));
    EXPECT_EQ(error,
              (m_dir / "big.json").string() + ": more than 1 MB, too large for a node image");
}

TEST_F(NodeImageFiles, SaveWritesThroughALinkAndEveryFailedStepKeepsTheOldImage) {
    SimNode node = host::FactoryNode::Make();
    std::string error;
    fs::create_directory(m_dir / "real");
    ASSERT_TRUE(NodeImage::Save(node, m_dir / "real" / "node.json", error)) << error;
    fs::create_symlink("real/node.json", m_dir / "node.json");
    node.SetName("new");
    ASSERT_TRUE(NodeImage::Save(node, m_dir / "node.json", error)) << error;
    EXPECT_TRUE(fs::is_symlink(m_dir / "node.json"));
    EXPECT_EQ(NodeImage::Load(m_dir / "real" / "node.json", error)->Name(), "new");

    const std::string before = ReadFile(m_dir / "node.json");
    using Step = FaultyFileSystem::Step;
    node.SetName("newer");
    for (const Step step :
         {Step::Open, Step::CreateTemporary, Step::Write, Step::Flush, Step::Close, Step::Rename}) {
        FaultyFileSystem faults(platform::crt::RealFileSystem());
        faults.FailAt(step, 1, true);
        platform::crt::SetCurrentFileSystem(&faults);
        EXPECT_FALSE(NodeImage::Save(node, m_dir / "node.json", error));
        platform::crt::SetCurrentFileSystem(nullptr);
        EXPECT_EQ(error.rfind((m_dir / "node.json").string() + ": cannot save: ", 0), 0u) << error;
        EXPECT_EQ(ReadFile(m_dir / "node.json"), before);
        EXPECT_EQ(m_folder.Entries(), (std::vector<std::string>{"node.json", "real"}));
        EXPECT_EQ(ReadFile(m_dir / "real" / "node.json"), before);
    }
}

TEST_F(NodeImageFiles, ANameThatIsNotUtf8IsKeptByteForByte) {
    SimNode node = host::FactoryNode::Make();
    node.SetName(std::string("K\xE4lte\0\xFF", 7));  // Latin-1, as an old node may hold it
    const fs::path path = m_dir / "node.json";
    std::string error;
    ASSERT_TRUE(NodeImage::Save(node, path, error)) << error;
    EXPECT_NE(ReadFile(path).find("\"nameHex\": \"4BE46C746500FF\""), std::string::npos);
    const auto loaded = NodeImage::Load(path, error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_TRUE(SameNode(node, *loaded));

    for (const char* json :
         {R"({"name": "a", "nameHex": "61"})", R"({"nameHex": "6"})", R"({"nameHex": 6})"}) {
        EXPECT_FALSE(NodeImage::Parse(json, "img.json", error)) << json;
        EXPECT_NE(error.find("member \"nameHex\""), std::string::npos) << error;
    }
    const std::string longest(NodeImage::kMaxNameBytes, 'n');
    EXPECT_TRUE(NodeImage::Parse(R"({"name": ")" + longest + "\"}", "img.json", error));
    EXPECT_FALSE(NodeImage::Parse(R"({"name": "n)" + longest + "\"}", "img.json", error));
    EXPECT_NE(error.find("longer than 255 bytes"), std::string::npos) << error;
}

TEST(NodeImage, DeepNestingIsRefusedQuicklyAndInLittleMemory) {
    const std::size_t depth = 100000;
    const std::string arrays =
        "{\"nv\": " + std::string(depth, '[') + std::string(depth, ']') + "}";
    std::string objects = "{\"nv\": ";
    for (std::size_t k = 0; k < depth; ++k) {
        objects += "{\"a\":";
    }
    objects += "1" + std::string(depth + 1, '}');
    for (const std::string* text : std::vector<const std::string*>{&arrays, &objects}) {
        const BoundedResult run = RunBounded(
            [&] {
                std::string error;
                return !NodeImage::Parse(*text, "deep.json", error) &&
                       error.find("nested more than 8 levels") != std::string::npos;
            },
            std::chrono::seconds(2));
        EXPECT_TRUE(run.succeeded) << run.Text();
        EXPECT_LT(run.peakKilobytes, 256 * 1024) << run.Text();
    }
    // Brackets inside strings are text, not nesting.
    std::string error;
    EXPECT_TRUE(NodeImage::Parse(R"({"name": "[[[[[[[[[[{{{{{{{{{{\"["})", "img.json", error))
        << error;
}

TEST_F(NodeImageFiles, ASettingsFileGivenAsAnImageIsNamedAsSuch) {
    WriteFile(m_dir / "ahu.txt", "\xEF\xBB\xBF/ Exported from QMA7\n/ Program ID\n- 9FFFFF\n");
    std::string error;
    EXPECT_FALSE(NodeImage::Load(m_dir / "ahu.txt", error));
    EXPECT_EQ(error, (m_dir / "ahu.txt").string() +
                         ": a node settings file, not a node image (the sheet's Read from file "
                         "loads it into a node)");
}

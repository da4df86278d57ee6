#include "plugin/settingsfile/NodeSettingsFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "plugin/settingsfile/NodeSettingsReader.h"
#include "tests/settingsfile/SettingsFileTestSupport.h"
#include "tests/support/FaultyFileSystem.h"

using namespace settingsfile;
using namespace settingsfile::test;
using platform::crt::RealFileSystem;
using Step = FaultyFileSystem::Step;

namespace {

// Enough lines that a failing write leaves the temporary file half written.
std::string NewText() {
    std::string text;
    for (int n = 0; n < 40; ++n) {
        text += "line " + std::to_string(n) + "\n";
    }
    return text + "\n";
}

std::string OnDisk(const std::string& text) {
    std::string disk;
    for (const char c : text) {
        disk += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return disk;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777u;
}

}  // namespace

TEST(NodeSettingsFile, SaveWritesCrLfAndKeepsOrSetsPermissions) {
    ScratchFolder folder;
    const std::string path = folder.Path("node.txt");
    EXPECT_FALSE(ExistsForOverwrite(RealFileSystem(), path));
    ASSERT_EQ(SaveNodeSettings(RealFileSystem(), path, NewText()), SaveResult::Saved);
    EXPECT_EQ(ReadFile(path), OnDisk(NewText()));
    EXPECT_EQ(ModeOf(path), RealFileSystem().NewFileMode());
    EXPECT_TRUE(ExistsForOverwrite(RealFileSystem(), path));

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(SaveNodeSettings(RealFileSystem(), path, "new\n"), SaveResult::Saved);
    EXPECT_EQ(ReadFile(path), "new\r\n");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"node.txt"});
}

TEST(NodeSettingsFile, FailedSaveLeavesTheOldFileUntouched) {
    ScratchFolder folder;
    const std::string path = folder.Path("node.txt");
    const std::string old = "old contents\r\n";
    struct Case {
        Step step;
        int nth;  // the writability test of the target opens and closes it first
        SaveResult result;
    };
    const Case cases[] = {
        {Step::Open, 1, SaveResult::OpenFailed},  // the target may not be written
        {Step::CreateTemporary, 1, SaveResult::OpenFailed},
        {Step::Write, 7, SaveResult::WriteFailed},
        {Step::Flush, 1, SaveResult::WriteFailed},
        {Step::Close, 2, SaveResult::WriteFailed},
        {Step::Rename, 1, SaveResult::WriteFailed},
    };
    for (const Case& c : cases) {
        WriteFile(path, old);
        FaultyFileSystem fs(RealFileSystem());
        fs.FailAt(c.step, c.nth);
        EXPECT_EQ(SaveNodeSettings(fs, path, NewText()), c.result) << static_cast<int>(c.step);
        EXPECT_EQ(fs.Calls(c.step), c.nth);
        EXPECT_EQ(ReadFile(path), old);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"node.txt"});
    }

    // Real failures: no folder for the temporary file, a folder in the way of the rename.
    EXPECT_EQ(SaveNodeSettings(RealFileSystem(), folder.Path("missing/node.txt"), "x\n"),
              SaveResult::OpenFailed);
    std::filesystem::create_directory(folder.Path("dir"));
    WriteFile(folder.Path("dir/keep"), "k");
    EXPECT_FALSE(ExistsForOverwrite(RealFileSystem(), folder.Path("dir")));
    EXPECT_EQ(SaveNodeSettings(RealFileSystem(), folder.Path("dir"), "x\n"),
              SaveResult::WriteFailed);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"dir", "node.txt"}));
    EXPECT_EQ(ReadFile(folder.Path("dir/keep")), "k");

    // A read-only target is refused (root may write anything, so only as another user).
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        EXPECT_FALSE(ExistsForOverwrite(RealFileSystem(), path));
        EXPECT_EQ(SaveNodeSettings(RealFileSystem(), path, "x\n"), SaveResult::OpenFailed);
        EXPECT_EQ(ReadFile(path), old);
    }
}

TEST(NodeSettingsFile, SaveFollowsSymbolicLinks) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder.Path("real"));
    const std::string target = folder.Path("real/node.txt");
    WriteFile(target, "old\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    std::filesystem::create_symlink("real/node.txt", folder.Path("link1"));
    std::filesystem::create_symlink("link1", folder.Path("link2"));

    ASSERT_EQ(SaveNodeSettings(RealFileSystem(), folder.Path("link2"), "new\n"), SaveResult::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("link1")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("link2")));
    EXPECT_EQ(ReadFile(target), "new\r\n");
    EXPECT_EQ(ModeOf(target), 0604u);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"link1", "link2", "real"}));

    // A link to a file not yet there creates it; a loop of links is refused.
    std::filesystem::create_symlink("real/later.txt", folder.Path("dangling"));
    ASSERT_EQ(SaveNodeSettings(RealFileSystem(), folder.Path("dangling"), "x\n"),
              SaveResult::Saved);
    EXPECT_EQ(ReadFile(folder.Path("real/later.txt")), "x\r\n");
    std::filesystem::create_symlink("loop", folder.Path("loop"));
    EXPECT_EQ(SaveNodeSettings(RealFileSystem(), folder.Path("loop"), "x\n"),
              SaveResult::OpenFailed);
}

TEST(NodeSettingsFile, ImportOpensReadOnlyAndStreamsTheFile) {
    ScratchFolder folder;
    const std::string path = folder.Path("node.txt");
    EXPECT_EQ(OpenForImport(RealFileSystem(), path), nullptr);
    EXPECT_EQ(OpenForImport(RealFileSystem(), folder.Path(".")), nullptr);

    // Large enough for several reads; the one item comes last.
    const std::string text =
        std::string(10000, '\n') + "- 90 51 4D 41 37 5F 31 6A\r\n* nciDelayCoolOn \r\n9\r\n";
    WriteFile(path, text);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    {
        const auto file = OpenForImport(RealFileSystem(), path);
        ASSERT_NE(file, nullptr);
        RecordingSink sink;
        NodeSettingsReader reader(sink);
        EXPECT_TRUE(ReadInto(*file, reader));
        EXPECT_TRUE(reader.Accepted());
        EXPECT_EQ(sink.events, std::vector<std::string>{"nv 27 0009"});
    }
    // A read that fails ends the file where it stands.
    FaultyFileSystem fs(RealFileSystem());
    fs.FailAt(Step::Read, 2);
    const auto file = OpenForImport(fs, path);
    ASSERT_NE(file, nullptr);
    RecordingSink sink;
    NodeSettingsReader reader(sink);
    EXPECT_FALSE(ReadInto(*file, reader));
    EXPECT_FALSE(reader.Accepted());
    EXPECT_TRUE(sink.events.empty());
}

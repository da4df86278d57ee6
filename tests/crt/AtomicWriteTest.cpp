#include "platform/crt/AtomicWrite.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Files.h"

using platform::crt::AtomicWrite;
using platform::crt::CheckReplaceable;
using platform::crt::RealFileSystem;
using platform::crt::WriteStep;
using Step = FaultyFileSystem::Step;

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// A process id that no process has any more.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(AtomicWrite, EveryFailingStepLeavesTheOldFileAndNoTemporaryFile) {
    ScratchFolder folder;
    const std::string path = folder.Path("file");
    const struct {
        Step step;
        int nth;  // the writability test opens and closes the target first
        WriteStep reported;
    } cases[] = {
        {Step::Open, 1, WriteStep::Target}, {Step::CreateTemporary, 1, WriteStep::CreateTemporary},
        {Step::Write, 1, WriteStep::Write}, {Step::Flush, 1, WriteStep::Flush},
        {Step::Close, 2, WriteStep::Close}, {Step::Rename, 1, WriteStep::Rename},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        WriteFile(path, "old");
        FaultyFileSystem fs(RealFileSystem());
        fs.FailAt(c.step, c.nth);
        const auto failure = AtomicWrite(fs, path, std::string(100000, 'n'));
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->step, c.reported);
        EXPECT_FALSE(failure->Reason().empty());
        EXPECT_EQ(ReadFile(path), "old");
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"file"});
    }
    // A folder that cannot be flushed after the rename does not undo the save.
    FaultyFileSystem fs(RealFileSystem());
    fs.FailAt(Step::SyncFolder);
    EXPECT_FALSE(AtomicWrite(fs, path, "new"));
    EXPECT_EQ(ReadFile(path), "new");

    std::filesystem::create_symlink("loop", folder.Path("loop"));
    EXPECT_EQ(AtomicWrite(RealFileSystem(), folder.Path("loop"), "x")->step, WriteStep::Resolve);
}

TEST(AtomicWrite, KeepsModeOwnerAndGroupAndRemovesWhatAKilledSaveLeftBehind) {
    ScratchFolder folder;
    const std::string path = folder.Path("node.json");
    WriteFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
    }
    const std::string dead = ".node.json." + std::to_string(EndedProcess()) + ".aB3xYz";
    const std::string mine = ".node.json." + std::to_string(::getpid()) + ".Qq1234";
    const std::string alive = ".node.json.1.Zz9876";  // init never ends
    for (const std::string& name : {dead, mine, alive, std::string(".node.json.bak")}) {
        WriteFile(folder.Path(name), "left");
    }

    ASSERT_FALSE(AtomicWrite(RealFileSystem(), path, "new"));
    EXPECT_EQ(ReadFile(path), "new");
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }
    EXPECT_EQ(folder.Entries(),
              (std::vector<std::string>{".node.json.1.Zz9876", ".node.json.bak", "node.json"}));
}

TEST(AtomicWrite, CheckReplaceableTriesTheFolderAndLeavesNothing) {
    ScratchFolder folder;
    EXPECT_FALSE(CheckReplaceable(RealFileSystem(), folder.Path("new.json")));
    EXPECT_EQ(CheckReplaceable(RealFileSystem(), folder.Path("none/new.json"))->step,
              WriteStep::CreateTemporary);
    std::filesystem::create_directory(folder.Path("dir"));
    EXPECT_EQ(CheckReplaceable(RealFileSystem(), folder.Path("dir"))->Reason(), "Is a directory");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"dir"});
    if (::geteuid() != 0) {  // root may write anywhere
        ASSERT_EQ(::chmod(folder.Path("dir").c_str(), 0555), 0);
        EXPECT_EQ(CheckReplaceable(RealFileSystem(), folder.Path("dir/new.json"))->Reason(),
                  "Permission denied");
    }
}

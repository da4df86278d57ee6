// Where lock files live.
#include "platform/crt/LockPlace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the scope, then puts back what was there.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        Set(value);
    }
    ~ScopedVariable() { Set(m_old); }

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(m_name, value->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(LockPlace, LocksLiveInTheRuntimeOrStateFolderNeverBesideTheFile) {
    ScratchFolder folder;
    const fs::path runtime = folder.Dir() / "run";
    fs::create_directory(runtime);
    const std::string file = folder.Path("registry.reg");
    {
        const ScopedVariable run("XDG_RUNTIME_DIR", runtime.string());
        const std::string lock = platform::crt::LockFilePath(file);
        EXPECT_EQ(fs::path(lock).parent_path(), runtime / "qma7");
        EXPECT_EQ(fs::path(lock).filename().string().rfind("registry.reg-", 0), 0u) << lock;
        EXPECT_EQ((fs::status(runtime / "qma7").permissions() & fs::perms::all),
                  fs::perms::owner_all);
        // The same file by another spelling has the same lock; another file has another.
        EXPECT_EQ(platform::crt::LockFilePath(folder.Path("run/../registry.reg")), lock);
        EXPECT_NE(platform::crt::LockFilePath(folder.Path("other/registry.reg")), lock);
    }
    {
        const ScopedVariable run("XDG_RUNTIME_DIR", std::nullopt);
        const ScopedVariable state("XDG_STATE_HOME", (folder.Dir() / "state").string());
        EXPECT_EQ(fs::path(platform::crt::LockFilePath(file)).parent_path(),
                  folder.Dir() / "state" / "qma7" / "locks");
    }
    {
        const ScopedVariable run("XDG_RUNTIME_DIR", "relative");
        const ScopedVariable state("XDG_STATE_HOME", std::nullopt);
        const ScopedVariable home("HOME", std::nullopt);
        EXPECT_EQ(platform::crt::LockFilePath(file), file + ".lock");
    }
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"run", "state"}));
}

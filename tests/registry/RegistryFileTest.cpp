#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/crt/LockPlace.h"
#include "platform/registry/Registry.h"
#include "tests/registry/TempRegistry.h"
#include "tests/support/FaultyFileSystem.h"

using RegistryFileStore = TempRegistry;
using Step = FaultyFileSystem::Step;

TEST_F(RegistryFileStore, AFailedSaveLeavesTheOldFileExactlyAsItWas) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "Old", "value"), ERROR_SUCCESS);
    const std::string before = FileText();
    RegistrySetLockWait(60, 1000, [](const std::string&) {});
    for (const Step step :
         {Step::MakeFolder, Step::OpenLockFile, Step::Lock, Step::Read, Step::CreateTemporary,
          Step::Write, Step::Flush, Step::Close, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        FaultyFileSystem faults(platform::crt::RealFileSystem());
        faults.FailAt(step, 1, true);
        platform::crt::SetCurrentFileSystem(&faults);
        EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "New", "value"), ERROR_REGISTRY_IO_FAILED);
        platform::crt::SetCurrentFileSystem(nullptr);
        EXPECT_FALSE(RegistryLastError().empty());
        EXPECT_EQ(FileText(), before);
        EXPECT_EQ(m_folder.Entries(), (std::vector<std::string>{"registry.reg"}));
    }
    // The registry's own reason, with the step that failed.
    FaultyFileSystem faults(platform::crt::RealFileSystem());
    faults.FailAt(Step::Write);
    platform::crt::SetCurrentFileSystem(&faults);
    EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "New", "value"), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegistryLastError(),
              "cannot save registry file " + m_file + ": No space left on device");
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(DefaultOf("Old"), "value");
    EXPECT_EQ(DefaultOf("New"), "<error 2>");
}

TEST_F(RegistryFileStore, SavesGoThroughLinksAndNeverThroughAPlantedTemporaryName) {
    const std::string real = m_folder.Path("real.reg");
    std::filesystem::create_symlink("real.reg", m_file);
    ASSERT_EQ(::chmod(m_folder.Dir().c_str(), 0755), 0);
    // The name the registry once used for its temporary file, planted as a link to a victim.
    WriteFile(m_folder.Path("victim"), "keep");
    std::filesystem::create_symlink("victim", m_file + ".tmp");
    std::filesystem::create_symlink("victim", real + ".tmp");

    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "A", "1"), ERROR_SUCCESS);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "B", "2"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(m_file));
    EXPECT_NE(ReadFile(real).find("[HKEY_CLASSES_ROOT\\B]"), std::string::npos);
    EXPECT_EQ(ReadFile(m_folder.Path("victim")), "keep");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(RegistryFileStore, SomethingOtherThanAFileIsRefusedAtOnce) {
    std::filesystem::create_directory(m_file);
    EXPECT_EQ(DefaultOf("A"), "<error 1016>");
    EXPECT_EQ(RegistryLastError(), m_file + ": not a regular file");
    EXPECT_EQ(m_folder.Entries(), std::vector<std::string>{"registry.reg"});  // no lock beside it
    std::filesystem::remove(m_file);
    ASSERT_EQ(::mkfifo(m_file.c_str(), 0600), 0);  // would block a reader without a writer
    EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "A", "x"), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegistryLastError(), m_file + ": not a regular file");
    RegistrySetFile("/dev/zero");
    EXPECT_EQ(DefaultOf("A"), "<error 1016>");
    EXPECT_EQ(RegistryLastError(), "/dev/zero: not a regular file");
}

TEST_F(RegistryFileStore, TheFileIsReadAgainOnlyWhenItChanged) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "A", "saved"), ERROR_SUCCESS);
    FaultyFileSystem faults(platform::crt::RealFileSystem());
    platform::crt::SetCurrentFileSystem(&faults);
    EXPECT_EQ(DefaultOf("A"), "saved");
    const int reads = faults.Calls(Step::Read);
    // Once the file has settled, queries do not read it.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(DefaultOf("A"), "saved");
    const int settled = faults.Calls(Step::Read);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(DefaultOf("A"), "saved");
    }
    EXPECT_EQ(faults.Calls(Step::Read), settled);
    EXPECT_GE(settled, reads);

    // Another writer: a new file renamed into place, or the same file rewritten.
    WriteFile(m_folder.Path("other"),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CLASSES_ROOT\\A]\n@=\"renamed\"\n");
    std::filesystem::rename(m_folder.Path("other"), m_file);
    EXPECT_EQ(DefaultOf("A"), "renamed");
    WriteFileText("Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\A]\n@=\"edited\"\n");
    EXPECT_EQ(DefaultOf("A"), "edited");
    std::filesystem::remove(m_file);
    EXPECT_EQ(DefaultOf("A"), "<error 2>");
}

TEST_F(RegistryFileStore, ALockHeldElsewhereIsWaitedForABoundedTime) {
    std::vector<std::string> notices;
    RegistrySetLockWait(300, 100, [&](const std::string& text) { notices.push_back(text); });
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "A", "1"), ERROR_SUCCESS);
    const std::string lock = platform::crt::LockFilePath(m_file);
    const int holder = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "B", "2"), ERROR_REGISTRY_IO_FAILED);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(3));
    EXPECT_EQ(RegistryLastError(),
              "cannot lock registry file " + lock + ": another process has held it for 300 ms");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "waiting for the registry file " + m_file +
                              ": another process holds its lock " + lock);
    // What was read before the lock was taken is still good: the file has not changed.
    EXPECT_EQ(DefaultOf("A"), "1");

    // Released while waiting: the change goes through.
    ::flock(holder, LOCK_UN);
    EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "B", "2"), ERROR_SUCCESS);
    ::close(holder);
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(RegistryFileStore, AMalformedFileIsAnErrorAndIsNeverOverwritten) {
    EXPECT_EQ(DefaultOf("Anything"), "<error 2>");  // no file: an empty registry
    EXPECT_FALSE(std::filesystem::exists(m_file));

    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "line 1: the file must start with"},
        {"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\A]\n", "line 1:"},
        {header + "@=\"x\"\n", "line 3: a value before the first section"},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n", "line 3: only keys under HKEY_CLASSES_ROOT"},
        {header + "[HKEY_CLASSES_ROOT\\A\\\\B]\n", "line 3: empty key name"},
        {header + "[HKEY_CLASSES_ROOT\\A\n", "line 3: a section line must end with ']'"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n@=\"a\\n\"\n", "line 4: unknown escape"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n@=\"open\n", "line 4: string without closing quote"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n\"n\"=dword:123456789\n", "line 4: a dword needs"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n\"n\"=hex:01,02\n", "line 4: unsupported value"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n@=\"x\" y\n", "line 4: unexpected text"},
        {header + "[HKEY_CLASSES_ROOT\\A]\n\"n\"\"x\"\n", "line 4: expected '='"},
        {header + "garbage\n", "line 3: expected a [key] section or a value"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.text);
        WriteFileText(bad.text);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "A", &key), ERROR_BADDB);
        const std::string message = RegistryLastError();
        EXPECT_NE(message.find("malformed registry file " + m_file + ": " + bad.message),
                  std::string::npos)
            << message;
        EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "A", "x"), ERROR_BADDB);
        EXPECT_EQ(FileText(), bad.text);
    }
}

TEST_F(RegistryFileStore, TwoProcessesRegisteringAtOnceKeepEachOthersKeys) {
    constexpr int kKeysEach = 25;
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        ASSERT_NE(children[writer], -1);
        if (children[writer] == 0) {
            int failures = 0;
            for (int i = 0; i < kKeysEach; ++i) {
                const std::string key =
                    "Writer" + std::to_string(writer) + "\\Key" + std::to_string(i);
                failures += RegSetValue(HKEY_CLASSES_ROOT, key.c_str(), "v") != ERROR_SUCCESS;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kKeysEach; ++i) {
            const std::string key = "Writer" + std::to_string(writer) + "\\Key" + std::to_string(i);
            EXPECT_EQ(DefaultOf(key.c_str()), "v") << key;
        }
    }
}

TEST(RegistryLocation, OverrideThenVariableThenConfigFolder) {
    // Sets a variable for the test's time (nullptr unsets it) and puts the old value back.
    struct Variable {
        Variable(const char* name, const char* value) : name(name) {
            if (const char* old = std::getenv(name)) {
                saved = old;
            }
            Set(value);
        }
        ~Variable() { Set(saved ? saved->c_str() : nullptr); }
        void Set(const char* value) const {
            value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
        }
        const char* name;
        std::optional<std::string> saved;
    };
    Variable registry("QMA7_REGISTRY", "/r/env.reg");
    Variable config("XDG_CONFIG_HOME", "/x");
    const Variable home("HOME", "/h");
    RegistrySetFile("/r/option.reg");
    EXPECT_EQ(RegistryFile(), "/r/option.reg");
    RegistrySetFile("");
    EXPECT_EQ(RegistryFile(), "/r/env.reg");
    registry.Set(nullptr);
    EXPECT_EQ(RegistryFile(), "/x/qma7/registry.reg");
    config.Set("");
    EXPECT_EQ(RegistryFile(), "/h/.config/qma7/registry.reg");
}

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/registry/FileOps.h"
#include "platform/registry/Registry.h"
#include "tests/registry/TempRegistry.h"

using platform::registry::FileOps;
using RegistryFileStore = TempRegistry;

namespace {

enum class Step { LockOpen, Flock, Read, TempOpen, Write, Fsync, Close, Rename };

// Fails one step of the registry's file handling, or writes in short pieces.
class FaultyOps : public FileOps {
  public:
    std::optional<Step> failing;
    bool shortWrites = false;

    int Open(const std::string& path, int flags, mode_t mode) override {
        const bool temporary = path.ends_with(".tmp");
        if ((failing == Step::TempOpen && temporary) ||
            (failing == Step::LockOpen && path.ends_with(".lock"))) {
            errno = EACCES;
            return -1;
        }
        const int fd = FileOps::Open(path, flags, mode);
        if (temporary) {
            m_temporary = fd;
        }
        return fd;
    }
    ssize_t Read(int fd, void* buffer, std::size_t size) override {
        return failing == Step::Read ? Fail(EIO) : FileOps::Read(fd, buffer, size);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        if (failing == Step::Write) {
            return Fail(ENOSPC);
        }
        return FileOps::Write(fd, data, shortWrites ? std::min<std::size_t>(size, 7) : size);
    }
    int Fsync(int fd) override { return failing == Step::Fsync ? Fail(EIO) : FileOps::Fsync(fd); }
    int Close(int fd) override {
        const int result = FileOps::Close(fd);
        return failing == Step::Close && fd == m_temporary ? Fail(EIO) : result;
    }
    int Flock(int fd, int operation) override {
        return failing == Step::Flock ? Fail(ENOLCK) : FileOps::Flock(fd, operation);
    }
    int Rename(const std::string& from, const std::string& to) override {
        return failing == Step::Rename ? Fail(EXDEV) : FileOps::Rename(from, to);
    }

  private:
    static int Fail(int error) {
        errno = error;
        return -1;
    }
    int m_temporary = -1;
};

}  // namespace

TEST_F(RegistryFileStore, AFailedSaveLeavesTheOldFileExactlyAsItWas) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "Old", "value"), ERROR_SUCCESS);
    const std::string before = FileText();
    FaultyOps ops;
    RegistrySetFileOps(&ops);
    for (const Step step : {Step::LockOpen, Step::Flock, Step::Read, Step::TempOpen, Step::Write,
                            Step::Fsync, Step::Close, Step::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        ops.failing = step;
        EXPECT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "New", "value"), ERROR_REGISTRY_IO_FAILED);
        EXPECT_NE(RegistryLastError().find(m_file), std::string::npos) << RegistryLastError();
        EXPECT_EQ(FileText(), before);
        EXPECT_FALSE(std::filesystem::exists(m_file + ".tmp"));
    }
    ops.failing = std::nullopt;
    ops.shortWrites = true;
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "New", "value"), ERROR_SUCCESS);
    RegistrySetFileOps(nullptr);
    EXPECT_EQ(DefaultOf("New"), "value");
    EXPECT_EQ(DefaultOf("Old"), "value");
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

#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/registry/TempRegistry.h"
#include "tests/support/BoundedRun.h"

using RegistryApi = TempRegistry;

namespace {

std::vector<std::string> SubkeysOf(HKEY key) {
    std::vector<std::string> names;
    char name[64];
    for (DWORD i = 0; RegEnumKey(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        names.emplace_back(name);
    }
    return names;
}

}  // namespace

// The file's format is the registration's golden file and the hand-written file below.
TEST_F(RegistryApi, ValuesReadBackWithTheirTypeAndSize) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", &key), ERROR_SUCCESS);
    const char model[] = "Apartment";
    ASSERT_EQ(RegSetValueEx(key, "Threading\"Model", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(model), sizeof model),
              ERROR_SUCCESS);
    const DWORD status = 0x0001ab2f;
    ASSERT_EQ(RegSetValueEx(key, "MiscStatus", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&status),
                            sizeof status),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(FileText().find("\"MiscStatus\"=dword:0001ab2f\n"), std::string::npos);

    ASSERT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "clsid\\{1}\\inprocserver32", &key), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegQueryValueEx(key, "miscstatus", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, status);
    char text[32];
    size = sizeof text;
    EXPECT_EQ(RegQueryValueEx(key, "Threading\"Model", nullptr, &type,
                              reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof model);
    EXPECT_STREQ(text, model);
    RegCloseKey(key);
}

TEST_F(RegistryApi, HandWrittenFileIsReadAndRewrittenInKeyOrder) {
    WriteFileText(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CLASSES_ROOT\\b.key]\r\n"
        "@=\"dot\"\r\n"
        "[hkey_classes_root\\B\\Child]\r\n"
        "\"Z\" = dword:1F\r\n"
        "\"a\"=\"first \\\\ \\\"q\\\"\"\r\n");
    EXPECT_EQ(DefaultOf("B.KEY"), "dot");
    EXPECT_EQ(DefaultOf("b"), "");  // implied by its child, no default value
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "b\\child", "set"), ERROR_SUCCESS);
    EXPECT_EQ(FileText(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\B]\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\B\\Child]\n"
              "@=\"set\"\n"
              "\"a\"=\"first \\\\ \\\"q\\\"\"\n"
              "\"Z\"=dword:0000001f\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\b.key]\n"
              "@=\"dot\"\n"
              "\n");
}

TEST_F(RegistryApi, KeysAreCreatedOpenedQueriedAndDeletedAsOnWindows) {
    HKEY node = nullptr;
    EXPECT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "CLSID\\{X}\\Node", &node), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "CLSID\\{X}\\Node", &node), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValue(node, "ProgramID", REG_SZ, "90 51 4D", 8), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValue(node, "TestID", "%1"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValue(node, "TestID", "%2"), ERROR_SUCCESS);  // overwrites
    EXPECT_EQ(DefaultOf("CLSID\\{X}\\Node\\TestID"), "%2");

    // Lookup ignores case; names keep the spelling they were created with.
    HKEY same = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "clsid\\{x}\\NODE", &same), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValue(same, "programid\\Extra", "e"), ERROR_SUCCESS);
    EXPECT_EQ(SubkeysOf(node), (std::vector<std::string>{"ProgramID", "TestID"}));
    EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(same), ERROR_INVALID_HANDLE);

    // Buffers: size only, too small, exact.
    LONG size = 0;
    EXPECT_EQ(RegQueryValue(node, "ProgramID", nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9);
    char small[4] = "abc";
    size = sizeof small;
    EXPECT_EQ(RegQueryValue(node, "ProgramID", small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9);
    EXPECT_STREQ(small, "abc");
    char name[16];
    EXPECT_EQ(RegEnumKey(node, 0, name, 9), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKey(node, 1, name, 7), ERROR_SUCCESS);
    EXPECT_STREQ(name, "TestID");
    EXPECT_EQ(RegEnumKey(node, 2, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegQueryValueEx(node, "Missing", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    // A key with subkeys stays; leaves go first, then the key itself.
    EXPECT_EQ(RegDeleteKey(node, "ProgramID"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(DefaultOf("CLSID\\{X}\\Node\\ProgramID"), "90 51 4D");
    EXPECT_EQ(RegDeleteKey(node, "ProgramID\\Extra"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(node, "ProgramID"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(node, "ProgramID"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(node, "TestID"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{X}\\Node"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValue(node, "TestID", "%1"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(node), ERROR_SUCCESS);
    EXPECT_EQ(DefaultOf("CLSID\\{X}"), "");
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);

    // Values come and go by name; the default value is the nameless one.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "K", &key), ERROR_SUCCESS);
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueEx(key, "", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(DefaultOf("K"), "<error 13>");  // not a string
    EXPECT_EQ(RegDeleteValue(key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(DefaultOf("K"), "");

    // What the text file cannot hold is refused.
    EXPECT_EQ(RegSetValueEx(key, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 2),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(key, "n", 0, 3, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValue(key, "", "two\nlines"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(key, "a\\\\b", &same), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(key, "\\a", &same), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKey(reinterpret_cast<HKEY>(std::uintptr_t{12345}), "a", &same),
              ERROR_INVALID_HANDLE);
    RegCloseKey(key);
}

TEST_F(RegistryApi, KeyNamesAndNestingHaveTheWindowsLimits) {
    const auto path = [](std::size_t levels, const std::string& name) {
        std::string text = name;
        for (std::size_t k = 1; k < levels; ++k) {
            text += "\\" + name;
        }
        return text;
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, path(512, "k").c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKey(key, "one-more", &key), ERROR_INVALID_PARAMETER);  // level 513
    EXPECT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, path(513, "k").c_str(), &key),
              ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, std::string(255, 'n').c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, std::string(256, 'n').c_str(), &key),
              ERROR_INVALID_PARAMETER);

    // A file with a key path of 20,000 levels is refused, quickly and in little memory, and
    // left as it is.
    const std::string deep = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\" +
                             path(20000, "a") + "]\n@=\"x\"\n";
    WriteFileText(deep);
    const BoundedResult run = RunBounded(
        [&] {
            HKEY opened = nullptr;
            return RegOpenKey(HKEY_CLASSES_ROOT, "a", &opened) == ERROR_BADDB &&
                   RegistryLastError().find("line 3: keys nested more than 512 levels deep") !=
                       std::string::npos &&
                   RegSetValue(HKEY_CLASSES_ROOT, "b", "y") == ERROR_BADDB;
        },
        std::chrono::seconds(2));
    EXPECT_TRUE(run.succeeded) << run.Text();
    EXPECT_LT(run.peakKilobytes, 256 * 1024) << run.Text();
    EXPECT_EQ(FileText(), deep);
    WriteFileText("Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\" +
                  std::string(256, 'n') + "]\n");
    EXPECT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, "a", &key), ERROR_BADDB);
    EXPECT_NE(RegistryLastError().find("a key name of 256 characters, more than 255"),
              std::string::npos)
        << RegistryLastError();
}

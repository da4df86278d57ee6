#include <gtest/gtest.h>

#include <string>

#include "host/app/PluginModule.h"
#include "platform/registry/Registry.h"
#include "tests/registry/TempRegistry.h"
#include "tests/support/Files.h"
#include "tests/support/RegistryFaults.h"

namespace {

constexpr const char* kClsidKey = "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}";
constexpr const char* kProgramIdKey =
    "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\ProgramID";
constexpr const char* kTestIdKey = "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\TestID";

// Entries of other programs, which registering and unregistering must leave alone.
constexpr const char* kOthers =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID]\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}]\n"
    "@=\"Other Control\"\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\Node]\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\Node\\ProgramID]\n"
    "@=\"80 00 00 00 00 00 00 01\"\n\n"
    "[HKEY_CLASSES_ROOT\\Interface]\n\n"
    "[HKEY_CLASSES_ROOT\\Interface\\{11111111-2222-3333-4444-555555555556}]\n"
    "@=\"_DOther\"\n\n"
    "[HKEY_CLASSES_ROOT\\Interface\\{11111111-2222-3333-4444-555555555556}\\TypeLib]\n"
    "@=\"{11111111-2222-3333-4444-555555555557}\"\n"
    "\"Version\"=\"1.0\"\n\n"
    "[HKEY_CLASSES_ROOT\\TypeLib]\n\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{11111111-2222-3333-4444-555555555557}]\n\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{11111111-2222-3333-4444-555555555557}\\1.0]\n"
    "@=\"Other library\"\n\n";

// The registry of a freshly registered plug-in, its module at the build's folder.
std::string RegisteredText() {
    std::string text = ReadFile(QMA7_TEST_DATA_DIR "/registered-plugin.reg");
    const std::string placeholder = "@BIN@";
    for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;) {
        text.replace(at, placeholder.size(), QMA7_BIN_DIR);
    }
    return text;
}

}  // namespace

class Registration : public TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        std::string error;
        module = host::PluginModule::Load(QMA7_BIN_DIR "/QMA7.so", error);
        ASSERT_NE(module, nullptr) << error;
    }
    void TearDown() override {
        module.reset();
        TempRegistry::TearDown();
    }

    std::unique_ptr<host::PluginModule> module;
};

TEST_F(Registration, RegisteringTwiceWritesTheSameEntriesAndOverwritesTheNodeValues) {
    ASSERT_EQ(module->RegisterServer(), S_OK);
    const std::string registered = FileText();
    EXPECT_EQ(registered, RegisteredText());

    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, kProgramIdKey, "Generic Node"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, kTestIdKey, "changed"), ERROR_SUCCESS);
    ASSERT_EQ(module->RegisterServer(), S_OK);
    EXPECT_EQ(DefaultOf(kProgramIdKey), "90 51 4D 41 37 5F 31 6A");
    EXPECT_EQ(DefaultOf(kTestIdKey), "%1");
    EXPECT_EQ(FileText(), registered);
}

TEST_F(Registration, UnregisteringRemovesEveryKeyItAddedAndNothingElse) {
    WriteFileText(kOthers);
    ASSERT_EQ(module->RegisterServer(), S_OK);
    EXPECT_EQ(DefaultOf(kClsidKey), "QMA7 Control");
    EXPECT_EQ(DefaultOf("CLSID\\{11111111-2222-3333-4444-555555555555}"), "Other Control");
    EXPECT_EQ(module->UnregisterServer(), S_OK);
    EXPECT_EQ(FileText(), kOthers);
}

TEST_F(Registration, UnregisteringWithoutTheTypeLibraryFailsBeforeTheClassStep) {
    ASSERT_EQ(module->RegisterServer(), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKey(HKEY_CLASSES_ROOT, "TypeLib\\{76A875E3-EAF0-11D5-8DA4-00107A158EFD}\\1.0", &key),
        ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKey(key, "0\\win32"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKey(key, "0"), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string before = FileText();

    EXPECT_EQ(module->UnregisterServer(), SELFREG_E_TYPELIB);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(DefaultOf(kClsidKey), "QMA7 Control");
    EXPECT_EQ(DefaultOf(kProgramIdKey), "90 51 4D 41 37 5F 31 6A");

    // An empty registry: nothing registered at all.
    std::filesystem::remove(m_file);
    EXPECT_EQ(module->UnregisterServer(), SELFREG_E_TYPELIB);
}

TEST_F(Registration, FailuresOfEachStep) {
    // The Node entries are not examined: the first failed write ends them, the class is
    // registered all the same.
    FailSavesContaining nodeFault("Node\\ProgramID]");
    platform::crt::SetCurrentFileSystem(&nodeFault);
    EXPECT_EQ(module->RegisterServer(), S_OK);
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(nodeFault.failed, 1);
    EXPECT_EQ(DefaultOf(kProgramIdKey), "<error 2>");
    EXPECT_EQ(DefaultOf(kTestIdKey), "<error 2>");
    EXPECT_EQ(DefaultOf(kClsidKey), "QMA7 Control");
    EXPECT_EQ(DefaultOf("QMA7.QMA7Ctrl.1\\CLSID"), "{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");

    std::filesystem::remove(m_file);
    FailSavesContaining classFault("ThreadingModel");
    platform::crt::SetCurrentFileSystem(&classFault);
    EXPECT_EQ(module->RegisterServer(), SELFREG_E_CLASS);
    platform::crt::SetCurrentFileSystem(nullptr);
    // What the failed registration wrote can be removed.
    EXPECT_EQ(module->UnregisterServer(), S_OK);
    EXPECT_EQ(DefaultOf(kClsidKey), "<error 2>");

    std::filesystem::remove(m_file);
    FailSavesContaining libraryFault("HELPDIR");
    platform::crt::SetCurrentFileSystem(&libraryFault);
    EXPECT_EQ(module->RegisterServer(), SELFREG_E_TYPELIB);
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(DefaultOf(kClsidKey), "<error 2>");
}

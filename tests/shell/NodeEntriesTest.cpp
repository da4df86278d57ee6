#include "plugin/shell/NodeEntries.h"

#include <gtest/gtest.h>

#include "platform/registry/Registry.h"
#include "plugin/resources/TypeLibrary.h"
#include "tests/registry/TempRegistry.h"
#include "tests/support/RegistryFaults.h"

using NodeEntryTable = TempRegistry;

namespace {

constexpr NodeEntry kEntries[] = {{"ProgramID", "90 51"}, {"TestID", "%1"}, {nullptr, nullptr}};
constexpr const char* kProgramIdKey =
    "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\ProgramID";
constexpr const char* kTestIdKey = "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\TestID";

}  // namespace

TEST_F(NodeEntryTable, WithoutOverwriteOnlyMissingEntriesAreWritten) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, kProgramIdKey, "mine"), ERROR_SUCCESS);
    EXPECT_TRUE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, false));
    EXPECT_EQ(DefaultOf(kProgramIdKey), "mine");
    EXPECT_EQ(DefaultOf(kTestIdKey), "%1");

    EXPECT_TRUE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, true));
    EXPECT_EQ(DefaultOf(kProgramIdKey), "90 51");
}

TEST_F(NodeEntryTable, TheFirstFailedWriteEndsTheLoop) {
    FailSavesContaining faults("Node\\ProgramID]");
    RegistrySetFileOps(&faults);
    EXPECT_FALSE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, true));
    RegistrySetFileOps(nullptr);
    EXPECT_EQ(faults.failed, 1);
    EXPECT_EQ(DefaultOf(kProgramIdKey), "<error 2>");
    EXPECT_EQ(DefaultOf(kTestIdKey), "<error 2>");
    EXPECT_EQ(DefaultOf("CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node"), "");
}

TEST_F(NodeEntryTable, RemovingDeletesTheEntriesAndTheNodeKeyOnly) {
    ASSERT_TRUE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, true));
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}",
                          "QMA7 Control"),
              ERROR_SUCCESS);
    EXPECT_TRUE(RemoveNodeEntries(CLSID_QMA7Ctrl, kEntries));
    EXPECT_EQ(FileText(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CLASSES_ROOT\\CLSID]\n\n"
              "[HKEY_CLASSES_ROOT\\CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}]\n"
              "@=\"QMA7 Control\"\n\n");
    // Nothing there to remove is no failure, and leaves nothing behind.
    const std::string removed = FileText();
    EXPECT_TRUE(RemoveNodeEntries(CLSID_QMA7Ctrl, kEntries));
    EXPECT_EQ(FileText(), removed);
}

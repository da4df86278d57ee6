// Registration uses the table with overwrite; its tests cover the failed write that ends the
// loop. Here the other mode, where only missing entries are written, and the removal alone.
#include "plugin/shell/NodeEntries.h"

#include <gtest/gtest.h>

#include "platform/registry/Registry.h"
#include "plugin/resources/TypeLibrary.h"
#include "tests/registry/TempRegistry.h"

using NodeEntryTable = TempRegistry;

namespace {

constexpr NodeEntry kEntries[] = {{"ProgramID", "90 51"}, {"TestID", "%1"}, {nullptr, nullptr}};
constexpr const char* kProgramIdKey =
    "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\ProgramID";
constexpr const char* kTestIdKey = "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node\\TestID";

}  // namespace

TEST_F(NodeEntryTable, WithoutOverwriteOnlyMissingEntriesAreWrittenAndRemovalTakesTheNodeKey) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, kProgramIdKey, "mine"), ERROR_SUCCESS);
    EXPECT_TRUE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, false));
    EXPECT_EQ(DefaultOf(kProgramIdKey), "mine");
    EXPECT_EQ(DefaultOf(kTestIdKey), "%1");

    EXPECT_TRUE(WriteNodeEntries(CLSID_QMA7Ctrl, kEntries, true));
    EXPECT_EQ(DefaultOf(kProgramIdKey), "90 51");
    // Removing takes the Node key too, which unregistering the class would hide.
    EXPECT_TRUE(RemoveNodeEntries(CLSID_QMA7Ctrl, kEntries));
    EXPECT_EQ(DefaultOf("CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\Node"), "<error 2>");
}

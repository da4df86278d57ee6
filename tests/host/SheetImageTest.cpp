#include "host/app/SheetImage.h"

#include <gtest/gtest.h>

#include "host/node/NodeImage.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Files.h"

TEST(SheetImage, AFolderThatCannotTakeTheImageIsAnErrorBeforeTheSheetOpens) {
    ScratchFolder folder;
    const std::filesystem::path path = folder.Dir() / "state" / "qma7" / "node.json";
    std::string error;
    // The first run makes the folders and the image.
    auto first = host::OpenSheetImage(std::nullopt, path, false, error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->node.Name(), "AHU1");
    first.reset();  // gives up the lock
    const std::string saved = ReadFile(path);

    // Later runs: the image loads, but a save could not be made (a full or read-only folder).
    FaultyFileSystem faults(platform::crt::RealFileSystem());
    faults.FailAt(FaultyFileSystem::Step::CreateTemporary, 1, true);
    platform::crt::SetCurrentFileSystem(&faults);
    EXPECT_FALSE(host::OpenSheetImage(std::nullopt, path, false, error));
    EXPECT_EQ(error, path.string() + ": cannot save: Input/output error");
    EXPECT_FALSE(host::OpenSheetImage(path.string(), std::nullopt, true, error));
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(ReadFile(path), saved);
    EXPECT_TRUE(host::OpenSheetImage(std::nullopt, path, false, error)) << error;
}

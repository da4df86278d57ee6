#include "host/web/WebFileDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/app/WebCommand.h"

namespace host::web {
namespace {

namespace fs = std::filesystem;

class WebFileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("qma7-webfile-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "sub");
        Write("settings.txt", "old");
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(folder / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static FileDialogRequest Request(bool save) {
        FileDialogRequest request;
        request.save = save;
        request.defaultExtension = "txt";
        request.filter = "Settings (*.txt)|*.txt|All files (*.*)|*.*|";
        return request;
    }

    fs::path folder;
};

TEST_F(WebFileDialogTest, UploadsOnlyPlainNamesAndNeverReplacesAFileUnasked) {
    WebFileDialog dialog(Request(false), folder);
    for (const char* bad :
         {"", ".hidden", "..", "../escape.txt", "sub/x.txt", "a\nb.txt", "back\\slash.txt"}) {
        EXPECT_EQ(dialog.Store(bad, "x", false), WebFileDialog::Upload::BadName) << bad;
    }
    EXPECT_FALSE(fs::exists(folder.parent_path() / "escape.txt"));

    EXPECT_EQ(dialog.Store("settings.txt", "new", false), WebFileDialog::Upload::Exists);
    EXPECT_EQ(Read("settings.txt"), "old");
    EXPECT_EQ(dialog.Store("settings.txt", "new", true), WebFileDialog::Upload::Stored);
    EXPECT_EQ(Read("settings.txt"), "new");

    EXPECT_EQ(dialog.Store("fresh.txt", "abc", false), WebFileDialog::Upload::Stored);
    EXPECT_EQ(Read("fresh.txt"), "abc");
    EXPECT_EQ(dialog.Name(), "fresh.txt");
    bool listed = false;
    for (const auto& entry : dialog.Entries()) {
        listed = listed || entry.name == "fresh.txt";
    }
    EXPECT_TRUE(listed) << "the listing shows the upload";

    EXPECT_EQ(dialog.Store("big.txt", std::string(WebFileDialog::kMaxUpload + 1, 'x'), false),
              WebFileDialog::Upload::BadName);
    EXPECT_FALSE(fs::exists(folder / "big.txt"));
}

TEST_F(WebFileDialogTest, AnUploadDoesNotFollowALinkPlantedUnderItsName) {
    fs::create_symlink(folder / "settings.txt", folder / "link.txt");
    WebFileDialog dialog(Request(false), folder);
    EXPECT_NE(dialog.Store("link.txt", "new", true), WebFileDialog::Upload::Stored);
    EXPECT_EQ(Read("settings.txt"), "old");
}

TEST_F(WebFileDialogTest, AcceptsAnExistingFileToOpenAndAnyNameInAFolderToSave) {
    WebFileDialog open(Request(false), folder);
    EXPECT_EQ(open.Accept("missing"), std::nullopt);
    EXPECT_NE(open.Message().find("There is no file"), std::string::npos);
    EXPECT_EQ(open.Accept(" settings "), (folder / "settings.txt").string());

    WebFileDialog save(Request(true), folder);
    EXPECT_EQ(save.Accept("sub"), std::nullopt);  // a folder opens
    EXPECT_EQ(save.Folder(), folder / "sub");
    EXPECT_EQ(save.Accept("new"), (folder / "sub" / "new.txt").string());
    save.Open("..");
    EXPECT_EQ(save.Folder(), folder);
    EXPECT_EQ(save.Accept("nowhere/new.txt"), std::nullopt);
    EXPECT_NE(save.Message().find("There is no folder"), std::string::npos);
}

TEST(ListenAddress, TakesAnIpv4AddressAndAPort) {
    const auto local = ParseListenAddress("localhost:8080");
    ASSERT_TRUE(local);
    EXPECT_EQ(local->address, "127.0.0.1");
    EXPECT_EQ(local->port, 8080);
    const auto any = ParseListenAddress("0.0.0.0:0");
    ASSERT_TRUE(any);
    EXPECT_EQ(any->port, 0);
    for (const char* bad : {"", "8742", ":8742", "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:-1",
                            "127.0.0.1:80x", "example.org:80", "1.2.3:80"}) {
        EXPECT_FALSE(ParseListenAddress(bad)) << bad;
    }
}

}  // namespace
}  // namespace host::web

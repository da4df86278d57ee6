// Message boxes answered from the keyboard and the mouse; the file dialog walking folders,
// filtering and returning paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/tui/FileDialogView.h"
#include "host/tui/FileFilter.h"
#include "host/tui/MessageBoxView.h"
#include "tests/support/Files.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::Press;
using tuitest::Type;

namespace {

std::optional<int> Answer(unsigned flags, std::vector<InputEvent> events) {
    MessageBoxView box(MessageBoxRequest::FromFlags("Text", "Title", flags));
    CellGrid grid(80, 30);
    box.Render(grid, {0, 0, 80, 29}, Glyphs::Unicode());
    for (const InputEvent& event : events) {
        box.Handle(event);
    }
    return box.Answer();
}

}  // namespace

TEST(TuiMessageBox, EnterEscapeFirstLettersAndTheMouseAnswer) {
    EXPECT_EQ(Answer(MB_YESNOCANCEL, {Press(Key::Enter)}), IDYES);  // the first button
    EXPECT_EQ(Answer(MB_YESNOCANCEL, {Press(Key::Right), Press(Key::Enter)}), IDNO);
    EXPECT_EQ(Answer(MB_YESNOCANCEL, {Press(Key::BackTab), Type(U' ')}), IDCANCEL);
    EXPECT_EQ(Answer(MB_YESNOCANCEL, {Press(Key::Escape)}), IDCANCEL);
    EXPECT_EQ(Answer(MB_OK, {Press(Key::Escape)}), IDOK);
    EXPECT_EQ(Answer(MB_YESNO, {Press(Key::Escape)}), std::nullopt);  // a choice is needed
    EXPECT_EQ(Answer(MB_YESNO, {Type(U'N')}), IDNO);
    EXPECT_EQ(Answer(MB_RETRYCANCEL, {Type(U'r')}), IDRETRY);
    EXPECT_EQ(Answer(MB_OKCANCEL, {Type(U'x'), Press(Key::Left)}), std::nullopt);

    MessageBoxView box(MessageBoxRequest::FromFlags("Text", "Title", MB_OKCANCEL));
    CellGrid grid(80, 30);
    box.Render(grid, {0, 0, 80, 29}, Glyphs::Unicode());
    const auto cancel = tuitest::Find(grid, "Cancel");
    box.Handle(InputEvent::Click(cancel->x - 20, cancel->y - 2));
    EXPECT_EQ(box.Answer(), std::nullopt);
    box.Handle(InputEvent::Click(cancel->x, cancel->y));
    EXPECT_EQ(box.Answer(), IDCANCEL);
}

class TuiFileDialog : public ::testing::Test {
  protected:
    TuiFileDialog() {
        std::filesystem::create_directories(folder / "sub");
        for (const char* name : {"b.TXT", "a.txt", "c.csv", ".hidden.txt", "sub/inner.txt"}) {
            WriteFile(folder / name, "x");
        }
    }

    static FileDialogRequest Request(bool save, const std::string& name = "") {
        FileDialogRequest request;
        request.save = save;
        request.initialName = name;
        request.defaultExtension = "*.txt";
        request.filter = "Settings (*.txt)|*.txt|All files (*.*)|*.*|";
        return request;
    }
    static std::vector<std::string> Names(const FileDialogView& view) {
        std::vector<std::string> names;
        for (const auto& entry : view.Entries()) {
            names.push_back(entry.name + (entry.folder ? "/" : ""));
        }
        return names;
    }
    static void TypeText(FileDialogView& view, const std::string& text) {
        for (const char c : text) {
            view.Handle(Type(static_cast<char32_t>(c)));
        }
    }

    ScratchFolder scratch;
    const std::filesystem::path& folder = scratch.Dir();
};

TEST_F(TuiFileDialog, ListsFoldersAndTheFilesTheFilterEntryMatches) {
    FileDialogView view(Request(false), folder);
    EXPECT_EQ(Names(view), (std::vector<std::string>{"../", "sub/", "a.txt", "b.TXT"}));
    // The filter entry: Tab from the name field, then Space selects the next entry.
    view.Handle(Press(Key::Tab));
    view.Handle(Type(U' '));
    EXPECT_EQ(Names(view), (std::vector<std::string>{"../", "sub/", "a.txt", "b.TXT", "c.csv"}));
    CellGrid grid(80, 30);
    view.Render(grid, {0, 0, 80, 29}, Glyphs::Ascii());
    EXPECT_TRUE(tuitest::Find(grid, "< All files (*.*) >"));
    EXPECT_TRUE(tuitest::Find(grid, "sub/"));
}

TEST_F(TuiFileDialog, WalksFoldersAndOpensAFileFromTheList) {
    FileDialogView view(Request(false), folder);
    view.Handle(Press(Key::BackTab));  // the list
    view.Handle(Press(Key::Down));     // sub/
    view.Handle(Press(Key::Enter));
    EXPECT_EQ(view.Folder(), folder / "sub");
    EXPECT_EQ(Names(view), (std::vector<std::string>{"../", "inner.txt"}));
    view.Handle(Press(Key::Backspace));
    EXPECT_EQ(view.Folder(), folder);
    view.Handle(Press(Key::End));  // b.TXT: a file's name goes to the name field
    EXPECT_EQ(view.Name(), "b.TXT");
    view.Handle(Press(Key::Enter));
    ASSERT_TRUE(view.Done());
    EXPECT_EQ(view.Result(), (folder / "b.TXT").string());
}

TEST_F(TuiFileDialog, ATypedNameGetsTheDefaultExtensionAndMustExistToBeOpened) {
    FileDialogView open(Request(false), folder);
    TypeText(open, "missing");
    open.Handle(Press(Key::Enter));
    EXPECT_FALSE(open.Done());
    EXPECT_NE(open.Message().find("missing.txt"), std::string::npos);
    open.Handle(Press(Key::ClearField));
    TypeText(open, "sub/inner");
    open.Handle(Press(Key::Enter));
    EXPECT_EQ(open.Result(), (folder / "sub" / "inner.txt").string());

    // Saving: the dialog opens where the initial name points; a new name is fine.
    FileDialogView save(Request(true, (folder / "sub" / "old.txt").string()), "/");
    EXPECT_EQ(save.Folder(), folder / "sub");
    EXPECT_EQ(save.Name(), "old.txt");
    save.Handle(Press(Key::ClearField));
    TypeText(save, "new.cfg");
    save.Handle(Press(Key::Enter));
    EXPECT_EQ(save.Result(), (folder / "sub" / "new.cfg").string());

    FileDialogView cancelled(Request(true, "x"), folder);
    cancelled.Handle(Press(Key::Escape));
    EXPECT_TRUE(cancelled.Done());
    EXPECT_EQ(cancelled.Result(), std::nullopt);
}

TEST(TuiFileFilter, EntriesOfNamesAndPatternsOrAllFilesWithout) {
    const auto filters = FileFilter::Parse("Both|*.txt; *.CSV|||Any|*.*|");
    ASSERT_EQ(filters.size(), 2U);
    EXPECT_EQ(filters[0].Name(), "Both");
    EXPECT_TRUE(filters[0].Matches("a.csv"));
    EXPECT_TRUE(filters[0].Matches("B.TXT"));
    EXPECT_FALSE(filters[0].Matches("a.txt.bak"));
    EXPECT_TRUE(filters[1].Matches("README"));
    const auto none = FileFilter::Parse("");
    ASSERT_EQ(none.size(), 1U);
    EXPECT_EQ(none[0].Name(), "All files");
    EXPECT_TRUE(none[0].Matches("anything"));
}

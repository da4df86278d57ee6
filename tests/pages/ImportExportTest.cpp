// The Import / Export tab: export, import and factory defaults against the node's call log,
// the boxes shown and the files on disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Files.h"
#include "tests/support/SheetFixture.h"

using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

constexpr int kNodename = 439, kFilename = 428, kSave = 427, kRead = 430, kDefaults = 228,
              kPassword = 221;
const std::string kFilter = "\"*.txt\" \"Brimla NodeSettings (*.txt)|*.txt|All files (*.*)|*.*|\"";

class ImportExportTest : public SheetFixture {
  protected:
    void Show() {
        Open();
        SelectTab("Import / Export");
        Trace();
    }
    // "Save to file" on path, with the clock of the golden file.
    void Export(const std::string& path) {
        clock.SetLocal({2026, 12, 5, 9, 5, 7});
        ui.files.push_back(path);
        Click(kSave);
    }
    void Import(const std::string& path, std::initializer_list<int> answers) {
        Set(kPassword, "Talvik");
        ui.files.push_back(path);
        ui.answers.insert(ui.answers.end(), answers);
        Click(kRead);
    }
    // Every NV but the selector, and every part.
    std::vector<std::string> NodeState() const {
        std::vector<std::string> state;
        for (int nv = 0; nv < 42; ++nv) {
            state.push_back(Nv(nv));
        }
        for (int k = 1; k <= 12; ++k) {
            state.push_back(Part(k));
        }
        return state;
    }
    // A file dialog as the box log shows it; chosen "" for a cancelled one.
    static std::string Dialog(const std::string& kind, const std::string& initial,
                              const std::string& chosen) {
        return "filedialog " + kind + " \"" + initial + "\" " + kFilter + " -> " +
               (chosen.empty() ? "cancel" : "\"" + chosen + "\"");
    }
    static std::string Box(const std::string& title, const std::string& text,
                           const std::string& rest = "ok none -> OK") {
        return "box \"" + title + "\" \"" + text + "\" " + rest;
    }

    ScratchFolder folder;
    const std::string golden = ReadFile(QMA7_TEST_DATA_DIR "/factory-node.txt");
};

}  // namespace

TEST_F(ImportExportTest, FactoryNodeExportsTheGoldenFileAndImportsItBackUnchanged) {
    Show();
    const std::string path = folder.Path("node.txt");
    const std::string saveDialog = Dialog("save", Text(kFilename), path);
    Export(path);
    EXPECT_THAT(Boxes(), ElementsAre(saveDialog, Box("", "File written")));
    EXPECT_EQ(ReadFile(path), golden);
    EXPECT_EQ(Text(kFilename), path);
    EXPECT_EQ(Text(kSave), "Save to file");
    EXPECT_EQ(node.Selector(), 12);
    const std::vector<std::string> exported = Trace();
    EXPECT_EQ(exported.front(), "0 name 31 ok \"AHU1\"");
    EXPECT_THAT(exported,
                Contains("650 read 43 31 ok " + LongAt({{2, 0x15}, {4, 0x11}, {30, 0x02}})));

    const std::vector<std::string> before = NodeState();
    Import(path, {IDYES});
    EXPECT_THAT(Boxes(),
                ElementsAre(Dialog("open", path, path),
                            Box("Download", "Download from file to node?", "yesno none -> Yes"),
                            Box("Download status", "Download completed"),
                            Box("QMA7", "Please restart the plugin")));
    const std::vector<std::string> imported = Trace();
    ASSERT_EQ(imported.size(), 14u + 12u * 4u);
    EXPECT_EQ(imported[0], "7800 write 1 2 ok 36B0");
    // The first part: select it, write it, select none; 800 ms each.
    EXPECT_THAT(std::vector(imported.begin() + 14, imported.begin() + 18),
                ElementsAre("7800 read 42 31 ok 000C", "8000 write 42 2 ok 0001",
                            "8200 write 43 31 ok " + LongAt({{2, 0x15}, {4, 0x11}, {30, 0x02}}),
                            "8400 write 42 2 ok 0000"));
    EXPECT_EQ(imported.back(), "17200 write 42 2 ok 0000");
    EXPECT_EQ(NodeState(), before);
    EXPECT_EQ(node.Selector(), 0);
    EXPECT_EQ(Text(kPassword), "");
    EXPECT_EQ(Text(kRead), "Read from file");

    ui.answers.push_back(IDYES);  // overwrite
    Export(path);
    EXPECT_EQ(ReadFile(path), golden);
}

TEST_F(ImportExportTest, SilentNodeGivesHeaderLinesOnlyAndCountsEveryItem) {
    Show();
    std::vector<int> all(44);
    std::iota(all.begin(), all.end(), 0);
    node.Fail(host::SimNode::Failure::All, all);
    node.FailName();
    const std::string path = folder.Path("silent.txt");
    Export(path);
    EXPECT_EQ(Boxes().back(), Box("", "File Written. 26 NV read errors"));
    EXPECT_EQ(Text(kNodename), "");
    const std::string text = ReadFile(path);
    EXPECT_THAT(text,
                ::testing::HasSubstr("/ Nodename                                 \r\n- \r\n"));
    EXPECT_THAT(text, ::testing::EndsWith("Part 11 \r\n* nviPluginCnf     (34) - SNVT_str_int"
                                          "     ** Part 12 \r\n"));
    // Failed selections: NV 43 is never touched, the pause per part stays.
    const std::vector<std::string> calls = Trace();
    EXPECT_EQ(std::ranges::count_if(calls, [](auto& c) { return c.find(" 43 ") != c.npos; }), 0);
    EXPECT_EQ(calls.back(), "7350 write 42 2 fail 000C");
}

TEST_F(ImportExportTest, ExistingFileIsReplacedOnlyWhenConfirmedAndWhollyWritten) {
    Show();
    const std::string path = folder.Path("node.txt");
    WriteFile(path, "old");
    const std::string initial = Text(kFilename);
    ui.files.push_back(std::nullopt);
    Click(kSave);
    ui.answers.push_back(IDNO);
    Export(path);
    EXPECT_THAT(Boxes(),
                ElementsAre(Dialog("save", initial, ""), Dialog("save", initial, path),
                            Box("File exists!", "Overwrite existing file?", "yesno none -> No"),
                            Box("", "File not written")));
    EXPECT_THAT(Trace(), ElementsAre());
    EXPECT_EQ(Text(kSave), "Save to file");

    FaultyFileSystem faulty(platform::crt::RealFileSystem());
    platform::crt::SetCurrentFileSystem(&faulty);
    faulty.FailAt(FaultyFileSystem::Step::Write, 2);
    ui.answers.push_back(IDYES);
    Export(path);
    EXPECT_EQ(Boxes().back(), Box("", "Error writing file"));
    faulty.FailAt(FaultyFileSystem::Step::CreateTemporary);
    ui.answers.push_back(IDYES);
    Export(path);
    EXPECT_EQ(Boxes().back(), Box("", "Error opening file"));
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"node.txt"});
    EXPECT_EQ(Text(kSave), "Save to file");
}

TEST_F(ImportExportTest, ImportFollowsProgramIdsNumbersPartsAndCountsWhatWasNotWritten) {
    std::string file =
        "* nviPluginCnf x\n50\n"                               // before any program ID: ignored
        "- 11 22 33 44 55 66 77 88\n* nciMaxCool x\n50.000\n"  // declined
        "- 90 51 4D 41 37 5F 31 6A\r\n* nciMaxCool x\r\n20.000\r\n"
        "* nciDbHumidity x\n"  // no value line: the next header is read as itself
        "* nviPluginCnf x ** Part 7\n1, 2, 3\n";
    for (int k = 2; k <= 13; ++k) {
        file += "* nviPluginCnf x ** Part 1\n" + std::to_string(k) + "\n";
    }
    file += "- 11 22 33 44 55 66 77 88\n* nciDelayCoolOn x\n7\n* nciMaxHumidity x\n";
    const std::string path = folder.Path("hand.txt");
    WriteFile(path, file);
    Show();
    Import(path, {IDYES, IDNO, IDYES});
    const std::string question =
        Box("ProgramID does not match!",
            "ProgramID does not match!\\nDo you want to download anyway?", "yesno none -> ");
    EXPECT_THAT(Boxes(),
                ElementsAre(Dialog("open", Text(kFilename), path),
                            Box("Download", "Download from file to node?", "yesno none -> Yes"),
                            question + "No", question + "Yes",
                            Box("Download status", "Download not completed. 3 items not written"),
                            Box("QMA7", "Please restart the plugin")));
    EXPECT_EQ(Nv(14), "0FA0");
    EXPECT_EQ(Nv(4), "0320");
    EXPECT_EQ(Nv(27), "0007");
    EXPECT_EQ(Nv(5), "4268");
    EXPECT_EQ(Part(1), Long("01 0002"));
    for (int k = 2; k <= 12; ++k) {
        EXPECT_EQ(Part(k), LongAt({{0, k}})) << k;
    }
    const std::vector<std::string> calls = Trace();
    EXPECT_THAT(calls, Contains(::testing::EndsWith("write 42 2 ok 000D")));
    EXPECT_THAT(calls, Contains(::testing::EndsWith("write 43 31 fail " + LongAt({{0, 13}}))));
    EXPECT_EQ(calls.back(), "10400 write 27 2 ok 0007");
    EXPECT_EQ(node.Selector(), 0);

    // A failed selection writes nothing to NV 43 and still ends with part 0.
    WriteFile(path, "- 90 51 4D 41 37 5F 31 6A\n* nviPluginCnf x\n1\n");
    node.Fail(host::SimNode::Failure::Write, std::vector<int>{42});
    Import(path, {IDYES});
    EXPECT_EQ(Boxes().at(2), Box("Download status", "Download not completed. 1 items not written"));
    EXPECT_THAT(Trace(), ElementsAre("10400 read 42 31 ok 0000", "10600 write 42 2 fail 0001",
                                     "11000 write 42 2 fail 0000"));
}

TEST_F(ImportExportTest, PasswordAndCancelPaths) {
    const std::string path = folder.Path("node.txt");
    WriteFile(path, "- 90 51 4D 41 37 5F 31 6A\n* nciMaxCool x\n1\n");
    Show();
    const std::string initial = Text(kFilename);
    const std::string restart = Box("QMA7", "Please restart the plugin");

    Set(kPassword, "talvik");
    Click(kRead);
    EXPECT_THAT(Boxes(), ElementsAre(Box("Download status", "Wrong password!")));
    EXPECT_EQ(Text(kPassword), "talvik");

    Set(kPassword, "Talvik");
    ui.files.push_back(std::nullopt);
    Click(kRead);
    EXPECT_THAT(Boxes(), ElementsAre(Dialog("open", initial, ""), restart));
    EXPECT_EQ(Text(kPassword), "");

    Import(folder.Path("missing.txt"), {});
    EXPECT_THAT(Boxes(), ElementsAre(Dialog("open", initial, folder.Path("missing.txt")),
                                     Box("", "File not found!"), restart));

    Import(path, {IDNO});
    EXPECT_THAT(Boxes(),
                ElementsAre(Dialog("open", initial, path),
                            Box("Download", "Download from file to node?", "yesno none -> No"),
                            Box("Download status", "Download aborted"), restart));
    EXPECT_EQ(Text(kFilename), initial);

    Set(kPassword, "Talvik ");
    Click(kDefaults);
    EXPECT_THAT(Boxes(), ElementsAre(Box("QMA7", "Wrong password")));
    EXPECT_EQ(Text(kPassword), "");
    EXPECT_THAT(Trace(), ElementsAre());
    EXPECT_EQ(Text(kRead), "Read from file");
    EXPECT_EQ(Text(kDefaults), "Default settings");

    // A file that cannot be read to its end is no completed download.
    FaultyFileSystem faulty(platform::crt::RealFileSystem());
    platform::crt::SetCurrentFileSystem(&faulty);
    faulty.FailAt(FaultyFileSystem::Step::Read, 2);
    WriteFile(path,
              "- 90 51 4D 41 37 5F 31 6A\n" + std::string(5000, '\n') + "* nciMaxCool x\n1\n");
    Import(path, {IDYES});
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(Boxes().at(2), Box("Download status", "Download not completed"));
    EXPECT_EQ(Nv(14), "4E20");
}

TEST_F(ImportExportTest, DefaultSettingsWriteInOrderWithTheirPauses) {
    // The factory node holds the factory parts: clear them to see them written again.
    std::vector<std::string> factory;
    for (int k = 1; k <= 12; ++k) {
        factory.push_back(Part(k));
        SetPart(k, "");
    }
    std::vector<std::string> expected;
    char selector[8];
    for (int k = 1; k <= 12; ++k) {
        const int t = (k - 1) * 2650;  // 2000, 200, write, 200, 250
        std::snprintf(selector, sizeof selector, "%04X", k - 1);
        expected.push_back(std::to_string(t) + " read 42 31 ok " + selector);
        std::snprintf(selector, sizeof selector, "%04X", k);
        expected.push_back(std::to_string(t + 2200) + " write 42 2 ok " + selector);
        expected.push_back(std::to_string(t + 2650) + " write 43 31 ok " + factory[k - 1]);
    }
    // The factory node's items hold the factory values too.
    int t = 31800;
    for (const int nv : {1, 2, 3, 4, 5, 14, 20, 23, 24, 11, 13, 25, 26, 27}) {
        expected.push_back(std::to_string(t) + " write " + std::to_string(nv) + " " +
                           std::to_string(Nv(nv).size() / 2) + " ok " + Nv(nv));
        t += 250;
    }
    expected.push_back("35500 write 42 2 ok 0000");
    Show();
    Set(kPassword, "Talvik");
    Click(kDefaults);
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(Part(6), Long("00 0005 000A 0005 00A8 00A8 00A8 00A8 00A8 00A8"));
    EXPECT_THAT(Boxes(), ElementsAre(Box("QMA7", "Please restart the plugin")));
    EXPECT_EQ(clock.NowMs(), 35700);
    EXPECT_EQ(Text(kPassword), "");
    EXPECT_EQ(Text(kDefaults), "Default settings");

    // Failed writes and failed selections are counted; no part is written after a failed one.
    node.Fail(host::SimNode::Failure::Write, std::vector<int>{42, 5});
    Set(kPassword, "Talvik");
    Click(kDefaults);
    EXPECT_THAT(Boxes(), ElementsAre(Box("QMA7",
                                         "Default settings not completed. 13 items not "
                                         "written"),
                                     Box("QMA7", "Please restart the plugin")));
    EXPECT_THAT(Trace(), ::testing::Not(Contains(::testing::HasSubstr(" 43 "))));
}

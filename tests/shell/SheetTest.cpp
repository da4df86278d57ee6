// The settings sheet: which tabs it shows, the interfaces it takes and gives back, its buttons
// and the "Node not available!" box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com/NvInterfaces.h"
#include "plugin/shell/CSheet.h"
#include "tests/support/ExtraPage.h"
#include "tests/support/SheetFixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::vector<std::string> kAllTabs = {
    "Node information", "Import / Export", "Recirculation",  "Cooling",
    "Temperatures",     "Humidity sensor", "Secondary heat", "Settings humidity",
    "Dehumidifier",     "Humidifier",      "Delay cooling",  "Alarms",
    "Running Hours",    "PID humidifier",  "Exercise",       "Config HVAC"};
const std::vector<std::string> kTwoTabs = {"Node information", "Import / Export"};

class SheetTest : public SheetFixture {};

}  // namespace

TEST_F(SheetTest, PageSetFollowsTheWordInNv22) {
    struct Case {
        int byte21;
        int byte22;
        bool fail;
        const std::vector<std::string>& tabs;
    };
    const Case cases[] = {{0x00, 0x01, false, kAllTabs},
                          {0x00, 0x00, false, kTwoTabs},
                          {0xFF, 0xFF, false, kAllTabs},
                          {0x80, 0x00, false, kAllTabs},
                          {0x00, 0x01, true, kTwoTabs}};
    for (const Case& c : cases) {
        SetNv(22, LongAt({{21, c.byte21}, {22, c.byte22}, {23, 0xFF}}));
        if (c.fail) {
            const int nv22[] = {22};
            node.Fail(host::SimNode::Failure::Read, nv22);
        }
        Open();
        EXPECT_EQ(Tabs(), c.tabs) << c.byte21 << ' ' << c.byte22 << (c.fail ? " failing" : "");
        const auto calls = Trace();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front().substr(0, 13), "0 read 22 32 ");
        EXPECT_EQ(Sheet().GetActivePage()->GetCaption(), "Node information");
        EXPECT_THAT(Boxes(), IsEmpty());
        Close();
        node.HealAll();
    }
}

TEST_F(SheetTest, InterfacesAreTakenOnceAndGivenBackOnExit) {
    struct Case {
        bool read;
        bool write;
    };
    for (const Case c :
         {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        site.SetInterfaces(c.read, c.write);
        Open();
        EXPECT_EQ(site.Outstanding(IID_INvRead), c.read ? 1 : 0);
        EXPECT_EQ(site.Outstanding(IID_INvWrite), c.write ? 1 : 0);
        EXPECT_EQ(Tabs(), c.read ? kAllTabs : kTwoTabs);
        if (c.read || c.write) {
            EXPECT_THAT(Boxes(), IsEmpty());
        } else {
            EXPECT_THAT(Boxes(), ElementsAre("box \"Plugin\" \"Node not available!\" ok "
                                             "exclamation -> OK"));
            EXPECT_THAT(Trace(), IsEmpty());  // a missing interface never reaches the site
        }
        // Exit is the only button left.
        ASSERT_NE(Sheet().GetDlgItem(IDOK), nullptr);
        EXPECT_EQ(Sheet().GetDlgItem(IDOK)->GetWindowText(), "Exit");
        EXPECT_FALSE(Sheet().GetDlgItem(IDCANCEL)->IsWindowVisible());
        EXPECT_FALSE(Sheet().GetDlgItem(ID_APPLY_NOW)->IsWindowVisible());
        Close();
        EXPECT_EQ(site.Outstanding(IID_INvRead), 0);
        EXPECT_EQ(site.Outstanding(IID_INvWrite), 0);
        Trace();
    }
}

TEST_F(SheetTest, NodeInformationShowsTheNameReadOnceAtOpening) {
    node.SetName(std::string(60, 'x'));
    Open();
    EXPECT_EQ(Text(201), std::string(50, 'x'));  // cut to its buffer of 50
    EXPECT_EQ(Trace().back(), "0 name 50 ok \"" + std::string(50, 'x') + "\"");
    node.SetName("renamed");
    SelectTab("Import / Export");
    SelectTab("Node information");
    EXPECT_EQ(Text(201), std::string(50, 'x'));
    Close();

    node.FailName();
    Open();
    EXPECT_EQ(Text(201), "");
}

TEST_F(SheetTest, ImportExportOpensOnTheNodesFileName) {
    node.SetName("AHU/1");
    Open();
    SelectTab("Import / Export");
    EXPECT_EQ(Text(439), "AHU/1");
    const std::string file = Text(428);
    EXPECT_EQ(file.substr(file.rfind('/')), "/AHU_1.txt");
    EXPECT_EQ(file.front(), '/');
    EXPECT_TRUE(Enabled(427));
    Close();

    node.FailName();
    Open();
    SelectTab("Import / Export");
    EXPECT_FALSE(Enabled(427));  // no name: nothing to save under
}

TEST_F(SheetTest, ATabAddedToThePageTableAloneIsShownAfterTheOthers) {
    const ExtraPage extra;
    Open();
    std::vector<std::string> tabs = kAllTabs;
    tabs.emplace_back(ExtraPage::kCaption);
    EXPECT_EQ(Tabs(), tabs);
    Close();
}

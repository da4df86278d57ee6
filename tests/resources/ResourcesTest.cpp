#include "plugin/resources/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "plugin/shell/PageTable.h"

namespace {

const ControlTemplate* Control(const DialogTemplate& dialog, int id) {
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

std::vector<std::string> Texts(const DialogTemplate& dialog) {
    std::vector<std::string> texts;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == IDC_STATIC && control.kind != ControlKind::Icon) {
            texts.push_back(control.text);
        }
    }
    return texts;
}

bool Contains(const ControlTemplate& outer, const ControlTemplate& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

bool Disjoint(const ControlTemplate& a, const ControlTemplate& b) {
    return a.x + a.cx <= b.x || b.x + b.cx <= a.x || a.y + a.cy <= b.y || b.y + b.cy <= a.y;
}

std::vector<int> AllDialogIds() {
    std::vector<int> ids = {IDD_ABOUTBOX_QMA7};
    for (const PageEntry& page : PageTable()) {
        ids.push_back(page.id);
    }
    return ids;
}

}  // namespace

// The tab captions and the controls' texts are checked where they show: the settings sheet's
// tabs, the golden grids, the page tests. Here what holds for every template.
TEST(Resources, EveryPageIsFoundByItsIdAndNothingElse) {
    ASSERT_EQ(PageTable().size(), 16u);
    for (const int id : AllDialogIds()) {
        if (id == IDD_ABOUTBOX_QMA7) {
            continue;
        }
        const DialogTemplate* page = FindDialogResource(id);
        ASSERT_NE(page, nullptr) << id;
        EXPECT_EQ(page->id, id);
        EXPECT_EQ(page->cx, 300);
        EXPECT_EQ(page->cy, 200);
    }
    EXPECT_EQ(StringResource(IDS_QMA7), "QMA7 Control");
    for (const int missing : {0, 2, 199, 212, 217}) {
        EXPECT_EQ(FindDialogResource(missing), nullptr) << missing;
        EXPECT_TRUE(StringResource(missing).empty()) << missing;
    }
    EXPECT_DEATH(DialogResource(212), "no dialog template with id 212");
}

TEST(Resources, TemplatesAreWellFormed) {
    for (const int id : AllDialogIds()) {
        const DialogTemplate& dialog = DialogResource(id);
        SCOPED_TRACE(dialog.caption);
        std::set<int> seen;
        for (const ControlTemplate& control : dialog.controls) {
            SCOPED_TRACE(control.text + " " + std::to_string(control.id));
            if (control.id != IDC_STATIC) {
                EXPECT_TRUE(seen.insert(control.id).second) << "duplicate id";
            }
            EXPECT_GT(control.cx, 0);
            EXPECT_GT(control.cy, 0);
            EXPECT_GE(control.x, 0);
            EXPECT_GE(control.y, 0);
            EXPECT_LE(control.x + control.cx, dialog.cx);
            EXPECT_LE(control.y + control.cy, dialog.cy);
        }
        // Nothing overlaps, except that group boxes hold whole controls and other boxes.
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            for (std::size_t j = i + 1; j < dialog.controls.size(); ++j) {
                const ControlTemplate& a = dialog.controls[i];
                const ControlTemplate& b = dialog.controls[j];
                const bool nested = (a.kind == ControlKind::GroupBox && Contains(a, b)) ||
                                    (b.kind == ControlKind::GroupBox && Contains(b, a));
                EXPECT_TRUE(Disjoint(a, b) || nested) << a.text << " / " << b.text;
            }
        }
        // The shared buttons and the password field keep their kinds and captions.
        for (const auto& [id, text] : {std::pair{206, "Read"}, {207, "Write"}}) {
            if (const ControlTemplate* button = Control(dialog, id)) {
                EXPECT_EQ(button->kind, ControlKind::PushButton);
                EXPECT_EQ(button->text, text);
            }
        }
    }
    for (const int id : {IDD_PAGE_PID_HUMIDIFIER, IDD_PAGE_IMPORT_EXPORT, IDD_PAGE_CONFIG_HVAC}) {
        const ControlTemplate* password = Control(DialogResource(id), 221);
        ASSERT_NE(password, nullptr) << id;
        EXPECT_EQ(password->kind, ControlKind::Edit);
        EXPECT_TRUE(password->password);
    }
    EXPECT_EQ(Control(DialogResource(IDD_PAGE_SECONDARY_HEAT), 221)->kind,
              ControlKind::RadioButton);
}

TEST(Resources, TextsThatNoGoldenGridShows) {
    // A display field where other tabs have the password; a UTF-8 degree sign; two-line labels.
    EXPECT_TRUE(Control(DialogResource(IDD_PAGE_HUMIDITY_SENSOR), 221)->readOnly);
    EXPECT_FALSE(Control(DialogResource(IDD_PAGE_HUMIDITY_SENSOR), 221)->password);
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_TEMPERATURES))[2], "\u00B0C");
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_DEHUMIDIFIER))[5], "Setpt secondary\nheat");
    const std::vector<std::string> info = Texts(DialogResource(IDD_PAGE_NODE_INFORMATION));
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(std::count(info[1].begin(), info[1].end(), '\n'), 6);
    EXPECT_TRUE(info[2].ends_with("\nQMA7_1j plugin v1.01 (KT4)"));
    EXPECT_EQ(DialogResource(IDD_ABOUTBOX_QMA7).controls.front().image, IDI_ABOUTDLL);
}

#include "plugin/resources/Resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

const ControlTemplate* Control(const DialogTemplate& dialog, int id) {
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

std::vector<int> Ids(const DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const ControlTemplate& control : dialog.controls) {
        if (control.id != IDC_STATIC) {
            ids.push_back(control.id);
        }
    }
    return ids;
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
    ids.insert(ids.end(), kPageIds.begin(), kPageIds.end());
    return ids;
}

}  // namespace

TEST(Resources, EveryDialogAndCaptionExists) {
    const std::vector<std::string> captions = {
        "Recirculation",   "Cooling",        "Temperatures",
        "Humidity sensor", "Secondary heat", "Settings humidity",
        "Dehumidifier",    "Humidifier",     "Delay cooling",
        "Alarms",          "Running Hours",  "Node information",
        "PID humidifier",  "Exercise",       "Import / Export",
        "Config HVAC"};
    const std::vector<int> ids = {200, 201, 202, 203, 204, 205, 206, 207,
                                  208, 209, 210, 211, 213, 214, 215, 216};
    ASSERT_EQ(std::vector<int>(kPageIds.begin(), kPageIds.end()), ids);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const DialogTemplate* page = FindDialogResource(ids[i]);
        ASSERT_NE(page, nullptr) << ids[i];
        EXPECT_EQ(page->id, ids[i]);
        EXPECT_EQ(StringResource(ids[i]), captions[i]);
        EXPECT_EQ(page->caption, captions[i]);
        EXPECT_EQ(page->cx, 300);
        EXPECT_EQ(page->cy, 200);
    }
    EXPECT_EQ(StringResource(IDS_QMA7), "QMA7 Control");
    for (const int missing : {0, 2, 199, 212, 217}) {
        EXPECT_EQ(FindDialogResource(missing), nullptr) << missing;
        EXPECT_TRUE(StringResource(missing).empty()) << missing;
    }
    EXPECT_EQ(&DialogResource(IDD_PAGE_COOLING), FindDialogResource(IDD_PAGE_COOLING));
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
        if (const ControlTemplate* read = Control(dialog, 206); read) {
            EXPECT_EQ(read->kind, ControlKind::PushButton);
            EXPECT_EQ(read->text, "Read");
        }
        if (const ControlTemplate* write = Control(dialog, 207)) {
            EXPECT_EQ(write->kind, ControlKind::PushButton);
            EXPECT_EQ(write->text, "Write");
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

TEST(Resources, ControlsAreListedInTemplateOrder) {
    EXPECT_EQ(Ids(DialogResource(IDD_PAGE_RECIRCULATION)),
              (std::vector<int>{202, 260, 261, 266, 265, 262, 263, 264, 209, 206, 207}));
    EXPECT_EQ(Ids(DialogResource(IDD_PAGE_COOLING)),
              (std::vector<int>{267, 268, 269, 273, 274, 262, 263, 264, 270, 271, 272, 275, 327,
                                328, 207, 206}));
    EXPECT_EQ(Ids(DialogResource(IDD_PAGE_RUNNING_HOURS)),
              (std::vector<int>{210, 217, 242, 218, 249, 219, 248, 220, 245}));
    EXPECT_EQ(Ids(DialogResource(IDD_PAGE_IMPORT_EXPORT)),
              (std::vector<int>{439, 428, 429, 427, 430, 228, 221}));
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_SETTINGS_HUMIDITY)),
              (std::vector<std::string>{"Humidity", "Setpt dehumidifier", "%", "Setpt humidity",
                                        "%", "Setpt humidifier", "%", "DB humidity", "%",
                                        "Max air humidity injection", "%", "Actual ",
                                        "Air humidity injection (Bh2)", "%", "Status "}));
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_ALARMS)),
              (std::vector<std::string>{"Injection", "Refrigerating (Mc1)",
                                        "Thermo fault pump (Ff6)", "Fault humidifier (Ff8)",
                                        "Max injection humidity (Ff7)", "Exhaust"}));
}

TEST(Resources, ControlKindsAndTextsAsThePagesExpect) {
    const DialogTemplate& cooling = DialogResource(IDD_PAGE_COOLING);
    EXPECT_EQ(Control(cooling, 273)->kind, ControlKind::Edit);
    EXPECT_FALSE(Control(cooling, 273)->readOnly);
    EXPECT_TRUE(Control(cooling, 274)->readOnly);
    EXPECT_EQ(Control(cooling, 328)->text, "Water cooling");

    const DialogTemplate& humidity = DialogResource(IDD_PAGE_SETTINGS_HUMIDITY);
    EXPECT_EQ(Control(humidity, 283)->kind, ControlKind::CheckBox);
    EXPECT_EQ(Control(humidity, 283)->text, "Dehumidifier/Humidifier");
    EXPECT_EQ(Control(humidity, 211)->cx, 40);
    EXPECT_EQ(Control(humidity, 211)->cy, 14);

    const DialogTemplate& sensor = DialogResource(IDD_PAGE_HUMIDITY_SENSOR);
    EXPECT_FALSE(Control(sensor, 227)->readOnly);  // editable, though never read
    EXPECT_TRUE(Control(sensor, 221)->readOnly);   // a display field here, not a password
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_TEMPERATURES))[2],
              "\xC2\xB0"
              "C");

    const std::vector<std::string> dehumidifier = Texts(DialogResource(IDD_PAGE_DEHUMIDIFIER));
    EXPECT_EQ(dehumidifier[5], "Setpt secondary\nheat");
    EXPECT_EQ(Control(DialogResource(IDD_PAGE_HUMIDIFIER), 259)->text, "0 - 10 V");
    EXPECT_EQ(Control(DialogResource(IDD_PAGE_CONFIG_HVAC), 277)->text, "HVAC_NIGHT_PURGE");

    const std::vector<std::string> info = Texts(DialogResource(IDD_PAGE_NODE_INFORMATION));
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(std::count(info[1].begin(), info[1].end(), '\n'), 6);
    EXPECT_TRUE(info[2].ends_with("\nQMA7_1j plugin v1.01 (KT4)"));
    EXPECT_EQ(Texts(DialogResource(IDD_PAGE_IMPORT_EXPORT)).back().find('\n'), std::string::npos);

    const DialogTemplate& about = DialogResource(IDD_ABOUTBOX_QMA7);
    EXPECT_EQ(about.caption, "About QMA7 Control");
    EXPECT_EQ(about.cx, 260);
    EXPECT_EQ(about.cy, 55);
    EXPECT_EQ(about.controls.front().kind, ControlKind::Icon);
    EXPECT_EQ(about.controls.front().image, IDI_ABOUTDLL);
    EXPECT_EQ(Texts(about).front(), "QMA7 Control, Version 1.0");
    EXPECT_EQ(Control(about, 1)->kind, ControlKind::PushButton);
}

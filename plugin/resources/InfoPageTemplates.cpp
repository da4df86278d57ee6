// Templates of the pages that show states and information, and of the Import / Export page:
// Alarms, Running Hours, Node information and Import / Export. These pages have no given
// positions; they are laid out in the style of the others (labels left of their fields, group
// boxes around what belongs together), with the id controls in the order of their control
// tables.

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"

namespace {

// The maker's contact details are not known here; the node's documentation carries them.
constexpr char kMakerContact[] =
    "Brimla\n"
    "Building automation\n"
    "QMA7 air-handling controller\n"
    "Postal address, telephone,\n"
    "fax and web address: see\n"
    "the documentation delivered\n"
    "with the node.";
constexpr char kMakerAndVersion[] = "Brimla 2001\nQMA7_1j plugin v1.01 (KT4)";

constexpr char kFactoryNotice[] =
    "Please note: After setting the software values to factory settings, you must RESTART "
    "the plugin.";

}  // namespace

DialogTemplate AlarmsTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_ALARMS);
    dialog.controls = {
        Group("Injection", 12, 20, 152, 84), Label("Refrigerating (Mc1)", 20, 38, 100),
        DisplayField(280, 125, 35),          Label("Thermo fault pump (Ff6)", 20, 54, 100),
        DisplayField(281, 125, 51),          Label("Fault humidifier (Ff8)", 20, 70, 100),
        DisplayField(282, 125, 67),          Label("Max injection humidity (Ff7)", 20, 86, 100),
        DisplayField(212, 125, 83),          Group("Exhaust", 172, 20, 116, 84),
    };
    return dialog;
}

DialogTemplate RunningHoursTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_RUNNING_HOURS);
    dialog.controls = {
        Label("Ventilating", 20, 30, 130),
        DisplayField(210, 160, 27),
        Label("Circulation pump heating surface (Mp2)", 20, 50, 130),
        DisplayField(217, 160, 47),
        Button(242, kTextReset, 200, 46),
        Label("Compressor/pump cooling surface (Mc1)", 20, 70, 130),
        DisplayField(218, 160, 67),
        Button(249, kTextReset, 200, 66),
        Label("Humidifier (Mv3)", 20, 90, 130),
        DisplayField(219, 160, 87),
        Button(248, kTextReset, 200, 86),
        Label(kTextDehumidifier, 20, 110, 130),
        DisplayField(220, 160, 107),
        Button(245, kTextReset, 200, 106),
    };
    return dialog;
}

DialogTemplate NodeInformationTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_NODE_INFORMATION);
    dialog.controls = {
        Group("Nodename", 20, 20, 200, 36),
        DisplayField(201, 30, 35, 180),
        Label(kMakerContact, 10, 128, 120, 56),
        Label(kMakerAndVersion, 180, 168, 110, 16),
    };
    return dialog;
}

DialogTemplate ImportExportTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_IMPORT_EXPORT);
    dialog.controls = {
        Label("Nodename:", 15, 17, 40),
        DisplayField(439, 60, 15, 120),
        Label("Filename", 15, 37, 40),
        EditField(428, 60, 35, 170),
        Button(429, "Default", 236, 34),
        Button(427, kTextSaveToFile, 60, 56, 60),
        Button(430, kTextReadFromFile, 130, 56, 60),
        Button(228, kTextDefaultSettings, 20, 116, 70),
        Label(kTextPassword, 15, 80, 40),
        PasswordField(IDC_PASSWORD, 60, 78, 60),
        Group("Factory settings", 10, 100, 280, 60),
        Label(kFactoryNotice, 100, 114, 180, 32),
    };
    return dialog;
}

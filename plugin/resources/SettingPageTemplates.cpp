// Templates of the pages of further settings: Delay cooling, PID humidifier, Exercise and
// Config HVAC. Rows follow the pages' control tables; a label precedes its field and a unit
// label follows it. PID humidifier and Config HVAC have no given positions: they are laid out
// in the style of the other pages (labels left of 31 x 12 fields, Write above Read at the
// bottom right).

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"

DialogTemplate DelayCoolingTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_DELAY_COOLING);
    dialog.controls = {
        Group("Start cooling", 66, 19, 167, 99),
        Label("Start cool min open (Mv2)", 76, 36, 82),
        EditField(249, 176, 34),
        Unit(kTextPercent, 211, 36),
        Label("Stop cool min open (Mv2)", 75, 53, 82),
        EditField(248, 176, 51),
        Unit(kTextPercent, 211, 54),
        Group("Time before start", 69, 69, 159, 45),
        Label("Delay start", 81, 81, 34),
        EditField(246, 175, 79),
        Unit(kTextMinutes, 210, 81),
        Label("Actual delay", 81, 97, 40),
        DisplayField(247, 175, 95),
        Unit(kTextSeconds, 210, 97),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate PidHumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_PID_HUMIDIFIER);
    dialog.controls = {
        Group(kTextHumidifier, 66, 20, 123, 66),
        Label("P", 89, 37, 20),
        EditField(222, 119, 34),
        Label("I", 89, 53, 20),
        EditField(223, 119, 50),
        Label("D", 89, 69, 20),
        EditField(224, 119, 66),
        Label(kTextPassword, 70, 104, 40),
        PasswordField(IDC_PASSWORD, 119, 102),
        Button(IDC_READ, kTextRead, 243, 179),
        Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

DialogTemplate ExerciseTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_EXERCISE);
    dialog.controls = {
        Group(kTextCooling, 67, 23, 167, 49),
        Label("Time before pump (Mc1)", 78, 38, 82, 11),
        EditField(218, 172, 34),
        Unit(kTextHours, 207, 38),
        Label("Time before valve (Mv2)", 77, 55, 81, 11),
        EditField(337, 172, 50),
        Unit(kTextHours, 207, 53),
        Group(kTextSecondaryHeat, 67, 82, 167, 49),
        Label("Time before pump (Mp2)", 78, 97, 82, 11),
        EditField(217, 172, 93),
        Unit(kTextHours, 207, 97),
        Label("Time before valve (Mv4)", 77, 114, 81, 11),
        EditField(338, 172, 110),
        Unit(kTextHours, 207, 113),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate ConfigHvacTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_CONFIG_HVAC);
    dialog.controls = {
        Check(274, "HVAC_HEAT", 80, 34, 100),      Check(275, "HVAC_MRNG_WRMUP", 80, 48, 100),
        Check(276, "HVAC_COOL", 80, 62, 100),      Check(277, "HVAC_NIGHT_PURGE", 80, 76, 100),
        Check(280, "HVAC_FREE_COOL", 80, 90, 100), Group("Genv", 66, 20, 130, 86),
        Label(kTextPassword, 70, 124, 40),         PasswordField(IDC_PASSWORD, 119, 122),
        Button(IDC_READ, kTextRead, 243, 179),     Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

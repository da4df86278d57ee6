// Templates of the pages that operate outputs through a status group (Off / Manual /
// Automatic): Recirculation, Cooling, Secondary heat and Humidifier. Rows follow the pages'
// control tables; a unit label follows its field.

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"

DialogTemplate RecirculationTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_RECIRCULATION);
    dialog.controls = {
        Group("Status recirculation (Md4)", 23, 18, 112, 71),
        Radio(202, kTextOff, 29, 28, 25),
        Radio(260, kTextManual, 29, 38, 39),
        Radio(261, kTextAutomatic, 29, 48, 47),
        CentredLabel(kTextIn, 92, 26, 25),
        EditField(266, 89, 35),
        Unit(kTextPercent, 124, 38),
        CentredLabel(kTextOut, 91, 57, 25),
        DisplayField(265, 89, 67),
        Unit(kTextPercent, 123, 70),
        Group("Settings recirculation (Md4)", 23, 93, 112, 49),
        Radio(262, kTextRange0To10V, 34, 104, 37),
        Radio(263, kTextRange2To10V, 34, 114, 37),
        Check(264, kTextInvert, 34, 125, 34),
        Label("Min. fresh air", 155, 38, 46),
        EditField(209, 205, 35),
        Unit(kTextPercent, 240, 38),
        Button(IDC_READ, kTextRead, 243, 179),
        Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

DialogTemplate CoolingTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_COOLING);
    dialog.controls = {
        Group("Status cool (Mv2)", 23, 18, 112, 71),
        Radio(267, kTextOff, 29, 28, 25),
        Radio(268, kTextManual, 29, 38, 39),
        Radio(269, kTextAutomatic, 29, 48, 47),
        CentredLabel(kTextIn, 92, 26, 25),
        EditField(273, 89, 35),
        Unit(kTextPercent, 124, 38),
        CentredLabel(kTextOut, 91, 57, 25),
        DisplayField(274, 89, 67),
        Unit(kTextPercent, 123, 70),
        Group("Settings cool (Mv2)", 23, 93, 112, 49),
        Radio(262, kTextRange0To10V, 34, 104, 37),
        Radio(263, kTextRange2To10V, 34, 114, 37),
        Check(264, kTextInvert, 34, 125, 34),
        Group("Status cool (Mc1)", 149, 18, 112, 71),
        Radio(270, kTextOff, 155, 28, 25),
        Radio(271, kTextManual, 155, 38, 39),
        Radio(272, kTextAutomatic, 155, 48, 47),
        CentredLabel(kTextOut, 217, 58, 25),
        DisplayField(275, 215, 67),
        Group("Type cool", 149, 93, 112, 42),
        Radio(327, "Expansion", 159, 105, 49),
        Radio(328, "Water cooling", 159, 119, 60),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate SecondaryHeatTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_SECONDARY_HEAT);
    dialog.controls = {
        Group("Status valve (Mv4)", 31, 18, 112, 71),
        Radio(221, kTextOff, 37, 28, 25),
        Radio(276, kTextManual, 37, 38, 39),
        Radio(277, kTextAutomatic, 37, 48, 47),
        CentredLabel(kTextIn, 100, 26, 25),
        EditField(278, 95, 35),
        Unit(kTextPercent, 130, 37),
        CentredLabel(kTextOut, 98, 57, 25),
        DisplayField(279, 95, 67),
        Unit(kTextPercent, 129, 69),
        Group("Settings valve (Mv4)", 31, 93, 112, 49),
        Radio(262, kTextRange0To10V, 42, 104, 37),
        Radio(263, kTextRange2To10V, 42, 114, 37),
        Check(264, kTextInvert, 42, 125, 34),
        Group("Status pump (Mp2)", 157, 18, 112, 71),
        Radio(339, kTextOff, 163, 28, 25),
        Radio(340, kTextManual, 163, 38, 39),
        Radio(341, kTextAutomatic, 163, 48, 47),
        CentredLabel(kTextOut, 225, 58, 25),
        DisplayField(212, 221, 67),
        Button(IDC_WRITE, kTextWrite, 243, 161),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate HumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_HUMIDIFIER);
    dialog.controls = {
        Group("Status valve (Mv3)", 28, 14, 112, 71),
        Radio(239, kTextOff, 34, 24, 25),
        Radio(337, kTextManual, 34, 34, 39),
        Radio(338, kTextAutomatic, 34, 44, 47),
        CentredLabel(kTextIn, 97, 22, 25),
        EditField(238, 93, 31),
        Unit(kTextPercent, 128, 34),
        CentredLabel(kTextOut, 95, 53, 25),
        DisplayField(211, 93, 63),
        Unit(kTextPercent, 127, 66),
        Group("Settings valve (Mv3)", 28, 89, 112, 49),
        Radio(262, kTextRange0To10V, 39, 100, 37),
        Radio(263, kTextRange2To10V, 39, 110, 37),
        Check(264, kTextInvert, 39, 121, 34),
        Group("Valve type (Mv3)", 156, 14, 116, 39),
        Radio(258, "On / Off", 174, 25, 42),
        Radio(259, "0 - 10 V", 174, 38, 41),
        Group("Valve open (Mv3)", 156, 59, 117, 49),
        Label("Min time on", 168, 73, 37),
        EditField(242, 221, 70),
        Unit(kTextSeconds, 256, 73),
        Label("Max time on", 168, 89, 39),
        EditField(243, 221, 86),
        Unit(kTextSeconds, 256, 89),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

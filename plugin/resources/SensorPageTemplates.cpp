// Templates of the pages of sensors and humidity control: Temperatures, Humidity sensor,
// Settings humidity and Dehumidifier. Rows follow the pages' control tables; a unit label
// follows its field.

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"

DialogTemplate TemperaturesTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_TEMPERATURES);
    dialog.controls = {
        Group("Temp sensor forward (Bw3)", 66, 20, 123, 49),
        Label(kTextActual, 89, 38, 21),
        DisplayField(256, 119, 35),
        Unit(kTextDegreesCelsius, 154, 38),
        Label(kTextOffset, 89, 53, 20),
        EditField(255, 119, 50),
        Unit(kTextDegreesCelsius, 154, 53),
        Group("Temp sensor return (Bw4)", 66, 75, 123, 49),
        Label(kTextActual, 89, 94, 21),
        DisplayField(258, 119, 91),
        Unit(kTextDegreesCelsius, 154, 94),
        Label(kTextOffset, 89, 108, 20),
        EditField(205, 119, 106),
        Unit(kTextDegreesCelsius, 154, 108),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate HumiditySensorTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_HUMIDITY_SENSOR);
    dialog.controls = {
        Group(kTextHumiditySensor, 36, 16, 228, 73),
        Label("Air humidity exhaust (Bh1)", 45, 38, 82),
        Label(kTextAirHumidityInjection, 45, 53, 83),
        Label("Air humidity intake (Bh3)", 45, 69, 76),
        Group(kTextActual, 132, 24, 58, 60),
        DisplayField(221, 142, 35),
        Unit(kTextPercent, 178, 38),
        DisplayField(222, 142, 51),
        Unit(kTextPercent, 178, 53),
        DisplayField(223, 142, 67),
        Unit(kTextPercent, 178, 69),
        Group(kTextOffset, 199, 24, 58, 60),
        EditField(224, 209, 35),
        Unit(kTextPercent, 244, 38),
        EditField(225, 209, 51),
        Unit(kTextPercent, 244, 53),
        EditField(226, 209, 67),
        Unit(kTextPercent, 244, 69),
        Group("Wet Bulb Temperature", 36, 93, 165, 45),
        Label("Wet Bulb Temperature exhaust", 45, 106, 99),
        EditField(227, 152, 103),  // live value; editable, though its text is never read
        Unit(kTextDegreesCelsius, 187, 106),
        Label("Wet Bulb Temperature intake", 45, 122, 94),
        EditField(228, 152, 119),
        Unit(kTextDegreesCelsius, 187, 122),
        Group("Settings humidity sensor", 36, 140, 149, 45),
        Label("Min humidity (RH)", 45, 153, 56),
        EditField(219, 139, 150),
        Unit(kTextPercent, 174, 153),
        Label("Max humidity (RH)", 45, 169, 58),
        EditField(220, 139, 166),
        Unit(kTextPercent, 174, 169),
        Button(IDC_WRITE, kTextWrite, 243, 163),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate SettingsHumidityTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_SETTINGS_HUMIDITY);
    dialog.controls = {
        Group("Humidity", 41, 12, 165, 103),
        Check(283, "Dehumidifier/Humidifier", 52, 21, 89),
        Label("Setpt dehumidifier", 49, 34, 57),
        EditField(230, 157, 31),
        Unit(kTextPercent, 191, 34),
        Label("Setpt humidity", 49, 50, 45),
        EditField(231, 157, 47),
        Unit(kTextPercent, 191, 50),
        Label("Setpt humidifier", 49, 66, 49),
        EditField(234, 157, 63),
        Unit(kTextPercent, 191, 66),
        Label("DB humidity", 49, 81, 38),
        EditField(284, 157, 79),
        Unit(kTextPercent, 191, 82),
        Label("Max air humidity injection", 49, 98, 79),
        EditField(285, 157, 95),
        Unit(kTextPercent, 191, 98),
        Group("Actual ", 41, 121, 165, 43),
        Label(kTextAirHumidityInjection, 50, 133, 83),
        DisplayField(222, 157, 129),
        Unit(kTextPercent, 192, 132),
        Label("Status ", 50, 149, 23),
        DisplayField(211, 149, 145, 40, 14),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

DialogTemplate DehumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_DEHUMIDIFIER);
    dialog.controls = {
        Group("Heat", 31, 24, 118, 117),
        Label("Step primary heat", 35, 38, 56),
        EditField(286, 95, 35),
        Unit(kTextPercent, 130, 38),
        Label("Delay step time", 35, 70, 49),
        EditField(287, 95, 67),
        Unit(kTextSeconds, 130, 70),
        Label("Setpt secondary\nheat", 35, 81, 55, 16),
        EditField(236, 95, 85),
        Unit(kTextPercent, 130, 89),
        Label("DB secondary\nheat", 35, 98, 51, 19),
        EditField(288, 95, 103),
        Unit(kTextPercent, 130, 105),
        Label("Actual secondary\nheat", 35, 119, 56, 16),
        DisplayField(237, 95, 120),
        Unit(kTextPercent, 130, 122),
        Group(kTextCooling, 157, 24, 112, 46),
        Label("Max cooling", 162, 36, 39),
        EditField(234, 215, 34),
        Unit(kTextPercent, 251, 37),
        Label("Actual cooling", 163, 54, 46),
        DisplayField(235, 215, 51),
        Unit(kTextPercent, 251, 54),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

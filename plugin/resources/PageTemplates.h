#pragma once
// Builders of the individual dialog templates, one per dialog; Resources.cpp collects them. Each
// page's template is built in the page's own source from the control ids that its code uses,
// one line per control in the order of its control table; a unit label follows its field.

#include <string_view>

#include "platform/ui/DialogTemplate.h"

// A unit label right of its field, as wide as its text needs (about four dialog units a
// character, plus a margin) so that it stays inside the group box around the field.
inline ControlTemplate Unit(std::string_view text, int x, int y) {
    int characters = 0;
    for (const char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // UTF-8 lead bytes
    }
    return Label(std::string(text), x, y, 4 * characters + 4);
}

// A page template of the usual size, titled with the page's string resource.
DialogTemplate PageTemplate(int id);

DialogTemplate AboutBoxTemplate();

// The pages' templates, each in the source of its page class.
DialogTemplate RecirculationTemplate();     // CQMA7PropPage
DialogTemplate CoolingTemplate();           // CPage2PropPage
DialogTemplate TemperaturesTemplate();      // CPage3PropPage
DialogTemplate HumiditySensorTemplate();    // CPage4PropPage
DialogTemplate SecondaryHeatTemplate();     // CPage5PropPage
DialogTemplate SettingsHumidityTemplate();  // CPage6PropPage
DialogTemplate DehumidifierTemplate();      // CPage7PropPage
DialogTemplate HumidifierTemplate();        // CPage8PropPage
DialogTemplate DelayCoolingTemplate();      // CPage9PropPage
DialogTemplate AlarmsTemplate();            // CPage10PropPage
DialogTemplate RunningHoursTemplate();      // CPage11PropPage
DialogTemplate NodeInformationTemplate();   // CPage12PropPage
DialogTemplate PidHumidifierTemplate();     // CPage15PropPage
DialogTemplate ExerciseTemplate();          // CPage18PropPage
DialogTemplate ImportExportTemplate();      // CPage19PropPage
DialogTemplate ConfigHvacTemplate();        // CPage20PropPage

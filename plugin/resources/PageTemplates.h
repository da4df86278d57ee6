#pragma once
// Builders of the individual dialog templates, one per dialog, grouped over a few sources;
// Resources.cpp collects them. Internal to the resources.

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

// Pages with status groups of outputs.
DialogTemplate RecirculationTemplate();
DialogTemplate CoolingTemplate();
DialogTemplate SecondaryHeatTemplate();
DialogTemplate HumidifierTemplate();

// Pages of sensors and humidity control.
DialogTemplate TemperaturesTemplate();
DialogTemplate HumiditySensorTemplate();
DialogTemplate SettingsHumidityTemplate();
DialogTemplate DehumidifierTemplate();

// Pages of further settings.
DialogTemplate DelayCoolingTemplate();
DialogTemplate PidHumidifierTemplate();
DialogTemplate ExerciseTemplate();
DialogTemplate ConfigHvacTemplate();

// Pages that show states and information.
DialogTemplate AlarmsTemplate();
DialogTemplate RunningHoursTemplate();
DialogTemplate NodeInformationTemplate();
DialogTemplate ImportExportTemplate();

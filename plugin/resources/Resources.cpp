#include "plugin/resources/Resources.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

constexpr std::pair<int, std::string_view> kStringTable[] = {
    {IDS_QMA7, kTextTypeName},
    {IDD_PAGE_RECIRCULATION, kTextRecirculation},
    {IDD_PAGE_COOLING, kTextCooling},
    {IDD_PAGE_TEMPERATURES, kTextTemperatures},
    {IDD_PAGE_HUMIDITY_SENSOR, kTextHumiditySensor},
    {IDD_PAGE_SECONDARY_HEAT, kTextSecondaryHeat},
    {IDD_PAGE_SETTINGS_HUMIDITY, kTextSettingsHumidity},
    {IDD_PAGE_DEHUMIDIFIER, kTextDehumidifier},
    {IDD_PAGE_HUMIDIFIER, kTextHumidifier},
    {IDD_PAGE_DELAY_COOLING, kTextDelayCooling},
    {IDD_PAGE_ALARMS, kTextAlarms},
    {IDD_PAGE_RUNNING_HOURS, kTextRunningHours},
    {IDD_PAGE_NODE_INFORMATION, kTextNodeInformation},
    {IDD_PAGE_PID_HUMIDIFIER, kTextPidHumidifier},
    {IDD_PAGE_EXERCISE, kTextExercise},
    {IDD_PAGE_IMPORT_EXPORT, kTextImportExport},
    {IDD_PAGE_CONFIG_HVAC, kTextConfigHvac},
};

// Built once, on first use, and kept for the life of the process: callers hold references.
const std::vector<DialogTemplate>& DialogTable() {
    static const std::vector<DialogTemplate> table = {
        AboutBoxTemplate(),         RecirculationTemplate(),  CoolingTemplate(),
        TemperaturesTemplate(),     HumiditySensorTemplate(), SecondaryHeatTemplate(),
        SettingsHumidityTemplate(), DehumidifierTemplate(),   HumidifierTemplate(),
        DelayCoolingTemplate(),     AlarmsTemplate(),         RunningHoursTemplate(),
        NodeInformationTemplate(),  PidHumidifierTemplate(),  ExerciseTemplate(),
        ImportExportTemplate(),     ConfigHvacTemplate(),
    };
    return table;
}

}  // namespace

DialogTemplate PageTemplate(int id) {
    DialogTemplate dialog;
    dialog.id = id;
    dialog.caption = StringResource(id);
    return dialog;
}

const DialogTemplate* FindDialogResource(int id) {
    for (const DialogTemplate& dialog : DialogTable()) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

const DialogTemplate& DialogResource(int id) {
    const DialogTemplate* dialog = FindDialogResource(id);
    if (dialog == nullptr) {
        std::fprintf(stderr, "DialogResource: no dialog template with id %d\n", id);
        std::abort();
    }
    return *dialog;
}

std::string_view StringResource(int id) {
    for (const auto& [stringId, text] : kStringTable) {
        if (stringId == id) {
            return text;
        }
    }
    return {};
}

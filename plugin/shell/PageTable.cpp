#include "plugin/shell/PageTable.h"

#include "plugin/pages/CPage10PropPage.h"
#include "plugin/pages/CPage11PropPage.h"
#include "plugin/pages/CPage12PropPage.h"
#include "plugin/pages/CPage15PropPage.h"
#include "plugin/pages/CPage18PropPage.h"
#include "plugin/pages/CPage20PropPage.h"
#include "plugin/pages/CPage2PropPage.h"
#include "plugin/pages/CPage3PropPage.h"
#include "plugin/pages/CPage4PropPage.h"
#include "plugin/pages/CPage5PropPage.h"
#include "plugin/pages/CPage6PropPage.h"
#include "plugin/pages/CPage7PropPage.h"
#include "plugin/pages/CPage8PropPage.h"
#include "plugin/pages/CPage9PropPage.h"
#include "plugin/pages/CQMA7PropPage.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"
#include "plugin/settingsfile/CPage19PropPage.h"

namespace {

template <class Page>
std::unique_ptr<CNodePage> Make() {
    return std::make_unique<Page>();
}

}  // namespace

std::vector<PageEntry>& PageTable() {
    static std::vector<PageEntry> table = {
        {IDD_PAGE_RECIRCULATION, kTextRecirculation, RecirculationTemplate, Make<CQMA7PropPage>},
        {IDD_PAGE_COOLING, kTextCooling, CoolingTemplate, Make<CPage2PropPage>},
        {IDD_PAGE_TEMPERATURES, kTextTemperatures, TemperaturesTemplate, Make<CPage3PropPage>},
        {IDD_PAGE_HUMIDITY_SENSOR, kTextHumiditySensor, HumiditySensorTemplate,
         Make<CPage4PropPage>},
        {IDD_PAGE_SECONDARY_HEAT, kTextSecondaryHeat, SecondaryHeatTemplate, Make<CPage5PropPage>},
        {IDD_PAGE_SETTINGS_HUMIDITY, kTextSettingsHumidity, SettingsHumidityTemplate,
         Make<CPage6PropPage>},
        {IDD_PAGE_DEHUMIDIFIER, kTextDehumidifier, DehumidifierTemplate, Make<CPage7PropPage>},
        {IDD_PAGE_HUMIDIFIER, kTextHumidifier, HumidifierTemplate, Make<CPage8PropPage>},
        {IDD_PAGE_DELAY_COOLING, kTextDelayCooling, DelayCoolingTemplate, Make<CPage9PropPage>},
        {IDD_PAGE_ALARMS, kTextAlarms, AlarmsTemplate, Make<CPage10PropPage>},
        {IDD_PAGE_RUNNING_HOURS, kTextRunningHours, RunningHoursTemplate, Make<CPage11PropPage>},
        {IDD_PAGE_NODE_INFORMATION, kTextNodeInformation, NodeInformationTemplate,
         Make<CPage12PropPage>, true},
        {IDD_PAGE_PID_HUMIDIFIER, kTextPidHumidifier, PidHumidifierTemplate, Make<CPage15PropPage>},
        {IDD_PAGE_EXERCISE, kTextExercise, ExerciseTemplate, Make<CPage18PropPage>},
        {IDD_PAGE_IMPORT_EXPORT, kTextImportExport, ImportExportTemplate, Make<CPage19PropPage>,
         true},
        {IDD_PAGE_CONFIG_HVAC, kTextConfigHvac, ConfigHvacTemplate, Make<CPage20PropPage>},
    };
    return table;
}

#pragma once
// The settings sheet: owns every tab, obtains the host's node interfaces for all of them, and
// decides from the node which tabs the user sees.

#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/NvInterfaces.h"
#include "platform/ui/PropertySheet.h"
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
#include "plugin/settingsfile/CPage19PropPage.h"

class CSheet : public CPropertySheet {
  public:
    CSheet(const std::string& caption, CWnd* parent, unsigned selectPage);
    ~CSheet() override;

    bool OnInitDialog() override;

    ComPtr<INvWrite> m_pNvWrite;
    ComPtr<INvRead> m_pNvRead;
    IOleClientSite* m_pSite = nullptr;  // not owned

    CQMA7PropPage m_recirculation;
    CPage2PropPage m_cooling;
    CPage3PropPage m_temperatures;
    CPage4PropPage m_humiditySensor;
    CPage5PropPage m_secondaryHeat;
    CPage6PropPage m_settingsHumidity;
    CPage7PropPage m_dehumidifier;
    CPage8PropPage m_humidifier;
    CPage9PropPage m_delayCooling;
    CPage10PropPage m_alarms;
    CPage11PropPage m_runningHours;
    CPage12PropPage m_nodeInformation;
    CPage15PropPage m_pidHumidifier;
    CPage18PropPage m_exercise;
    CPage19PropPage m_importExport;
    CPage20PropPage m_configHvac;

  private:
    void GetInterfaces();
    void PageSet();
};

#pragma once
// The "Alarms" tab: four alarm states of the node as "Alarm" or "OK", kept current by the
// refresh timer; on every show the fields of absent equipment are greyed out.

#include "plugin/pages/NodePage.h"

class CPage10PropPage : public CNodePage {
  public:
    CPage10PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;

  protected:
    // Reads the alarm bits; also at initialisation.
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate AlarmsTemplate();

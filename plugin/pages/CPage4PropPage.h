#pragma once
// The "Humidity sensor" tab: the humidity sensors Bh1 (exhaust), Bh2 (injection) and Bh3
// (intake) with their present readings and calibration offsets, the wet-bulb temperatures of
// exhaust and intake air, and the humidity range of the sensors. A sensor whose reading is not
// within (5 %, 90 %] is absent, and its fields are disabled.

#include "plugin/pages/NodePage.h"

class CPage4PropPage : public CNodePage {
  public:
    CPage4PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate HumiditySensorTemplate();

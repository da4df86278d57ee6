#pragma once
// The "Temperatures" tab: the water temperature sensors Bw3 (forward) and Bw4 (return) with
// their present readings and calibration offsets. A sensor that reads below -200 degrees is
// absent, and its fields are disabled.

#include "plugin/pages/NodePage.h"

class CPage3PropPage : public CNodePage {
  public:
    CPage3PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate TemperaturesTemplate();

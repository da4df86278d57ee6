#pragma once
// The "Settings humidity" tab: whether humidity control is in use, its five setpoints, the
// present injection humidity (Bh2) and what humidity control is doing now.

#include "plugin/pages/NodePage.h"

class CPage6PropPage : public CNodePage {
  public:
    CPage6PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();
    // The check box's handler: the setpoint fields apply only while humidity control is in use.
    void OnHumidityControl();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate SettingsHumidityTemplate();

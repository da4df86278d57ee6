#pragma once
// The "Dehumidifier" tab: the maximum cooling output, the primary-heat step with its delay,
// the secondary heat's setpoint and dead band, and the present cooling and secondary-heat
// outputs.

#include "plugin/pages/NodePage.h"

class CPage7PropPage : public CNodePage {
  public:
    CPage7PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate DehumidifierTemplate();

#pragma once
// The "Recirculation" tab: the recirculation damper Md4, its status with a manual position,
// its present output, the minimum fresh-air position and its analogue output's settings.

#include "plugin/pages/NodePage.h"

class CQMA7PropPage : public CNodePage {
  public:
    CQMA7PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate RecirculationTemplate();

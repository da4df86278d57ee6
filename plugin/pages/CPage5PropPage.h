#pragma once
// The "Secondary heat" tab: the secondary-heat valve Mv4 (status with a manual position,
// present output, range and inversion of its analogue output) and its pump Mp2 (status and
// present state).

#include "plugin/pages/NodePage.h"

class CPage5PropPage : public CNodePage {
  public:
    CPage5PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate SecondaryHeatTemplate();

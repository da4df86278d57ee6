#pragma once
// The "Cooling" tab: the cooling valve Mv2 (status with a manual position, present output,
// range and inversion of its analogue output), the compressor or pump Mc1 (status and present
// state) and the type of cooling plant.

#include "plugin/pages/NodePage.h"

class CPage2PropPage : public CNodePage {
  public:
    CPage2PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate CoolingTemplate();

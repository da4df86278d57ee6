#pragma once
// The "Config HVAC" tab: which HVAC operating modes the node accepts, five bits of
// configuration part 10; writing them needs the page password. It reads each time it is shown.

#include "plugin/pages/NodePage.h"

class CPage20PropPage : public CNodePage {
  public:
    CPage20PropPage();

    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate ConfigHvacTemplate();

#pragma once
// The "PID humidifier" tab: the P, I and D parameters of the humidifier's control loop in
// configuration part 5; writing them needs the page password.

#include "plugin/pages/NodePage.h"

class CPage15PropPage : public CNodePage {
  public:
    CPage15PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate PidHumidifierTemplate();

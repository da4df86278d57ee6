#pragma once
// The "PID humidifier" tab.

#include "plugin/pages/NodePage.h"

class CPage15PropPage : public CNodePage {
public:
    CPage15PropPage();
};

#pragma once
// The "Config HVAC" tab.

#include "plugin/pages/NodePage.h"

class CPage20PropPage : public CNodePage {
public:
    CPage20PropPage();
};

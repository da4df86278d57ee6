#pragma once
// The "Cooling" tab.

#include "plugin/pages/NodePage.h"

class CPage2PropPage : public CNodePage {
public:
    CPage2PropPage();
};

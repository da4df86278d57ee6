#pragma once
// The "Temperatures" tab.

#include "plugin/pages/NodePage.h"

class CPage3PropPage : public CNodePage {
public:
    CPage3PropPage();
};

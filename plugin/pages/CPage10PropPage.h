#pragma once
// The "Alarms" tab.

#include "plugin/pages/NodePage.h"

class CPage10PropPage : public CNodePage {
public:
    CPage10PropPage();
};

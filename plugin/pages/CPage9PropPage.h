#pragma once
// The "Delay cooling" tab.

#include "plugin/pages/NodePage.h"

class CPage9PropPage : public CNodePage {
public:
    CPage9PropPage();
};

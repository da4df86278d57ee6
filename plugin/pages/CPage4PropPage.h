#pragma once
// The "Humidity sensor" tab.

#include "plugin/pages/NodePage.h"

class CPage4PropPage : public CNodePage {
public:
    CPage4PropPage();
};

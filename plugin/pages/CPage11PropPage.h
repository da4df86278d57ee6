#pragma once
// The "Running Hours" tab.

#include "plugin/pages/NodePage.h"

class CPage11PropPage : public CNodePage {
public:
    CPage11PropPage();
};

#pragma once
// The "Dehumidifier" tab.

#include "plugin/pages/NodePage.h"

class CPage7PropPage : public CNodePage {
public:
    CPage7PropPage();
};

#pragma once
// The "Humidifier" tab.

#include "plugin/pages/NodePage.h"

class CPage8PropPage : public CNodePage {
public:
    CPage8PropPage();
};

#pragma once
// The "Secondary heat" tab.

#include "plugin/pages/NodePage.h"

class CPage5PropPage : public CNodePage {
public:
    CPage5PropPage();
};

#pragma once
// The "Exercise" tab.

#include "plugin/pages/NodePage.h"

class CPage18PropPage : public CNodePage {
public:
    CPage18PropPage();
};

#pragma once
// The "Settings humidity" tab.

#include "plugin/pages/NodePage.h"

class CPage6PropPage : public CNodePage {
public:
    CPage6PropPage();
};

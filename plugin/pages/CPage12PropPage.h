#pragma once
// The "Node information" tab: the node's name as the host knows it, and fixed information
// about the plug-in.

#include "plugin/pages/NodePage.h"

class CPage12PropPage : public CNodePage {
  public:
    CPage12PropPage();
    bool OnInitDialog() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate NodeInformationTemplate();

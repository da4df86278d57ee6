#pragma once
// The "Import / Export" tab: saves the node's configuration to a settings file, downloads such
// a file into the node, and restores the factory settings.

#include <string>

#include "plugin/pages/NodePage.h"

class CPage19PropPage : public CNodePage {
public:
    CPage19PropPage();
    bool OnInitDialog() override;

    // "Default": the file name and the Nodename field from the node's name.
    void OnDefault();
};

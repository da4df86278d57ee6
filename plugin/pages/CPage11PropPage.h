#pragma once
// The "Running Hours" tab: the node's five running-hours counters, kept current by the refresh
// timer, and the resets of four of them; on every show the rows of absent equipment are greyed
// out.

#include <cstdint>

#include "plugin/pages/NodePage.h"

class CPage11PropPage : public CNodePage {
  public:
    CPage11PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    // Sends a counter's reset command, holds it for the node, then withdraws it.
    void OnReset(int button, std::uint8_t command);

  protected:
    // Reads the counters; also at initialisation.
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate RunningHoursTemplate();

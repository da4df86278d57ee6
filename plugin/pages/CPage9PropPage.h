#pragma once
// The "Delay cooling" tab: the minimum openings of valve Mv2 for starting and stopping cooling,
// the delay before cooling starts, and the delay now running. Its settings apply only to a
// node with cooling that is not water cooling.

#include "plugin/pages/NodePage.h"

class CPage9PropPage : public CNodePage {
  public:
    CPage9PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate DelayCoolingTemplate();

#pragma once
// The "Exercise" tab: the hours before the node exercises the pumps and valves of the cooling
// circuit (Mc1, Mv2) and of the secondary-heat circuit (Mp2, Mv4).

#include "plugin/pages/NodePage.h"

class CPage18PropPage : public CNodePage {
  public:
    CPage18PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate ExerciseTemplate();

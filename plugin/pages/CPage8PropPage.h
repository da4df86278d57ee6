#pragma once
// The "Humidifier" tab: the humidifier valve Mv3, its status with a manual opening, its valve
// type, the range and inversion of a 0-10 V valve, the minimum and maximum on-times of an
// on/off valve, and its present output.

#include <map>
#include <set>
#include <string>

#include "plugin/pages/NodePage.h"

class CPage8PropPage : public CNodePage {
  public:
    CPage8PropPage();

    bool OnInitDialog() override;
    void OnShowWindow(bool show, unsigned status) override;
    void OnRead();
    void OnWrite();

  protected:
    void Refresh() override;

  private:
    // The valve-type pair: each checks itself and enables the settings of its kind of valve.
    void OnOnOffValve();
    void OnAnalogueValve();

    // The tab shows no settings until its first Read, so a Write may come while controls are
    // still empty. Such controls leave the node's bytes and bits as read; a control counts as
    // set once a read has filled it or the user has given it a value.
    bool FieldSet(int id) const;
    bool PairSet(int first, int second) const;
    std::set<int> m_filled;  // fields and the check box that a read or a click has given a value
    std::map<int, std::string> m_createdText;  // each field's text when the window was made
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate HumidifierTemplate();

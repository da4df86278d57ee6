#pragma once
// A sheet fixture for one tab: showing it, showing it again, failing reads.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/SheetFixture.h"

class PageTest : public SheetFixture {
  protected:
    explicit PageTest(std::string tab) : m_tab(std::move(tab)) {}

    // Opens the sheet and selects the tab; the sheet's own calls are dropped from the trace.
    void Show() {
        Open();
        Trace();
        SelectTab(m_tab);
    }
    // Another tab, then this one again: its show handler runs once more.
    void ShowAgain() {
        SelectTab("Node information");
        SelectTab(m_tab);
    }
    void FailReads(std::vector<int> nvs) { node.Fail(host::SimNode::Failure::Read, nvs); }

    // Humidity readings at the edges of (5 %, 90 %] and whether the sensor counts as present.
    static constexpr std::pair<const char*, bool> kHumidityEdges[] = {
        {"03E8", false}, {"03E9", true}, {"4650", true}, {"4651", false}};

  private:
    std::string m_tab;
};

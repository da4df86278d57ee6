#pragma once
// What a handler the user started (a tab, a button) has done so far, counted from its host
// calls: the long actions' items, the calls, and the writes of NVs with how many failed and
// why the first did. Every front end words the status line's busy line, the notice after the
// action and the note of a stopped action from here, so that they say the same.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/profile/PluginProfile.h"
#include "host/site/ClientSite.h"

namespace host {

class ActionTally {
  public:
    // What the handler runs: a long action's caption (action set), "Write on Temperatures"
    // or a tab's caption.
    void Identify(std::string label, const LongAction* action);
    const std::string& Label() const { return m_label; }
    const LongAction* Action() const { return m_action; }

    // A host call of the handler returned; failure: why it failed, as the link says it (empty:
    // the node refused).
    void Count(const HostCall& call, std::string_view failure = {});
    int Calls() const { return m_calls; }

    // "Busy: Default settings, 3 of 26 items, 1.2 s".
    std::string BusyText(std::int64_t elapsedMs) const;
    // What the writes did: "3 values written", "Write on Temperatures: 2 of 3 values not
    // written (no answer from 51/35/12)"; empty when the handler wrote nothing.
    std::string WriteOutcome() const;
    // "Default settings stopped after 9 of 26 items", "Read on Fans stopped after 4 host calls".
    std::string StoppedText() const;

  private:
    std::string m_label;
    const LongAction* m_action = nullptr;
    int m_items = 0;
    int m_calls = 0;
    int m_writes = 0;  // of NVs other than the part selector
    int m_failedWrites = 0;
    std::string m_failure;  // why the first write failed
};

}  // namespace host

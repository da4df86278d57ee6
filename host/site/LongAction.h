#pragma once
// The plug-in's actions that take long enough to want a count of items, and what the count is
// of, as the host sees them in its host calls. Every front end that shows a busy line uses it.

#include <string_view>

#include "host/site/ClientSite.h"

namespace host {

struct LongAction {
    const char* caption;  // of the button that starts it
    bool countsWrites;    // its items are writes (else reads) of NVs other than the selector
    int items;

    // Whether a host call of this action is one of its items (reading the node's name is not).
    bool Counts(const HostCall& call) const;
    // The long action a button with this caption starts; null when it is none.
    static const LongAction* Find(std::string_view caption);
};

}  // namespace host

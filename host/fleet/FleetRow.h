#pragma once
// One node of a fleet run as the progress lines, the table and the JSON report show it.

#include <cstdint>
#include <string>

#include "host/fleet/FleetTargets.h"
#include "host/fleet/RelayMessage.h"

namespace host::fleet {

struct FleetRow {
    enum class State { Waiting, Running, Ended };
    FleetNode node;
    State state = State::Waiting;
    Progress progress;
    NodeResult result;
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;

    bool Succeeded() const { return state == State::Ended && result.outcome == Outcome::Done; }
    std::int64_t ElapsedMs(std::int64_t nowMs) const {
        return state == State::Waiting ? 0 : (state == State::Ended ? endMs : nowMs) - startMs;
    }
};

}  // namespace host::fleet

#pragma once
// The progress of a fleet run while it runs: on a terminal one line per node, redrawn in place;
// elsewhere a plain line when a node ends.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/fleet/FleetRow.h"

namespace host::fleet {

class FleetDisplay {
  public:
    // inPlace: out is a terminal tall enough for a line per node.
    FleetDisplay(std::FILE* out, bool inPlace) : m_out(out), m_inPlace(inPlace) {}

    // Called as the run goes; draws at most every few tenths of a second unless force.
    void Show(const std::vector<FleetRow>& rows, std::int64_t nowMs, bool force);
    // A node ended (plain lines).
    void Ended(const FleetRow& row, std::size_t labelWidth, std::int64_t nowMs);

  private:
    std::FILE* m_out;
    bool m_inPlace;
    std::size_t m_drawn = 0;
    std::int64_t m_lastMs = -1;
};

}  // namespace host::fleet

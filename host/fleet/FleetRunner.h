#pragma once
// Runs a fleet: one process per node (at most `parallel` at once), each running its job through
// the plug-in, while this process owns the link and relays the packets between it and them.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/fleet/FleetDisplay.h"
#include "host/fleet/FleetJob.h"
#include "host/fleet/FleetRow.h"
#include "host/fleet/PacketRelay.h"

namespace host::fleet {

class FleetRunner {
  public:
    // linkSocket: a descriptor that becomes readable when the link has a packet (-1: none; the
    // link is then asked every few milliseconds). trace: where each packet relayed is written,
    // or null.
    FleetRunner(PacketRelay& relay, lon::PacketLink& link, int linkSocket, FleetDisplay& display,
                std::FILE* trace);

    // Runs jobs[i] for rows[i] (a row that has ended already is left as it is); returns when every
    // node ended or, after an interrupt, every running one stopped. parallel: nodes at once (0:
    // all).
    void Run(const std::vector<FleetJob>& jobs, std::vector<FleetRow>& rows, std::size_t parallel);

  private:
    PacketRelay& m_relay;
    lon::PacketLink& m_link;
    int m_linkSocket;
    FleetDisplay& m_display;
    std::FILE* m_trace;
};

// Installs the interrupt handler of the run (SIGINT: stop every node at its next step).
void WatchInterrupts();
bool Interrupted();

}  // namespace host::fleet

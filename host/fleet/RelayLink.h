#pragma once
// The link of a fleet's node process: its transactions send their packets to the process that
// owns the real link, over a socket pair, and receive the answers it routes back. The same pair
// carries the node's progress and result.

#include <cstdint>
#include <string>

#include "host/fleet/RelayMessage.h"
#include "host/lon/LonPacket.h"

namespace host::fleet {

class RelayLink final : public lon::PacketLink {
  public:
    // socket: this process's end of the pair (a SOCK_SEQPACKET socket); not owned.
    explicit RelayLink(int socket) : m_socket(socket) {}

    bool Send(const lon::Packet& packet) override;
    bool Receive(std::int64_t waitMs, lon::Packet& packet) override;
    std::string Problem() const override;

    bool Report(const Progress& progress);
    bool Report(const NodeResult& result);

  private:
    bool Put(const RelayMessage& message);

    int m_socket;
    bool m_gone = false;  // the other end closed: nothing comes any more
};

}  // namespace host::fleet

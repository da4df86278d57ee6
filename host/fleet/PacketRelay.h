#pragma once
// The owner of a link's side of a fleet: it sends what each node's process hands it and routes
// each packet that comes in to the process whose node sent it. Each process keeps at most one
// request of its own outstanding (its transactions wait for the answer); the relay can also
// bound the requests outstanding on the whole link, for a channel whose interface holds only so
// many: a request beyond the bound waits in turn until an answer, or the hold time of an
// unanswered one, frees a place.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>

#include "host/lon/LonPacket.h"

namespace host::fleet {

class PacketRelay {
  public:
    static constexpr std::size_t kUnbounded = 0;

    // bound: requests outstanding on the link at most (kUnbounded: no bound). holdMs: how long
    // an unanswered request keeps its place.
    PacketRelay(lon::PacketLink& link, std::size_t bound, std::int64_t holdMs);

    // Told of each packet sent on the link and each routed from it to a slot.
    using Trace = std::function<void(bool sent, std::size_t slot, const lon::Packet& packet)>;
    void SetTrace(Trace trace) { m_trace = std::move(trace); }

    // Packets from node go to slot from now on; a slot's earlier node is forgotten.
    void Attach(std::size_t slot, lon::SubnetNode node);
    // The slot's process has ended: what it had outstanding or waiting is dropped.
    void Detach(std::size_t slot);

    // A packet from slot's process: sent now, or held while the bound is reached. False when the
    // link refused it.
    bool FromNode(std::size_t slot, const lon::Packet& packet, std::int64_t nowMs);
    // A packet from the link: the slot whose node sent it; nothing for a device no slot has.
    std::optional<std::size_t> FromLink(const lon::Packet& packet, std::int64_t nowMs);
    // Sends the held packets whose turn has come (a hold ran out).
    void Pump(std::int64_t nowMs);

    std::size_t Outstanding() const { return m_outstanding.size(); }
    std::size_t Held() const { return m_held.size(); }

  private:
    struct Waiting {
        std::size_t slot;
        lon::Packet packet;
    };
    bool Place(std::int64_t nowMs);
    bool Put(std::size_t slot, const lon::Packet& packet, std::int64_t nowMs);

    lon::PacketLink& m_link;
    std::size_t m_bound;
    std::int64_t m_holdMs;
    Trace m_trace;
    std::map<std::size_t, lon::SubnetNode> m_nodes;
    std::map<std::size_t, std::int64_t> m_outstanding;  // slot -> when its request went out
    std::deque<Waiting> m_held;
};

}  // namespace host::fleet

#include "host/fleet/PacketRelay.h"

#include <algorithm>
#include <iterator>

namespace host::fleet {

namespace {

bool IsRequest(const lon::Packet& packet) {
    return packet.service == lon::Service::Request || packet.service == lon::Service::Acknowledged;
}

}  // namespace

PacketRelay::PacketRelay(lon::PacketLink& link, std::size_t bound, std::int64_t holdMs)
    : m_link(link), m_bound(bound), m_holdMs(holdMs) {}

void PacketRelay::Attach(std::size_t slot, lon::SubnetNode node) {
    m_nodes[slot] = node;
}

void PacketRelay::Detach(std::size_t slot) {
    m_nodes.erase(slot);
    m_outstanding.erase(slot);
    std::erase_if(m_held, [slot](const Waiting& waiting) { return waiting.slot == slot; });
}

bool PacketRelay::Place(std::int64_t nowMs) {
    std::erase_if(m_outstanding,
                  [&](const auto& entry) { return nowMs - entry.second >= m_holdMs; });
    return m_bound == kUnbounded || m_outstanding.size() < m_bound;
}

bool PacketRelay::Put(std::size_t slot, const lon::Packet& packet, std::int64_t nowMs) {
    if (IsRequest(packet)) {
        m_outstanding[slot] = nowMs;
    }
    if (m_trace) {
        m_trace(true, slot, packet);
    }
    return m_link.Send(packet);
}

bool PacketRelay::FromNode(std::size_t slot, const lon::Packet& packet, std::int64_t nowMs) {
    if (!IsRequest(packet)) {
        return Put(slot, packet, nowMs);
    }
    // A process's new request (or its retry) replaces the one it had: it waits for one only.
    m_outstanding.erase(slot);
    std::erase_if(m_held, [slot](const Waiting& waiting) { return waiting.slot == slot; });
    if (m_held.empty() && Place(nowMs)) {
        return Put(slot, packet, nowMs);
    }
    m_held.push_back({slot, packet});
    Pump(nowMs);
    return true;
}

std::optional<std::size_t> PacketRelay::FromLink(const lon::Packet& packet, std::int64_t nowMs) {
    const auto found = std::find_if(m_nodes.begin(), m_nodes.end(), [&](const auto& entry) {
        return entry.second == packet.source;
    });
    if (found == m_nodes.end()) {
        Pump(nowMs);
        return std::nullopt;
    }
    if (!IsRequest(packet)) {
        m_outstanding.erase(found->first);
    }
    if (m_trace) {
        m_trace(false, found->first, packet);
    }
    Pump(nowMs);
    return found->first;
}

void PacketRelay::Pump(std::int64_t nowMs) {
    while (!m_held.empty() && Place(nowMs)) {
        const Waiting next = std::move(m_held.front());
        m_held.pop_front();
        Put(next.slot, next.packet, nowMs);
    }
}

}  // namespace host::fleet

#include "host/lon/Transactions.h"

#include <algorithm>
#include <utility>

#include "host/lon/LonMessages.h"
#include "platform/crt/Clock.h"

namespace host::lon {

namespace {

// IDs from 1: 0 is left out, as it was never proven against a node.
constexpr int kFirstId = 1;
// Long enough for any late answer of a LAN to have come in.
constexpr std::int64_t kQuarantineMs = 2048;
// How often a silent node is asked whether it is back.
constexpr std::int64_t kProbeIntervalMs = 3000;

}  // namespace

Transactions::Transactions(PacketLink& link, platform::crt::Clock& clock, Route route,
                           Timing timing, unsigned firstId)
    : m_link(link),
      m_clock(clock),
      m_route(std::move(route)),
      m_timing(timing),
      m_lastId(
          static_cast<std::uint16_t>(kFirstId + firstId % (m_link.TransactionIds() - kFirstId))) {}

std::optional<std::vector<std::uint8_t>> Transactions::Request(std::span<const std::uint8_t> apdu) {
    auto answer = Exchange(Service::Request, apdu);
    if (!answer) {
        return std::nullopt;
    }
    return std::move(answer->apdu);
}

bool Transactions::Acknowledged(std::span<const std::uint8_t> apdu) {
    return Exchange(Service::Acknowledged, apdu).has_value();
}

std::optional<std::vector<std::uint8_t>> Transactions::TryOnce(std::span<const std::uint8_t> apdu) {
    auto answer = Exchange(Service::Request, apdu, true);
    if (!answer) {
        return std::nullopt;
    }
    return std::move(answer->apdu);
}

std::uint16_t Transactions::NextId() {
    // The next ID after the last that is out of quarantine; when none is, the one that leaves
    // it first. Never the last one itself: the node would take the request for a retry.
    const std::int64_t now = m_clock.NowMs();
    const int count = m_link.TransactionIds() - kFirstId;
    std::uint16_t best = 0;
    for (int step = 1; step < count; ++step) {
        const auto id = static_cast<std::uint16_t>(kFirstId + (m_lastId - kFirstId + step) % count);
        if (m_quarantineUntil[id] <= now) {
            best = id;
            break;
        }
        if (best == 0 || m_quarantineUntil[id] < m_quarantineUntil[best]) {
            best = id;
        }
    }
    m_lastId = best;
    return best;
}

bool Transactions::IsAnswer(const Packet& request, const Packet& received) const {
    if (received.source != request.destination || received.destination != request.source ||
        received.domain != request.domain || received.transaction != request.transaction) {
        return false;
    }
    if (request.service == Service::Acknowledged) {
        return received.service == Service::Acknowledgement;
    }
    return received.service == Service::Response && Answers(request.apdu, received.apdu);
}

std::optional<Packet> Transactions::Exchange(Service service, std::span<const std::uint8_t> apdu,
                                             bool once) {
    const bool fullTry = std::exchange(m_fullTry, false);
    if (platform::crt::StopRequested()) {
        m_failure = Failure::Stopped;
        return std::nullopt;
    }
    int tries = once ? 1 : m_timing.retries + 1;
    if (m_silentSince && !fullTry) {
        if (m_clock.NowMs() < m_nextProbeMs) {
            m_failure = Failure::Silent;
            return std::nullopt;
        }
        tries = 1;  // a probe: is the node back?
    }
    const Packet request{m_route.host, m_route.node, m_route.domain,
                         service,      NextId(),     {apdu.begin(), apdu.end()}};
    Packet received;
    bool sent = false;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0) {
            m_answering = false;
        }
        sent = m_link.Send(request) || sent;  // a packet that cannot leave is a lost one
        const std::int64_t end = m_clock.NowMs() + m_timing.timeoutMs;
        for (std::int64_t now = m_clock.NowMs(); now < end; now = m_clock.NowMs()) {
            platform::crt::WhileBlocked(platform::crt::Blocked::HostCall);
            if (platform::crt::StopRequested()) {
                // Abandoned: its answer may still come, and must not pass for another's.
                m_quarantineUntil[request.transaction] = m_clock.NowMs() + kQuarantineMs;
                m_failure = Failure::Stopped;
                return std::nullopt;
            }
            const std::int64_t wait = std::min(platform::crt::kBlockingSliceMs, end - now);
            if (m_link.Receive(wait, received) && IsAnswer(request, received)) {
                if (attempt > 0) {
                    m_quarantineUntil[request.transaction] = m_clock.NowMs() + kQuarantineMs;
                }
                m_answering = true;
                m_silentSince.reset();
                m_failure = Failure::None;
                return received;
            }
        }
    }
    m_quarantineUntil[request.transaction] = m_clock.NowMs() + kQuarantineMs;
    if (once) {
        m_failure = Failure::NoAnswer;
        return std::nullopt;  // a question of form, not of the node's presence
    }
    m_answering = false;
    if (!m_silentSince) {
        m_silentSince = m_clock.Local();
    }
    m_nextProbeMs = m_clock.NowMs() + kProbeIntervalMs;
    m_failure = sent ? Failure::NoAnswer : Failure::NotSent;
    return std::nullopt;
}

}  // namespace host::lon

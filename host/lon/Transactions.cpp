#include "host/lon/Transactions.h"

#include <algorithm>

#include "host/lon/LonMessages.h"
#include "platform/crt/Clock.h"

namespace host::lon {

namespace {

// IDs 1 to 15: 0 is left out, as it was never proven against a node.
constexpr int kFirstId = 1;
constexpr int kIdCount = kTransactionIds - kFirstId;
// Long enough for any late answer of a LAN to have come in.
constexpr std::int64_t kQuarantineMs = 2048;

}  // namespace

Transactions::Transactions(PacketLink& link, platform::crt::Clock& clock, Route route,
                           Timing timing, unsigned firstId)
    : m_link(link),
      m_clock(clock),
      m_route(std::move(route)),
      m_timing(timing),
      m_lastId(static_cast<std::uint8_t>(kFirstId + firstId % kIdCount)) {}

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

std::uint8_t Transactions::NextId() {
    // The next ID after the last that is out of quarantine; when none is, the one that leaves
    // it first. Never the last one itself: the node would take the request for a retry.
    const std::int64_t now = m_clock.NowMs();
    std::uint8_t best = 0;
    for (int step = 1; step < kIdCount; ++step) {
        const auto id =
            static_cast<std::uint8_t>(kFirstId + (m_lastId - kFirstId + step) % kIdCount);
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

std::optional<Packet> Transactions::Exchange(Service service, std::span<const std::uint8_t> apdu) {
    const Packet request{m_route.host, m_route.node, m_route.domain,
                         service,      NextId(),     {apdu.begin(), apdu.end()}};
    Packet received;
    for (int attempt = 0; attempt <= m_timing.retries; ++attempt) {
        if (attempt > 0) {
            m_answering = false;
        }
        m_link.Send(request);  // a packet that cannot leave is a lost one
        const std::int64_t end = m_clock.NowMs() + m_timing.timeoutMs;
        for (std::int64_t now = m_clock.NowMs(); now < end; now = m_clock.NowMs()) {
            platform::crt::WhileBlocked(platform::crt::Blocked::HostCall);
            const std::int64_t wait = std::min(platform::crt::kBlockingSliceMs, end - now);
            if (m_link.Receive(wait, received) && IsAnswer(request, received)) {
                if (attempt > 0) {
                    m_quarantineUntil[request.transaction] = m_clock.NowMs() + kQuarantineMs;
                }
                m_answering = true;
                return received;
            }
        }
    }
    m_answering = false;
    m_quarantineUntil[request.transaction] = m_clock.NowMs() + kQuarantineMs;
    return std::nullopt;
}

}  // namespace host::lon

#pragma once
// The transactions with one node, over any link that carries LonTalk packets: each request goes
// out with a transaction ID of its own and is resent, identical, after each timeout until its
// answer comes or the retries are spent. The node answers a resent request from its receive
// record without executing it again, so a lost request and a lost answer cost time only. An
// answer counts only when it comes from the node to the host in their domain, with the
// request's transaction ID and an answer code of the request; anything else is ignored.
//
// Once a request found no answer the node is taken for silent: a request then fails at once,
// except one probe (a single try) every few seconds and the first request of a user's action
// (a full try); the first answer ends that. A stop asked for (platform::crt::RequestStop)
// abandons the request in flight and lets no other start.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/lon/LonFrame.h"
#include "host/lon/LonPacket.h"

#include "platform/crt/Clock.h"

namespace host::lon {

struct Timing {
    // The node keeps its receive record for 2048 ms by default: every try of a request must
    // fall within it, (retries + 1) x timeout below that, or a retry may be executed again.
    std::int64_t timeoutMs = 500;
    int retries = 2;
};

// Who talks to whom: the host and the node, in their domain.
struct Route {
    SubnetNode host;
    SubnetNode node;
    Bytes domain;
};

class Transactions {
  public:
    // Why the last request or message failed.
    enum class Failure { None, NoAnswer, Silent, NotSent, Stopped };

    // firstId: where the transaction IDs start (random, so that a restarted host is not taken
    // for a duplicate of its last request).
    Transactions(PacketLink& link, platform::crt::Clock& clock, Route route, Timing timing,
                 unsigned firstId);

    // Sends the request APDU with the request/response service; the answer's APDU, or nothing
    // when none came within timeout x (retries + 1).
    std::optional<std::vector<std::uint8_t>> Request(std::span<const std::uint8_t> apdu);
    // Sends the APDU with the acknowledged service; whether its acknowledgement came.
    bool Acknowledged(std::span<const std::uint8_t> apdu);
    // The request with a single try, which leaves the node's state as it was when no answer
    // comes: for asking whether the node understands a form of message.
    std::optional<std::vector<std::uint8_t>> TryOnce(std::span<const std::uint8_t> apdu);

    // False from the first try that went unanswered until an answer comes again.
    bool Answering() const { return m_answering; }
    const Timing& GetTiming() const { return m_timing; }
    Failure LastFailure() const { return m_failure; }
    // When the node was found silent (local time of the clock); nothing while it answers.
    const std::optional<platform::crt::LocalDateTime>& SilentSince() const { return m_silentSince; }
    // What is wrong with the link itself (for a request that could not be sent).
    std::string LinkProblem() const { return m_link.Problem(); }
    // The next request gets a full try even when the node is silent.
    void GrantFullTry() { m_fullTry = true; }

  private:
    std::optional<Packet> Exchange(Service service, std::span<const std::uint8_t> apdu,
                                   bool once = false);
    std::uint16_t NextId();
    bool IsAnswer(const Packet& request, const Packet& received) const;

    PacketLink& m_link;
    platform::crt::Clock& m_clock;
    Route m_route;
    Timing m_timing;
    std::uint16_t m_lastId;
    // Until when an ID is not given out again: a request that was resent or went unanswered
    // may still have answers on their way, which must not pass for a later request's. As many
    // as the link carries at most (12-bit IDs); the link says how many it carries now.
    std::vector<std::int64_t> m_quarantineUntil =
        std::vector<std::int64_t>(kEnhancedTransactionIds, 0);
    bool m_answering = true;
    Failure m_failure = Failure::None;
    std::optional<platform::crt::LocalDateTime> m_silentSince;
    std::int64_t m_nextProbeMs = 0;
    bool m_fullTry = false;
};

}  // namespace host::lon

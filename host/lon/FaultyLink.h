#pragma once
// A link that loses, duplicates and delays packets, for tests of the transactions on a bad
// network or channel, whatever link it wraps: the kernel here has no netem. Requests are dropped
// and duplicated but never delayed, since a request that overtook its own retry would be a new
// request to the node; answers are dropped, duplicated and delayed. The faults follow a seeded
// generator, so that a run can be repeated.

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include "host/lon/LonPacket.h"

namespace platform::crt {
class Clock;
}

namespace host::lon {

struct Faults {
    int dropPercent = 0;
    int duplicatePercent = 0;
    int delayPercent = 0;
    std::int64_t delayMaxMs = 0;
    unsigned seed = 1;
};

// "drop=10 duplicate=5 delay=20:300 seed=7" (delay: percent and longest delay in ms); every
// word optional. Nothing, with a message, for anything else.
std::optional<Faults> ParseFaults(const std::string& text, std::string& error);

class FaultyLink final : public PacketLink {
  public:
    FaultyLink(PacketLink& inner, platform::crt::Clock& clock, const Faults& faults);

    bool Send(const Packet& packet) override;
    bool Receive(std::int64_t waitMs, Packet& packet) override;
    std::string Problem() const override { return m_inner.Problem(); }
    int TransactionIds() const override { return m_inner.TransactionIds(); }

  private:
    struct Held {
        std::int64_t dueMs;
        Packet packet;
    };
    bool Happens(int percent);
    // Takes the held packet that is due first, if it is due by now.
    bool TakeDue(Packet& packet);

    PacketLink& m_inner;
    platform::crt::Clock& m_clock;
    Faults m_faults;
    std::mt19937 m_random;
    std::deque<Held> m_held;
};

}  // namespace host::lon

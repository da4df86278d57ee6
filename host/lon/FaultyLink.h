#pragma once
// A datagram link that loses, duplicates and delays datagrams, for tests of the transactions on
// a bad network: the kernel here has no netem. Requests are dropped and duplicated but never
// delayed, since a request that overtook its own retry would be a new request to the node;
// answers are dropped, duplicated and delayed. The faults follow a seeded generator, so that a
// run can be repeated.

#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include "host/lon/DatagramLink.h"

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

class FaultyLink final : public DatagramLink {
  public:
    FaultyLink(DatagramLink& inner, platform::crt::Clock& clock, const Faults& faults);

    bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) override;
    bool Receive(std::int64_t waitMs, Endpoint& from, std::vector<std::uint8_t>& datagram) override;

  private:
    struct Held {
        std::int64_t dueMs;
        Endpoint from;
        std::vector<std::uint8_t> datagram;
    };
    bool Happens(int percent);
    // Takes the held datagram that is due first, if it is due by now.
    bool TakeDue(Endpoint& from, std::vector<std::uint8_t>& datagram);

    DatagramLink& m_inner;
    platform::crt::Clock& m_clock;
    Faults m_faults;
    std::mt19937 m_random;
    std::deque<Held> m_held;
};

}  // namespace host::lon

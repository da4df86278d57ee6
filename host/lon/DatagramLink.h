#pragma once
// Where the transaction engine sends and receives its datagrams: a UDP socket, or in a test a
// scripted link. Endpoints are IPv4 addresses and ports in host byte order.

#include <cstdint>
#include <span>
#include <vector>

namespace host::lon {

inline constexpr std::uint16_t kLonIpPort = 2541;

struct Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = kLonIpPort;

    bool operator==(const Endpoint&) const = default;
};

class DatagramLink {
  public:
    virtual ~DatagramLink() = default;
    // False when the datagram could not be sent.
    virtual bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) = 0;
    // Waits at most waitMs for a datagram; false when none came.
    virtual bool Receive(std::int64_t waitMs, Endpoint& from,
                         std::vector<std::uint8_t>& datagram) = 0;
};

}  // namespace host::lon

#pragma once
// The LON/IP datagram: the LS/UDP header (legacy mode, subnet/node addressing taken from the
// IP addresses), the session or transport header with its transaction ID, and the APDU.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/lon/LonPacket.h"

namespace host::lon {

inline constexpr int kTransactionIds = 16;  // 4-bit IDs in legacy mode

struct Frame {
    Service service = Service::Request;
    std::uint8_t transaction = 0;  // 0 to 15
    std::vector<std::uint8_t> apdu;

    bool operator==(const Frame&) const = default;
};

std::vector<std::uint8_t> EncodeFrame(const Frame& frame);
// Nothing for a datagram that is not a legacy-mode subnet/node frame of one of the four kinds.
std::optional<Frame> DecodeFrame(std::span<const std::uint8_t> datagram);

}  // namespace host::lon

#pragma once
// The LON/IP datagram: the LS/UDP header (legacy mode, subnet/node addressing taken from the
// IP addresses), the session or transport header with its transaction ID, and the APDU.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/lon/LonPacket.h"

namespace host::lon {

inline constexpr int kTransactionIds = 16;            // 4-bit IDs in legacy mode
inline constexpr int kEnhancedTransactionIds = 4096;  // 12-bit IDs in enhanced mode

struct Frame {
    Service service = Service::Request;
    std::uint16_t transaction = 0;  // 0 to 15, enhanced 0 to 4095
    std::vector<std::uint8_t> apdu;
    bool enhanced = false;  // LS/UDP enhanced mode: 12-bit transaction IDs

    bool operator==(const Frame&) const = default;
};

std::vector<std::uint8_t> EncodeFrame(const Frame& frame);
// Nothing for a datagram that is not a legacy or enhanced mode subnet/node frame of one of the
// four kinds.
std::optional<Frame> DecodeFrame(std::span<const std::uint8_t> datagram);

}  // namespace host::lon

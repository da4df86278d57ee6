#include "host/lon/LonFrame.h"

namespace host::lon {

namespace {

constexpr std::uint8_t kLegacyVersion = 0x00;
constexpr std::uint8_t kEnhancedVersion = 0x10;
constexpr std::uint8_t kSubnetNodeFormat = 0x1;  // address format, high nibble of byte 1
constexpr std::uint8_t kTpdu = 0x0;              // PDU format, low two bits of byte 1
constexpr std::uint8_t kSpdu = 0x1;
constexpr std::uint8_t kFirstKind = 0x0;   // request, acknowledged message
constexpr std::uint8_t kSecondKind = 0x2;  // response, acknowledgement

bool IsSession(Service service) {
    return service == Service::Request || service == Service::Response;
}

bool IsReply(Service service) {
    return service == Service::Response || service == Service::Acknowledgement;
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
    std::vector<std::uint8_t> datagram;
    datagram.reserve(4 + frame.apdu.size());
    datagram.push_back(frame.enhanced ? kEnhancedVersion : kLegacyVersion);
    datagram.push_back(kSubnetNodeFormat << 4 | (IsSession(frame.service) ? kSpdu : kTpdu));
    const int kind = IsReply(frame.service) ? kSecondKind : kFirstKind;
    if (frame.enhanced) {
        datagram.push_back(static_cast<std::uint8_t>(kind << 4 | (frame.transaction >> 8 & 0x0F)));
        datagram.push_back(static_cast<std::uint8_t>(frame.transaction & 0xFF));
    } else {
        datagram.push_back(static_cast<std::uint8_t>(kind << 4 | (frame.transaction & 0x0F)));
    }
    datagram.insert(datagram.end(), frame.apdu.begin(), frame.apdu.end());
    return datagram;
}

std::optional<Frame> DecodeFrame(std::span<const std::uint8_t> datagram) {
    const bool enhanced = !datagram.empty() && datagram[0] == kEnhancedVersion;
    const std::size_t header = enhanced ? 4 : 3;
    if (datagram.size() < header || (datagram[0] != kLegacyVersion && !enhanced) ||
        datagram[1] >> 4 != kSubnetNodeFormat) {
        return std::nullopt;
    }
    const std::uint8_t format = datagram[1] & 0x03;
    const std::uint8_t kind = datagram[2] >> 4;
    if ((format != kSpdu && format != kTpdu) || (kind != kFirstKind && kind != kSecondKind)) {
        return std::nullopt;
    }
    Frame frame;
    if (format == kSpdu) {
        frame.service = kind == kFirstKind ? Service::Request : Service::Response;
    } else {
        frame.service = kind == kFirstKind ? Service::Acknowledged : Service::Acknowledgement;
    }
    frame.enhanced = enhanced;
    frame.transaction = static_cast<std::uint16_t>(
        enhanced ? (datagram[2] & 0x0F) << 8 | datagram[3] : datagram[2] & 0x0F);
    frame.apdu.assign(datagram.begin() + static_cast<std::ptrdiff_t>(header), datagram.end());
    return frame;
}

}  // namespace host::lon

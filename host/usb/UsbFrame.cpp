#include "host/usb/UsbFrame.h"

#include <array>

#include "host/usb/Crc16.h"

namespace host::usb {

namespace {

constexpr std::uint8_t kDeltaBacklogOne = 0x01;  // a request or message: one answer to come
constexpr std::uint8_t kTpdu = 0;                // PDU format, bits 5-4 of the NPDU's first byte
constexpr std::uint8_t kSpdu = 1;
constexpr std::uint8_t kSubnetNode = 2;      // address format, bits 3-2
constexpr std::uint8_t kSelectorBit = 0x80;  // on a source node: subnet/node (not group) form
constexpr std::uint8_t kNodeMask = 0x7F;
constexpr std::uint8_t kFirstKind = 0x0;   // request, acknowledged message
constexpr std::uint8_t kSecondKind = 0x2;  // response, acknowledgement
constexpr std::size_t kCrcBytes = 2;
constexpr std::size_t kAddressBytes = 4;
constexpr std::array<std::size_t, 4> kDomainLengths{0, 1, 3, 6};

bool IsSession(lon::Service service) {
    return service == lon::Service::Request || service == lon::Service::Response;
}

bool IsReply(lon::Service service) {
    return service == lon::Service::Response || service == lon::Service::Acknowledgement;
}

std::uint8_t DomainCode(std::size_t length) {
    for (std::uint8_t code = 0; code < kDomainLengths.size(); ++code) {
        if (kDomainLengths[code] == length) {
            return code;
        }
    }
    return 0;  // an unsupported domain length goes as the zero-length domain
}

}  // namespace

std::vector<std::uint8_t> EncodeDownlinkFrame(const Packet& packet) {
    const std::uint8_t domainCode = DomainCode(packet.domain.size());
    std::vector<std::uint8_t> data;
    data.reserve(2 + kAddressBytes + packet.domain.size() + 1 + packet.apdu.size());
    data.push_back(IsReply(packet.service) ? 0 : kDeltaBacklogOne);
    data.push_back(static_cast<std::uint8_t>((IsSession(packet.service) ? kSpdu : kTpdu) << 4 |
                                             kSubnetNode << 2 | domainCode));
    data.push_back(packet.source.subnet);
    data.push_back(kSelectorBit | (packet.source.node & kNodeMask));
    data.push_back(packet.destination.subnet);
    data.push_back(kSelectorBit | (packet.destination.node & kNodeMask));
    data.insert(data.end(), packet.domain.begin(),
                packet.domain.begin() + static_cast<std::ptrdiff_t>(kDomainLengths[domainCode]));
    data.push_back(static_cast<std::uint8_t>(
        (IsReply(packet.service) ? kSecondKind : kFirstKind) << 4 | (packet.transaction & 0x0F)));
    data.insert(data.end(), packet.apdu.begin(), packet.apdu.end());
    return data;
}

FrameVerdict DecodeUplinkFrame(std::span<const std::uint8_t> data, Packet& packet) {
    // Header, NPDU's first byte, CRC at least.
    if (data.size() < 2 + kCrcBytes) {
        return FrameVerdict::Broken;
    }
    const auto frame = data.first(data.size() - kCrcBytes);
    const std::uint16_t crc =
        static_cast<std::uint16_t>(data[data.size() - 2] << 8 | data[data.size() - 1]);
    if (FrameCrc(frame) != crc) {
        return FrameVerdict::Broken;
    }
    const std::uint8_t npdu = frame[1];
    if (npdu >> 6 != 0) {
        return FrameVerdict::Broken;  // a protocol version this host does not speak
    }
    const std::uint8_t format = npdu >> 4 & 0x03;
    const std::uint8_t addressing = npdu >> 2 & 0x03;
    const std::size_t domainLength = kDomainLengths[npdu & 0x03];
    if (addressing != kSubnetNode) {
        return FrameVerdict::NotForUs;
    }
    std::size_t at = 2;
    if (frame.size() < at + kAddressBytes + domainLength) {
        return FrameVerdict::Broken;
    }
    if ((frame[at + 1] & kSelectorBit) == 0) {
        return FrameVerdict::NotForUs;  // a group member's answer, not one to a node
    }
    Packet decoded;
    decoded.source = {frame[at], static_cast<std::uint8_t>(frame[at + 1] & kNodeMask)};
    decoded.destination = {frame[at + 2], static_cast<std::uint8_t>(frame[at + 3] & kNodeMask)};
    at += kAddressBytes;
    decoded.domain.assign(frame.begin() + static_cast<std::ptrdiff_t>(at),
                          frame.begin() + static_cast<std::ptrdiff_t>(at + domainLength));
    at += domainLength;
    if (format != kSpdu && format != kTpdu) {
        return FrameVerdict::NotForUs;  // authentication or a bare APDU: not an answer
    }
    if (frame.size() <= at) {
        return FrameVerdict::Broken;
    }
    const std::uint8_t kind = frame[at] >> 4;
    if (kind != kFirstKind && kind != kSecondKind) {
        return FrameVerdict::NotForUs;  // reminders, authenticated PDUs
    }
    if (format == kSpdu) {
        decoded.service = kind == kFirstKind ? lon::Service::Request : lon::Service::Response;
    } else {
        decoded.service =
            kind == kFirstKind ? lon::Service::Acknowledged : lon::Service::Acknowledgement;
    }
    decoded.transaction = frame[at] & 0x0F;
    decoded.apdu.assign(frame.begin() + static_cast<std::ptrdiff_t>(at + 1), frame.end());
    packet = std::move(decoded);
    return FrameVerdict::Taken;
}

}  // namespace host::usb

#include "host/lon/LsUdpLink.h"

#include <string>

#include "host/lon/LonAddress.h"
#include "host/lon/LonFrame.h"

namespace host::lon {

LsUdpLink::LsUdpLink(DatagramLink& datagrams, Bytes domain, SubnetNode host)
    : m_datagrams(datagrams), m_domain(std::move(domain)), m_host(host) {}

std::uint32_t LsUdpLink::AddressOf(SubnetNode device) const {
    std::string error;
    return DerivedIpv4(LonAddress{m_domain, device.subnet, device.node}, error).value_or(0);
}

bool LsUdpLink::Send(const Packet& packet) {
    const std::uint32_t to = AddressOf(packet.destination);
    if (to == 0 || packet.domain != m_domain || packet.source != m_host ||
        packet.transaction >= TransactionIds()) {
        return false;  // LON/IP cannot carry it: its addresses are the IP addresses
    }
    return m_datagrams.Send({to, kLonIpPort}, EncodeFrame({packet.service, packet.transaction,
                                                           packet.apdu, m_enhanced}));
}

int LsUdpLink::TransactionIds() const {
    return m_enhanced ? kEnhancedTransactionIds : kTransactionIds;
}

bool LsUdpLink::Receive(std::int64_t waitMs, Packet& packet) {
    Endpoint from;
    std::vector<std::uint8_t> datagram;
    if (!m_datagrams.Receive(waitMs, from, datagram)) {
        return false;
    }
    // The device is the one whose derived address sent it; anything else is not of the domain.
    const SubnetNode source{static_cast<std::uint8_t>(from.address >> 8 & 0xFF),
                            static_cast<std::uint8_t>(from.address & 0xFF)};
    auto frame = DecodeFrame(datagram);
    // An answer in the other mode is an old one, from before the mode changed.
    if (!frame || frame->enhanced != m_enhanced || from.port != kLonIpPort ||
        AddressOf(source) != from.address) {
        return false;
    }
    packet = Packet{
        source, m_host, m_domain, frame->service, frame->transaction, std::move(frame->apdu)};
    return true;
}

}  // namespace host::lon

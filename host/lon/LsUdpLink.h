#pragma once
// LonTalk packets over LON/IP: each packet is an LS/UDP datagram to the derived IP address of
// its destination, and the subnet/node of a datagram that comes in is the one its source
// address derives from. The link serves one domain and one host address in it.

#include <cstdint>

#include "host/lon/DatagramLink.h"
#include "host/lon/LonPacket.h"

namespace host::lon {

class LsUdpLink final : public PacketLink {
  public:
    // datagrams: the socket bound to the host's derived address (or a test's link).
    LsUdpLink(DatagramLink& datagrams, Bytes domain, SubnetNode host);

    bool Send(const Packet& packet) override;
    bool Receive(std::int64_t waitMs, Packet& packet) override;
    int TransactionIds() const override;

    // LS/UDP enhanced mode (12-bit transaction IDs), for a node that answers in it.
    void SetEnhanced(bool enhanced) { m_enhanced = enhanced; }
    bool Enhanced() const { return m_enhanced; }

    // The derived address of a device of the link's domain; 0 where the domain has none.
    std::uint32_t AddressOf(SubnetNode device) const;

  private:
    DatagramLink& m_datagrams;
    Bytes m_domain;
    SubnetNode m_host;
    bool m_enhanced = false;
};

}  // namespace host::lon

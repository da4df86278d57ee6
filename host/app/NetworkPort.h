#pragma once
// The host's port on the nodes' network, whichever way it is reached: a USB network interface on
// the nodes' channel, or the UDP socket of the host's LON/IP address. It owns what carries the
// packets (and the fault injection of QMA7_LON_FAULTS over it) and says what the transactions and
// the fleet's relay must know of it. A new way to reach the network is one more branch here.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/lon/LonAddress.h"
#include "host/lon/LonPacket.h"

namespace platform::crt {
class Clock;
}

namespace host {

namespace lon {
class FaultyLink;
class LsUdpLink;
class PacketLink;
class Transactions;
class UdpLink;
}  // namespace lon
namespace usb {
class UsbPacketLink;
}  // namespace usb

// The way to the network as the options and the node list give it: a USB interface (a tty path
// or "auto", and its kind when told), else LON/IP.
struct PortChoice {
    std::optional<std::string> usbDevice;
    std::optional<std::string> usbKind;
};

class NetworkPort {
  public:
    // Words for a UDP socket that cannot be opened (errorNumber: errno) at the host's address.
    using SocketMessage = std::string (*)(int errorNumber, const lon::LonAddress& host,
                                          std::uint32_t ip);

    // Opens the port of host towards node's domain. Every problem is found before anything is
    // sent: the interface (missing, of no known kind) or the addresses. nullptr with a message.
    static std::unique_ptr<NetworkPort> Open(const PortChoice& choice, const lon::LonAddress& node,
                                             const lon::LonAddress& host,
                                             platform::crt::Clock& clock,
                                             SocketMessage socketMessage, std::string& error);
    ~NetworkPort();
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    lon::PacketLink& Link() { return *m_link; }
    // A descriptor that becomes readable when a packet came (-1: none; ask the link instead).
    int Descriptor() const;
    // Requests outstanding on the port at most (PacketRelay::kUnbounded: no bound).
    std::size_t RequestBound() const;
    // How the host reaches the node, as the status line says it: "LON/IP", "USB /dev/ttyACM0".
    const std::string& Kind() const { return m_kind; }
    // A node as messages name it: its address, and on LON/IP the IP address it has there.
    std::string NodeText(const lon::LonAddress& node) const;
    // Where the port's encoding has an enhanced mode (LS/UDP: 12-bit transaction IDs, so that
    // an old answer cannot come back under a later request's ID), uses it when the node answers
    // in it. One try; a node without it stays on the legacy mode. A layer 2 frame has only the
    // 4-bit IDs.
    void ChooseMode(lon::Transactions& transactions);
    // Gives the port back as it was found (a USB interface's mode); also on a stop signal.
    void Close();

  private:
    NetworkPort();
    bool OpenUsb(const PortChoice& choice, const lon::SubnetNode& hostNode,
                 platform::crt::Clock& clock, std::string& error);
    bool OpenLonIp(const lon::LonAddress& node, const lon::LonAddress& host,
                   SocketMessage socketMessage, std::string& error);

    std::unique_ptr<lon::UdpLink> m_socket;
    std::unique_ptr<lon::LsUdpLink> m_packets;
    std::unique_ptr<usb::UsbPacketLink> m_usb;
    std::unique_ptr<lon::FaultyLink> m_faults;
    lon::PacketLink* m_link = nullptr;
    std::string m_kind;
};

}  // namespace host

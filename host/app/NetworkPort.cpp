#include "host/app/NetworkPort.h"

#include <cstdlib>

#include "host/app/UsbOption.h"
#include "host/fleet/PacketRelay.h"
#include "host/lon/FaultyLink.h"
#include "host/lon/LonMessages.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/Transactions.h"
#include "host/lon/UdpLink.h"
#include "host/usb/UsbPacketLink.h"

namespace host {

namespace {

// Faults for the tests of the transactions on a bad network: the kernel may lack netem.
constexpr const char* kFaultsVariable = "QMA7_LON_FAULTS";
// A USB interface in layer 2 mode holds 16 frames for the host and drops what comes beyond
// (the U60's uplink buffers, as u60sim has them), and every frame heard on the channel comes up:
// with at most 8 requests outstanding their answers fit at once with room for the channel's
// other traffic.
constexpr std::size_t kUsbBound = 8;
// On LON/IP every answer is a datagram of its own to the host's socket: nothing bounds the
// requests outstanding but the one per node that each node's transactions keep.
constexpr std::size_t kLonIpBound = fleet::PacketRelay::kUnbounded;

}  // namespace

NetworkPort::NetworkPort() = default;
NetworkPort::~NetworkPort() = default;

std::unique_ptr<NetworkPort> NetworkPort::Open(const PortChoice& choice,
                                               const lon::LonAddress& node,
                                               const lon::LonAddress& host,
                                               platform::crt::Clock& clock,
                                               SocketMessage socketMessage, std::string& error) {
    const lon::SubnetNode hostNode{static_cast<std::uint8_t>(host.subnet),
                                   static_cast<std::uint8_t>(host.node)};
    std::unique_ptr<NetworkPort> port(new NetworkPort);
    const bool opened = choice.usbDevice ? port->OpenUsb(choice, hostNode, clock, error)
                                         : port->OpenLonIp(node, host, socketMessage, error);
    if (!opened) {
        return nullptr;
    }
    if (const char* faults = std::getenv(kFaultsVariable)) {
        const auto parsed = lon::ParseFaults(faults, error);
        if (!parsed) {
            error = std::string(kFaultsVariable) + ": " + error;
            return nullptr;
        }
        port->m_faults = std::make_unique<lon::FaultyLink>(*port->m_link, clock, *parsed);
        port->m_link = port->m_faults.get();
    }
    return port;
}

bool NetworkPort::OpenUsb(const PortChoice& choice, const lon::SubnetNode& hostNode,
                          platform::crt::Clock& clock, std::string& error) {
    // Through a USB network interface on the node's channel.
    const auto usb = ChooseUsbInterface(*choice.usbDevice, choice.usbKind, SysfsRoot(), error);
    if (!usb) {
        return false;
    }
    m_usb = usb::UsbPacketLink::Open(usb->path, usb->family, hostNode, clock, error);
    if (!m_usb) {
        return false;
    }
    m_link = m_usb.get();
    m_kind = "USB " + usb->path;
    return true;
}

bool NetworkPort::OpenLonIp(const lon::LonAddress& node, const lon::LonAddress& host,
                            SocketMessage socketMessage, std::string& error) {
    const auto nodeIp = lon::DerivedIpv4(node, error);
    const auto hostIp = nodeIp ? lon::DerivedIpv4(host, error) : std::nullopt;
    if (!hostIp) {
        return false;
    }
    int errorNumber = 0;
    m_socket = lon::UdpLink::Open({*hostIp, lon::kLonIpPort}, errorNumber);
    if (!m_socket) {
        error = socketMessage(errorNumber, host, *hostIp);
        return false;
    }
    const lon::SubnetNode hostNode{static_cast<std::uint8_t>(host.subnet),
                                   static_cast<std::uint8_t>(host.node)};
    m_packets = std::make_unique<lon::LsUdpLink>(*m_socket, node.domain, hostNode);
    m_link = m_packets.get();
    m_kind = "LON/IP";
    return true;
}

int NetworkPort::Descriptor() const {
    return m_socket ? m_socket->Descriptor() : -1;
}

std::size_t NetworkPort::RequestBound() const {
    return m_usb ? kUsbBound : kLonIpBound;
}

std::string NetworkPort::NodeText(const lon::LonAddress& node) const {
    std::string error;
    const auto ip = m_socket ? lon::DerivedIpv4(node, error) : std::nullopt;
    return lon::FormatLonAddress(node) + (ip ? " (" + lon::FormatIpv4(*ip) + ")" : std::string());
}

void NetworkPort::ChooseMode(lon::Transactions& transactions) {
    if (!m_packets) {
        return;  // a USB interface carries layer 2 frames: no modes
    }
    m_packets->SetEnhanced(true);
    if (!transactions.TryOnce(lon::ReadProgramIdRequest())) {
        m_packets->SetEnhanced(false);
    }
}

void NetworkPort::Close() {
    if (m_usb) {
        m_usb->Close();
    }
}

}  // namespace host

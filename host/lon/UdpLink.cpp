#include "host/lon/UdpLink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

namespace host::lon {

namespace {

constexpr std::size_t kMaxDatagram = 1500;

sockaddr_in SocketAddress(const Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

// Whether a UDP socket of the machine is bound to exactly this address and port. The socket
// binds with SO_REUSEADDR (a node in the same namespace holds 0.0.0.0:2541 for its multicast
// groups), so the bind alone would not see another host program on the same address.
bool BoundAlready(const Endpoint& local) {
    std::ifstream table("/proc/net/udp");
    char wanted[16];
    // The kernel prints the address as the hex of its four bytes in memory order.
    std::snprintf(wanted, sizeof wanted, "%08X:%04X", htonl(local.address), local.port);
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && line.compare(colon + 2, 13, wanted) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<UdpLink> UdpLink::Open(const Endpoint& local, int& errorNumber) {
    if (BoundAlready(local)) {
        errorNumber = EADDRINUSE;
        return nullptr;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        errorNumber = errno;
        return nullptr;
    }
    const int on = 1;
    const sockaddr_in address = SocketAddress(local);
    if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        errorNumber = errno;
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<UdpLink>(new UdpLink(fd));
}

UdpLink::~UdpLink() {
    ::close(m_socket);
}

bool UdpLink::Send(const Endpoint& to, std::span<const std::uint8_t> datagram) {
    const sockaddr_in address = SocketAddress(to);
    const ssize_t sent = ::sendto(m_socket, datagram.data(), datagram.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == static_cast<ssize_t>(datagram.size());
}

bool UdpLink::Receive(std::int64_t waitMs, Endpoint& from, std::vector<std::uint8_t>& datagram) {
    pollfd ready{m_socket, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(waitMs, 0))) <= 0) {
        return false;  // the time passed, or a signal came: the caller looks at the clock
    }
    datagram.resize(kMaxDatagram);
    sockaddr_in address{};
    socklen_t size = sizeof address;
    const ssize_t got = ::recvfrom(m_socket, datagram.data(), datagram.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&address), &size);
    if (got < 0) {
        datagram.clear();
        return false;
    }
    datagram.resize(static_cast<std::size_t>(got));
    from = {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
    return true;
}

}  // namespace host::lon

#pragma once
// The host's LON/IP socket: UDP, bound to the host's derived address on port 2541, to which
// nodes send their answers.

#include <memory>

#include "host/lon/DatagramLink.h"

namespace host::lon {

class UdpLink final : public DatagramLink {
  public:
    // Binds local; nullptr with errno's code in errorNumber when it cannot. EADDRINUSE also when
    // another socket of the machine has bound that very address and port already.
    static std::unique_ptr<UdpLink> Open(const Endpoint& local, int& errorNumber);
    ~UdpLink() override;
    UdpLink(const UdpLink&) = delete;
    UdpLink& operator=(const UdpLink&) = delete;

    bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) override;
    bool Receive(std::int64_t waitMs, Endpoint& from, std::vector<std::uint8_t>& datagram) override;
    // The socket, for a caller that waits on it among other descriptors.
    int Descriptor() const { return m_socket; }

  private:
    explicit UdpLink(int socket) : m_socket(socket) {}
    int m_socket;
};

}  // namespace host::lon

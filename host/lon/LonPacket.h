#pragma once
// One LonTalk message between two subnet/node addresses of a domain, as the transaction engine
// sees it whatever carries it: a LON/IP datagram or a layer 2 frame on a channel. The link
// that carries it encodes it; the engine only builds requests and matches answers.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace host::lon {

using Bytes = std::vector<std::uint8_t>;

enum class Service : std::uint8_t {
    Request,          // request/response service: the request (SPDU)
    Response,         // its response (SPDU)
    Acknowledged,     // acknowledged service: the message (TPDU)
    Acknowledgement,  // its acknowledgement (TPDU, no APDU)
};

struct SubnetNode {
    std::uint8_t subnet = 0;  // 1 to 255
    std::uint8_t node = 0;    // 1 to 127

    bool operator==(const SubnetNode&) const = default;
};

struct Packet {
    SubnetNode source;
    SubnetNode destination;
    Bytes domain;  // 0, 1, 3 or 6 bytes
    Service service = Service::Request;
    std::uint16_t transaction = 0;
    Bytes apdu;

    bool operator==(const Packet&) const = default;
};

// The way the host sends and receives packets: a LON/IP socket, a USB network interface, or in
// tests a scripted node.
class PacketLink {
  public:
    virtual ~PacketLink() = default;
    // False when the packet could not be sent.
    virtual bool Send(const Packet& packet) = 0;
    // Waits at most waitMs for a packet addressed to the host; false when none came. Whatever
    // the link cannot decode, or that is addressed to another device, is not returned.
    virtual bool Receive(std::int64_t waitMs, Packet& packet) = 0;
    // What is wrong with the link itself now ("USB interface /dev/ttyACM0 gone"); empty while
    // it works.
    virtual std::string Problem() const { return {}; }
    // How many transaction IDs the link can carry now: 16 (4 bits), or 4096 where it carries
    // 12-bit IDs.
    virtual int TransactionIds() const { return 16; }
};

}  // namespace host::lon

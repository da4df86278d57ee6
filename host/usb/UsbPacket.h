#pragma once
// One LonTalk message between two subnet/node addresses, as the USB link carries it.

#include <cstdint>
#include <vector>

#include "host/lon/LonFrame.h"

namespace host::usb {

struct SubnetNode {
    std::uint8_t subnet = 0;
    std::uint8_t node = 0;
    bool operator==(const SubnetNode&) const = default;
};

struct Packet {
    SubnetNode source;
    SubnetNode destination;
    std::vector<std::uint8_t> domain;  // 0, 1, 3 or 6 bytes
    lon::Service service = lon::Service::Request;
    std::uint16_t transaction = 0;
    std::vector<std::uint8_t> apdu;
    bool operator==(const Packet&) const = default;
};

}  // namespace host::usb

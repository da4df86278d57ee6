#pragma once
// Where a node is on a LonWorks network: its domain, subnet and node number, written
// DOMAIN/SUBNET/NODE ("51/35/12": domain 0x51, subnet 35, node 12; "-/1/5" in the zero-length
// domain), and the IPv4 address that LON/IP derives from it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::lon {

struct LonAddress {
    std::vector<std::uint8_t> domain;  // 0, 1, 3 or 6 bytes
    int subnet = 0;                    // 1 to 255
    int node = 0;                      // 1 to 127

    bool operator==(const LonAddress&) const = default;
};

// "DOMAIN/SUBNET/NODE": the domain in hex (or "-"), subnet and node in decimal. Nothing, with
// a message in error, for anything else.
std::optional<LonAddress> ParseLonAddress(std::string_view text, std::string& error);
// "SUBNET/NODE" in the domain of node: the host's own address.
std::optional<LonAddress> ParseHostAddress(std::string_view text, const LonAddress& node,
                                           std::string& error);
// The DOMAIN/SUBNET/NODE text, the domain in upper-case hex.
std::string FormatLonAddress(const LonAddress& address);

// The derived IPv4 address (host byte order): 192.168.S.N in the zero-length domain, 10.D1.S.N
// in a one-byte domain, D1.D2.S.N in a three-byte domain whose last byte is 0. Nothing, with a
// message, for a domain the rule cannot map, or one whose addresses would be taken for another
// domain's or are no unicast addresses.
std::optional<std::uint32_t> DerivedIpv4(const LonAddress& address, std::string& error);
std::string FormatIpv4(std::uint32_t address);

}  // namespace host::lon

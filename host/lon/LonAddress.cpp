#include "host/lon/LonAddress.h"

#include <charconv>

#include "host/text/Hex.h"
#include "host/text/ShownText.h"

namespace host::lon {

namespace {

constexpr int kMaxSubnet = 255;
constexpr int kMaxNode = 127;

std::optional<int> Decimal(std::string_view text, int min, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<std::uint8_t>> Domain(std::string_view text) {
    std::string error;
    auto domain = text.empty() || text.find_first_of(" \t") != std::string_view::npos
                      ? std::nullopt
                      : ParseHex(text, error);
    if (!domain || (domain->empty() && text != "-") ||
        (domain->size() > 1 && domain->size() != 3 && domain->size() != 6)) {
        return std::nullopt;
    }
    return domain;
}

// Sets subnet and node from "SUBNET/NODE"; otherwise says which part is wrong.
bool SubnetNode(std::string_view text, LonAddress& address, std::string& why) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        why = "the node is missing";
        return false;
    }
    const std::string_view subnetText = text.substr(0, slash);
    const std::string_view nodeText = text.substr(slash + 1);
    const auto subnet = Decimal(subnetText, 1, kMaxSubnet);
    if (!subnet) {
        why = "the subnet \"" + ShownText(subnetText) + "\" is not a number 1 to 255";
        return false;
    }
    if (nodeText.find('/') != std::string_view::npos) {
        why = "there is more after the node";
        return false;
    }
    const auto node = Decimal(nodeText, 1, kMaxNode);
    if (!node) {
        why = "the node \"" + ShownText(nodeText) + "\" is not a number 1 to 127";
        return false;
    }
    address.subnet = *subnet;
    address.node = *node;
    return true;
}

std::string DomainText(const std::vector<std::uint8_t>& domain) {
    return FormatHex(domain);  // "-" for the zero-length domain
}

}  // namespace

std::optional<LonAddress> ParseLonAddress(std::string_view text, std::string& error) {
    LonAddress address;
    const std::size_t slash = text.find('/');
    std::string why;
    if (slash == std::string_view::npos) {
        why = "it has no subnet and node";
    } else if (const auto domain = Domain(text.substr(0, slash)); !domain) {
        why = "the domain \"" + ShownText(text.substr(0, slash)) +
              "\" is not 1, 3 or 6 bytes in hex, or - for none";
    } else if (SubnetNode(text.substr(slash + 1), address, why)) {
        address.domain = *domain;
        return address;
    }
    error = "\"" + ShownText(text) + "\" is no LON address: " + why +
            " (DOMAIN/SUBNET/NODE, the domain in hex, subnet 1-255 and node 1-127 in decimal, "
            "e.g. 51/35/12)";
    return std::nullopt;
}

std::optional<LonAddress> ParseHostAddress(std::string_view text, const LonAddress& node,
                                           std::string& error) {
    LonAddress address;
    address.domain = node.domain;
    std::string why;
    if (!SubnetNode(text, address, why)) {
        error = "\"" + ShownText(text) + "\" is no host address: " + why +
                " (SUBNET/NODE, subnet 1-255 and node 1-127, e.g. 35/126)";
        return std::nullopt;
    }
    return address;
}

std::string FormatLonAddress(const LonAddress& address) {
    return DomainText(address.domain) + "/" + std::to_string(address.subnet) + "/" +
           std::to_string(address.node);
}

std::optional<std::uint32_t> DerivedIpv4(const LonAddress& address, std::string& error) {
    const auto& d = address.domain;
    std::uint32_t prefix = 0;  // the first two bytes of the address
    if (d.empty()) {
        prefix = 192u << 8 | 168u;
    } else if (d.size() == 1) {
        prefix = 10u << 8 | d[0];
    } else if (d.size() == 3 && d[2] == 0) {
        // 10.x.x.x and 192.168.x.x belong to the shorter domains; 0, 127 and 224 up are no
        // unicast addresses of a network.
        if (d[0] == 10 || (d[0] == 192 && d[1] == 168) || d[0] == 0 || d[0] == 127 || d[0] >= 224) {
            error = "the domain " + DomainText(d) + " derives IP addresses " +
                    std::to_string(d[0]) + "." + std::to_string(d[1]) +
                    ".x.x, which LON/IP cannot use for it";
            return std::nullopt;
        }
        prefix = std::uint32_t{d[0]} << 8 | d[1];
    } else {
        error =
            "LON/IP derives IP addresses only for domains of 0, 1 or 3 bytes (the third 00); "
            "the domain of " +
            FormatLonAddress(address) + " has none";
        return std::nullopt;
    }
    return prefix << 16 | static_cast<std::uint32_t>(address.subnet) << 8 |
           static_cast<std::uint32_t>(address.node);
}

std::string FormatIpv4(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace host::lon

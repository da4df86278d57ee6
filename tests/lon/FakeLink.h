#pragma once
// A datagram link on a virtual clock for the LON/IP tests: it keeps every datagram sent, hands
// each to a scripted node, and delivers the datagrams queued for the host at their times.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/lon/DatagramLink.h"
#include "host/lon/LonFrame.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/Transactions.h"
#include "platform/crt/Clock.h"

namespace lontest {

using host::lon::Endpoint;
using Bytes = std::vector<std::uint8_t>;

inline const Endpoint kNode{0x0A51230C, 2541};  // 10.81.35.12:2541
// The host 51/35/126 and the node 51/35/12, as the transactions see them.
inline const host::lon::Route kRoute{{35, 126}, {35, 12}, {0x51}};

// "00 11 21 33 01" -> bytes.
inline Bytes Hex(const std::string& text) {
    Bytes bytes;
    std::string digits;
    for (const char c : text) {
        if (c != ' ') {
            digits += c;
        }
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

class FakeLink final : public host::lon::DatagramLink {
  public:
    explicit FakeLink(platform::crt::VirtualClock& clock) : m_clock(clock) {}

    // The node's part: called with each datagram the host sends.
    std::function<void(const Bytes&)> node;
    std::vector<Bytes> sent;

    // Queues a datagram for the host, arriving delayMs from now.
    void Arrive(const Bytes& datagram, std::int64_t delayMs = 0, Endpoint from = kNode) {
        m_queue.push_back({m_clock.NowMs() + delayMs, m_order++, from, datagram});
    }
    // Queues the answer to frame (a request or an acknowledged message) with apdu.
    void Answer(const Bytes& datagram, const Bytes& apdu, std::int64_t delayMs = 0) {
        const auto request = host::lon::DecodeFrame(datagram);
        const auto service = request->service == host::lon::Service::Request
                                 ? host::lon::Service::Response
                                 : host::lon::Service::Acknowledgement;
        Arrive(host::lon::EncodeFrame({service, request->transaction, apdu, request->enhanced}),
               delayMs);
    }

    bool Send(const Endpoint& to, std::span<const std::uint8_t> datagram) override {
        EXPECT_EQ(to, kNode);
        sent.emplace_back(datagram.begin(), datagram.end());
        if (node) {
            node(sent.back());
        }
        return true;
    }

    bool Receive(std::int64_t waitMs, Endpoint& from, Bytes& datagram) override {
        const std::int64_t end = m_clock.NowMs() + waitMs;
        const auto next =
            std::min_element(m_queue.begin(), m_queue.end(), [](const Queued& a, const Queued& b) {
                return a.at != b.at ? a.at < b.at : a.order < b.order;
            });
        if (next == m_queue.end() || next->at > end) {
            m_clock.AdvanceTo(end);
            return false;
        }
        m_clock.AdvanceTo(next->at);
        from = next->from;
        datagram = next->datagram;
        m_queue.erase(next);
        return true;
    }

    // The packets over this link, as LON/IP carries them between kRoute's host and node.
    host::lon::LsUdpLink packets{*this, kRoute.domain, kRoute.host};

  private:
    struct Queued {
        std::int64_t at;
        int order;
        Endpoint from;
        Bytes datagram;
    };
    platform::crt::VirtualClock& m_clock;
    std::vector<Queued> m_queue;
    int m_order = 0;
};

}  // namespace lontest

// Datagrams from the network into the transaction engine and the node link: whatever comes in
// (answers of any length, duplicates, other IDs and modes, scraps), nothing crashes, every
// answer taken is the answer to its request (its ID, its code, the NV asked for), and a fetched
// value of another length than the NV's is never passed on as success.
//
// Input: a mode byte (bit 0: enhanced mode), then records: delay (1 byte, ms), length (1 byte),
// datagram. Each record arrives from the node at its delay after the host's next request.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <vector>

#include "host/lon/LonFrame.h"
#include "host/lon/LonMessages.h"
#include "host/lon/LonNodeLink.h"
#include "host/lon/LsUdpLink.h"
#include "host/lon/Transactions.h"
#include "platform/crt/Clock.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr FuzzCheck Check{"LON datagrams"};
constexpr host::lon::Endpoint kNode{0x0A51230C, host::lon::kLonIpPort};  // 10.81.35.12
constexpr std::size_t kNvLength = 2;

struct Arrival {
    std::int64_t at;
    std::vector<std::uint8_t> datagram;
};

class ScriptedLink final : public host::lon::DatagramLink {
  public:
    ScriptedLink(platform::crt::VirtualClock& clock,
                 std::deque<std::pair<int, std::vector<std::uint8_t>>> records)
        : m_clock(clock), m_records(std::move(records)) {}

    std::vector<std::vector<std::uint8_t>> sent;

    bool Send(const host::lon::Endpoint&, std::span<const std::uint8_t> datagram) override {
        sent.emplace_back(datagram.begin(), datagram.end());
        if (!m_records.empty()) {
            auto [delay, bytes] = std::move(m_records.front());
            m_records.pop_front();
            m_queue.push_back({m_clock.NowMs() + delay, std::move(bytes)});
        }
        return true;
    }

    bool Receive(std::int64_t waitMs, host::lon::Endpoint& from,
                 std::vector<std::uint8_t>& datagram) override {
        const std::int64_t end = m_clock.NowMs() + waitMs;
        auto next =
            std::min_element(m_queue.begin(), m_queue.end(),
                             [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
        if (next == m_queue.end() || next->at > end) {
            m_clock.AdvanceTo(end);
            return false;
        }
        m_clock.AdvanceTo(next->at);
        from = kNode;
        datagram = std::move(next->datagram);
        m_queue.erase(next);
        return true;
    }

  private:
    platform::crt::VirtualClock& m_clock;
    std::deque<std::pair<int, std::vector<std::uint8_t>>> m_records;
    std::vector<Arrival> m_queue;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool enhanced = (data[0] & 1) != 0;
    std::deque<std::pair<int, std::vector<std::uint8_t>>> records;
    for (std::size_t at = 1; at + 2 <= size;) {
        const int delay = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        records.emplace_back(delay,
                             std::vector<std::uint8_t>(data + at + 2, data + at + 2 + length));
        at += 2 + length;
    }
    platform::crt::VirtualClock clock;
    ScriptedLink datagrams(clock, std::move(records));
    const host::lon::Route route{{35, 126}, {35, 12}, {0x51}};
    host::lon::LsUdpLink packets(datagrams, route.domain, route.host);
    packets.SetEnhanced(enhanced);
    host::lon::Transactions transactions(packets, clock, route, {100, 1}, 7);
    host::lon::LonNodeLink node(transactions, {{0x51}, 35, 12}, {});
    node.SetNvLengths({{1, kNvLength}});

    for (int round = 0; round < 8; ++round) {
        transactions.GrantFullTry();
        const std::size_t before = datagrams.sent.size();
        const auto request = host::lon::NvFetchRequest(round % 3);
        const auto answer = transactions.Request(request);
        if (answer) {
            Check(host::lon::Answers(request, *answer), "an answer to another question was taken");
            Check(datagrams.sent.size() > before, "an answer without a request");
            const auto frame = host::lon::DecodeFrame(datagrams.sent.back());
            Check(frame && frame->enhanced == enhanced, "the request left in the wrong mode");
        }
        std::array<std::uint8_t, 31> buffer{};
        std::size_t returned = 0;
        transactions.GrantFullTry();
        if (node.Read(1, buffer, returned)) {
            Check(returned == kNvLength, "a value of the wrong length passed for NV 1");
        } else {
            Check(node.LastError().Failed() && !node.LastError().text.empty(),
                  "a failed read without its reason");
        }
    }
    return 0;
}

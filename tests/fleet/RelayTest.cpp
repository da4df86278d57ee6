// The relay between a fleet's node processes and the one link: what crosses the socket pair,
// how packets are routed back, and the bound on requests outstanding on the link.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "host/fleet/PacketRelay.h"
#include "host/fleet/RelayLink.h"
#include "host/fleet/RelayMessage.h"

using namespace host::fleet;
using host::lon::Packet;
using host::lon::Service;
using host::lon::SubnetNode;

namespace {

constexpr SubnetNode kHost{35, 126};

Packet Request(SubnetNode node, std::uint8_t id) {
    return {kHost, node, {0x51}, Service::Request, id, {0x73, 0x01}};
}

Packet Answer(SubnetNode node, std::uint8_t id) {
    return {node, kHost, {0x51}, Service::Response, id, {0x33, 0x01, 0x36, 0xB0}};
}

class RecordingLink final : public host::lon::PacketLink {
  public:
    bool Send(const Packet& packet) override {
        sent.push_back(packet);
        return true;
    }
    bool Receive(std::int64_t, Packet&) override { return false; }
    std::vector<Packet> sent;
};

class SocketPair {
  public:
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0); }
    ~SocketPair() {
        for (const int fd : fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    void Put(const RelayMessage& message) {
        const auto bytes = EncodeRelayMessage(message);
        ASSERT_EQ(::send(fds[1], bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::optional<RelayMessage> Take() {
        std::vector<std::uint8_t> bytes(70000);
        const ssize_t got = ::recv(fds[1], bytes.data(), bytes.size(), MSG_DONTWAIT);
        if (got <= 0) {
            return std::nullopt;
        }
        bytes.resize(static_cast<std::size_t>(got));
        return DecodeRelayMessage(bytes);
    }
    int fds[2] = {-1, -1};
};

}  // namespace

TEST(RelayMessageTest, EveryKindCrossesWholeAndTruncatedOnesAreRefused) {
    RelayMessage packet;
    packet.packet = {kHost,
                     {35, 12},
                     {0x12, 0x34, 0x00},
                     Service::Acknowledged,
                     0x0ABC,
                     std::vector<std::uint8_t>(300, 0x5A)};
    RelayMessage progress;
    progress.kind = RelayMessage::Kind::Progress;
    progress.progress = {9, 26};
    RelayMessage result;
    result.kind = RelayMessage::Kind::Result;
    result.result = {Outcome::Differs, 3, "a\nb\n", "90 51", std::string("A\0B", 3)};
    for (const RelayMessage& message : {packet, progress, result}) {
        const auto bytes = EncodeRelayMessage(message);
        const auto back = DecodeRelayMessage(bytes);
        ASSERT_TRUE(back);
        EXPECT_EQ(EncodeRelayMessage(*back), bytes);
        // A message cut anywhere is no message (a packet's APDU may be cut: it has no length).
        if (message.kind != RelayMessage::Kind::Packet) {
            for (std::size_t size = 0; size < bytes.size(); ++size) {
                EXPECT_FALSE(DecodeRelayMessage({bytes.begin(), bytes.begin() + size})) << size;
            }
        }
    }
    EXPECT_EQ(DecodeRelayMessage(EncodeRelayMessage(packet))->packet, packet.packet);
    EXPECT_EQ(DecodeRelayMessage(EncodeRelayMessage(result))->result.name, std::string("A\0B", 3));
    // A domain longer than LonTalk has, an unknown service or kind.
    EXPECT_FALSE(DecodeRelayMessage({'P', 35, 126, 35, 12, 7, 1, 2, 3, 4, 5, 6, 7, 0, 0, 1}));
    EXPECT_FALSE(DecodeRelayMessage({'P', 35, 126, 35, 12, 0, 9, 0, 1}));
    EXPECT_FALSE(DecodeRelayMessage({'X', 0}));
    EXPECT_FALSE(DecodeRelayMessage({}));
}

TEST(RelayLinkTest, PacketsCrossThePairReportsGoOutAndAClosedPeerEndsTheWait) {
    SocketPair pair;
    RelayLink link(pair.fds[0]);
    ASSERT_TRUE(link.Send(Request({35, 12}, 4)));
    ASSERT_TRUE(link.Report(Progress{3, 26}));
    auto sent = pair.Take();
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->packet, Request({35, 12}, 4));
    EXPECT_EQ(pair.Take()->progress.done, 3);

    // Only packets are received; anything else on the pair is passed over.
    RelayMessage noise;
    noise.kind = RelayMessage::Kind::Progress;
    pair.Put(noise);
    RelayMessage answer;
    answer.packet = Answer({35, 12}, 4);
    pair.Put(answer);
    Packet packet;
    ASSERT_TRUE(link.Receive(1000, packet));
    EXPECT_EQ(packet, Answer({35, 12}, 4));
    EXPECT_FALSE(link.Receive(0, packet));
    EXPECT_TRUE(link.Problem().empty());

    ::close(pair.fds[1]);
    pair.fds[1] = -1;
    EXPECT_FALSE(link.Receive(60000, packet));  // at once, not after a minute
    EXPECT_FALSE(link.Problem().empty());
}

TEST(PacketRelayTest, AnswersGoToTheSlotOfTheirSourceAndNothingElseDoes) {
    RecordingLink link;
    PacketRelay relay(link, PacketRelay::kUnbounded, 500);
    relay.Attach(0, {35, 12});
    relay.Attach(1, {35, 13});
    EXPECT_TRUE(relay.FromNode(0, Request({35, 12}, 1), 0));
    EXPECT_TRUE(relay.FromNode(1, Request({35, 13}, 1), 0));
    EXPECT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(relay.Outstanding(), 2u);
    EXPECT_EQ(relay.FromLink(Answer({35, 13}, 1), 5), 1u);
    EXPECT_EQ(relay.FromLink(Answer({35, 12}, 1), 6), 0u);
    EXPECT_EQ(relay.Outstanding(), 0u);
    EXPECT_FALSE(relay.FromLink(Answer({35, 14}, 1), 7));  // a device no slot has
    relay.Detach(1);
    EXPECT_FALSE(relay.FromLink(Answer({35, 13}, 1), 8));  // its process has ended
    // A slot given another node routes that node's packets only.
    relay.Attach(0, {35, 20});
    EXPECT_FALSE(relay.FromLink(Answer({35, 12}, 1), 9));
    EXPECT_EQ(relay.FromLink(Answer({35, 20}, 1), 9), 0u);
}

TEST(PacketRelayTest, ABoundHoldsRequestsInTurnUntilAnAnswerOrTheHoldTimeFreesAPlace) {
    RecordingLink link;
    PacketRelay relay(link, 2, 500);
    for (std::size_t slot = 0; slot < 4; ++slot) {
        relay.Attach(slot, {35, static_cast<std::uint8_t>(12 + slot)});
        relay.FromNode(slot, Request({35, static_cast<std::uint8_t>(12 + slot)}, 1), 0);
    }
    ASSERT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(relay.Held(), 2u);
    // A retry of a held request replaces it: it is not sent twice.
    relay.FromNode(2, Request({35, 14}, 1), 10);
    EXPECT_EQ(relay.Held(), 2u);
    // An answer frees a place: the request that waited longest goes.
    relay.FromLink(Answer({35, 12}, 1), 20);
    ASSERT_EQ(link.sent.size(), 3u);
    EXPECT_EQ(link.sent.back().destination, (SubnetNode{35, 15}));
    // An unanswered request gives its place up after the hold time.
    relay.Pump(400);
    EXPECT_EQ(link.sent.size(), 3u);
    relay.Pump(500);
    ASSERT_EQ(link.sent.size(), 4u);
    EXPECT_EQ(link.sent.back().destination, (SubnetNode{35, 14}));
    // A process's next request replaces its own outstanding one rather than taking a place more.
    relay.FromNode(3, Request({35, 15}, 2), 600);
    EXPECT_EQ(link.sent.size(), 5u);
    EXPECT_EQ(relay.Outstanding(), 2u);
    // A process that ends takes what it had held with it.
    relay.FromNode(0, Request({35, 12}, 2), 600);
    EXPECT_EQ(relay.Held(), 1u);
    relay.Detach(0);
    EXPECT_EQ(relay.Held(), 0u);
}

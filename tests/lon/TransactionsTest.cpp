// The transactions with one node on a scripted link: retries, IDs, and what is not the answer.
#include "host/lon/Transactions.h"

#include <gtest/gtest.h>

#include <set>

#include "host/lon/LonMessages.h"
#include "tests/lon/FakeLink.h"

using namespace host::lon;
using lontest::FakeLink;
using lontest::Hex;

namespace {

constexpr Timing kTiming{500, 2};

std::uint8_t IdOf(const Bytes& datagram) {
    return DecodeFrame(datagram)->transaction;
}

class TransactionsTest : public ::testing::Test {
  protected:
    TransactionsTest() { platform::crt::SetCurrentClock(&clock); }
    ~TransactionsTest() override {
        platform::crt::ClearStopRequest();
        platform::crt::SetBlockingHook({});
        platform::crt::SetCurrentClock(nullptr);
    }

    platform::crt::VirtualClock clock;
    FakeLink link{clock};
    Transactions transactions{link.packets, clock, lontest::kRoute, kTiming, 7};
};

}  // namespace

TEST_F(TransactionsTest, EachRequestTakesAnIdOtherThanTheLastAndAnAcknowledgementEndsAMessage) {
    link.node = [&](const Bytes& d) {
        const auto frame = DecodeFrame(d);
        link.Answer(d, frame->service == Service::Request ? Hex("33 01 36 B0") : Bytes{}, 3);
    };
    std::set<std::uint8_t> ids;
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(transactions.Request(NvFetchRequest(1)), Hex("33 01 36 B0"));
        ids.insert(IdOf(link.sent.back()));
        if (link.sent.size() > 1) {
            EXPECT_NE(IdOf(link.sent.back()), IdOf(link.sent[link.sent.size() - 2]));
        }
    }
    EXPECT_EQ(link.sent.size(), 40u);  // no retry
    EXPECT_EQ(ids.size(), 15u);        // 1 to 15, 0 left out
    EXPECT_FALSE(ids.contains(0));
    EXPECT_TRUE(transactions.Acknowledged(UpdateNvBySelectorMessage(0x3FFE, Hex("1234"))));
    EXPECT_EQ(link.sent.back()[1], 0x10);
}

TEST_F(TransactionsTest, ALostRequestOrAnswerIsResentIdenticallyAndTheProblemShowsMeanwhile) {
    // The first request is lost; the second try's answer comes.
    int tries = 0;
    link.node = [&](const Bytes& d) {
        if (++tries == 2) {
            link.Answer(d, Hex("2D 90 51 4D 41 37 5F 31 6A"));
        }
    };
    std::vector<bool> answering;
    platform::crt::SetBlockingHook([&](platform::crt::Blocked what) {
        EXPECT_EQ(what, platform::crt::Blocked::HostCall);
        answering.push_back(transactions.Answering());
    });
    EXPECT_TRUE(ProgramIdOf(*transactions.Request(ReadProgramIdRequest())));
    ASSERT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(link.sent[0], link.sent[1]);
    EXPECT_EQ(clock.NowMs(), 500);
    EXPECT_TRUE(answering.front());
    EXPECT_FALSE(answering.back());  // after one timeout
    EXPECT_TRUE(transactions.Answering());

    // The answer to the first try comes late, after the retry went out: the request is done
    // once, and its second answer is not taken for the next request's.
    tries = 0;
    link.sent.clear();
    link.node = [&](const Bytes& d) {
        if (++tries == 1) {
            link.Answer(d, Hex("33 05 00 01"), 700);
            link.Answer(d, Hex("33 05 00 01"), 701);
        }
    };
    EXPECT_EQ(transactions.Request(NvFetchRequest(5)), Hex("33 05 00 01"));
    ASSERT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(link.sent[0], link.sent[1]);
    const std::uint8_t retried = IdOf(link.sent[0]);
    link.node = [&](const Bytes& d) { link.Answer(d, Hex("33 05 00 02"), 1); };
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(transactions.Request(NvFetchRequest(5)), Hex("33 05 00 02"));
        EXPECT_NE(IdOf(link.sent.back()), retried);  // its answers may still be on the way
    }
}

TEST_F(TransactionsTest, WhatIsNotTheAnswerIsIgnored) {
    link.node = [&](const Bytes& d) {
        const std::uint8_t id = IdOf(d);
        const std::uint8_t other = id == 15 ? 1 : id + 1;
        auto frame = [](std::uint8_t t, const char* apdu) {
            return EncodeFrame({Service::Response, t, Hex(apdu)});
        };
        link.Arrive(frame(id, "33 01 11 11"), 1, {0x0A51230D, 2541});  // another node
        link.Arrive(frame(id, "33 01 22 22"), 2, {lontest::kNode.address, 2542});
        link.Arrive(frame(other, "33 01 33 33"), 3);              // a late answer, old ID
        link.Arrive(frame(id, "33 02 44 44"), 4);                 // another variable
        link.Arrive(frame(id, "2D 90 51 4D 41 37 5F 31 6A"), 5);  // another code
        link.Arrive(EncodeFrame({Service::Request, id, Hex("73 01")}), 6);
        link.Arrive(EncodeFrame({Service::Acknowledgement, id, {}}), 7);
        link.Arrive(Hex("10 11 21 2C 33 01 55 55"), 8);
        link.Arrive(Hex("00 11"), 9);
        link.Arrive(frame(id, "33 01 36 B0"), 10);
        link.Arrive(frame(id, "33 01 36 B0"), 11);  // a duplicate
    };
    EXPECT_EQ(transactions.Request(NvFetchRequest(1)), Hex("33 01 36 B0"));
    EXPECT_EQ(clock.NowMs(), 10);
    // The duplicate waits in the socket; the next request does not take it.
    link.node = [&](const Bytes& d) { link.Answer(d, Hex("33 01 00 07"), 5); };
    EXPECT_EQ(transactions.Request(NvFetchRequest(1)), Hex("33 01 00 07"));
    EXPECT_EQ(link.sent.size(), 2u);
}

TEST_F(TransactionsTest, ANodeThatNeverAnswersFailsInBoundedTimeWhileThePaintingGoesOn) {
    std::vector<std::int64_t> hookTimes;
    platform::crt::SetBlockingHook(
        [&](platform::crt::Blocked) { hookTimes.push_back(clock.NowMs()); });
    EXPECT_FALSE(transactions.Request(NvFetchRequest(1)));
    EXPECT_EQ(clock.NowMs(), 1500);  // timeout x (retries + 1)
    EXPECT_EQ(link.sent.size(), 3u);
    EXPECT_EQ(link.sent[0], link.sent[2]);
    EXPECT_FALSE(transactions.Answering());
    EXPECT_EQ(hookTimes.front(), 0);
    for (std::size_t i = 1; i < hookTimes.size(); ++i) {
        EXPECT_LE(hookTimes[i] - hookTimes[i - 1], platform::crt::kBlockingSliceMs);
    }
    EXPECT_EQ(transactions.LastFailure(), Transactions::Failure::NoAnswer);
    // Known to be silent now: the next requests fail at once, sending nothing.
    EXPECT_FALSE(transactions.Acknowledged(Hex("BF FE 00 01")));
    EXPECT_FALSE(transactions.Request(NvFetchRequest(2)));
    EXPECT_EQ(clock.NowMs(), 1500);
    EXPECT_EQ(link.sent.size(), 3u);
    EXPECT_EQ(transactions.LastFailure(), Transactions::Failure::Silent);

    // A user's action gets one full try; a probe every 3 s a single one.
    transactions.GrantFullTry();
    EXPECT_FALSE(transactions.Request(NvFetchRequest(2)));
    EXPECT_EQ(link.sent.size(), 6u);
    EXPECT_EQ(clock.NowMs(), 3000);
    EXPECT_FALSE(transactions.Request(NvFetchRequest(2)));
    clock.AdvanceTo(6000);
    EXPECT_FALSE(transactions.Request(NvFetchRequest(3)));
    EXPECT_EQ(link.sent.size(), 7u);
    EXPECT_EQ(clock.NowMs(), 6500);

    // It answers again: the probe finds it, and the link is back to full tries.
    link.node = [&](const Bytes& d) { link.Answer(d, Hex("13")); };
    EXPECT_FALSE(transactions.Request(NvFetchRequest(1)));  // the next probe is not due yet
    clock.AdvanceTo(9500);
    EXPECT_EQ(transactions.Request(NvFetchRequest(1)), Hex("13"));
    EXPECT_TRUE(transactions.Answering());
    EXPECT_FALSE(transactions.SilentSince());
    EXPECT_EQ(transactions.LastFailure(), Transactions::Failure::None);
}

TEST_F(TransactionsTest, AStopAbandonsTheRequestInFlightAndLetsNoOtherStart) {
    platform::crt::SetBlockingHook([&](platform::crt::Blocked) {
        if (clock.NowMs() >= 700) {
            platform::crt::RequestStop();
        }
    });
    EXPECT_FALSE(transactions.Request(NvFetchRequest(1)));
    EXPECT_LE(clock.NowMs(), 700 + platform::crt::kBlockingSliceMs);
    EXPECT_EQ(link.sent.size(), 2u);  // no retry after the stop
    EXPECT_EQ(transactions.LastFailure(), Transactions::Failure::Stopped);
    EXPECT_FALSE(transactions.Acknowledged(Hex("BF FE 00 01")));
    EXPECT_EQ(link.sent.size(), 2u);
    platform::crt::SetBlockingHook({});
    platform::crt::ClearStopRequest();
    // The abandoned ID is held back: a late answer to it is never taken for another request.
    const std::uint8_t abandoned = IdOf(link.sent.back());
    link.node = [&](const Bytes& d) { link.Answer(d, Hex("33 01 00 07")); };
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(transactions.Request(NvFetchRequest(1)));
        EXPECT_NE(IdOf(link.sent.back()), abandoned);
    }
}

// On a channel every device hears every packet: only the node's answer to the host in their
// domain is the answer, whatever else carries the request's transaction ID.
TEST(TransactionsOnAChannel, OnlyTheNodesAnswerToTheHostInTheirDomainCounts) {
    struct Channel final : PacketLink {
        std::vector<Packet> heard;
        std::vector<Packet> sent;
        bool Send(const Packet& packet) override {
            sent.push_back(packet);
            for (Packet other : {Packet{}, Packet{}, Packet{}, Packet{}, Packet{}}) {
                other = packet;
                heard.push_back(other);
            }
            heard[0].source = {35, 13};                   // another node
            heard[1].destination = {35, 125};             // to another host
            heard[2].domain = {0x52};                     // another domain
            heard[3].service = Service::Acknowledgement;  // another service
            for (Packet& p : heard) {
                if (p.service == Service::Request) {
                    p.service = Service::Response;
                }
                std::swap(p.source, p.destination);
                p.apdu = Hex("33 01 00 01");
            }
            heard[4].apdu = Hex("33 01 12 34");  // the answer
            return true;
        }
        bool Receive(std::int64_t, Packet& packet) override {
            if (heard.empty()) {
                return false;
            }
            packet = heard.front();
            heard.erase(heard.begin());
            return true;
        }
    } channel;
    platform::crt::VirtualClock clock;
    Transactions transactions{channel, clock, lontest::kRoute, kTiming, 3};
    EXPECT_EQ(transactions.Request(NvFetchRequest(1)), Hex("33 01 12 34"));
    ASSERT_EQ(channel.sent.size(), 1u);
    EXPECT_EQ(channel.sent[0].source, lontest::kRoute.host);
    EXPECT_EQ(channel.sent[0].destination, lontest::kRoute.node);
    EXPECT_EQ(channel.sent[0].domain, lontest::kRoute.domain);
}

// A duplicate of an old answer, late enough to arrive when its ID has come round again, must
// not pass for the answer of a later request: here it would make a refused update look done.
// 4-bit IDs come round after 15 requests; the 12-bit IDs of LS/UDP enhanced mode do not.
TEST_F(TransactionsTest, AStaleDuplicateIsNotTakenForALaterAnswerWithTwelveBitIds) {
    const auto run = [&](bool enhanced) {
        link.packets.SetEnhanced(enhanced);
        link.sent.clear();
        const Bytes update = UpdateNvByIndexRequest(1, Hex("0001"));
        int requests = 0;
        link.node = [&](const Bytes& d) {
            const auto frame = DecodeFrame(d);
            EXPECT_EQ(frame->enhanced, enhanced);
            if (++requests == 1) {
                link.Answer(d, Hex("20 02"), 1);
                link.Answer(d, Hex("20 02"), 160);  // the network duplicates it, late
            } else if (requests == 16) {
                link.Answer(d, Hex("00 02"), 100);  // the node refuses the last update
            } else {
                link.Answer(d, Hex("20 02"), 1);
            }
        };
        for (int i = 0; i < 15; ++i) {
            EXPECT_TRUE(Updated(*transactions.Request(update)));
            clock.AdvanceTo(clock.NowMs() + 9);
        }
        const auto last = transactions.Request(update);
        return last && Updated(*last);
    };
    EXPECT_TRUE(run(false)) << "the hazard of 4-bit IDs is no longer shown";
    EXPECT_FALSE(run(true));
}

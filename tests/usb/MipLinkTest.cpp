// Both link layers to a USB network interface on scripted byte streams, with the bytes of
// transfers observed between a host and an emulated interface.
#include <gtest/gtest.h>

#include "host/usb/MipU50Link.h"
#include "host/usb/MipU61Link.h"
#include "tests/lon/FakeLink.h"

using namespace host::usb;
using lontest::Bytes;
using lontest::Hex;

namespace {

constexpr const char* kAck = "7E 10 00 72";

class U50Test : public ::testing::Test {
  protected:
    // A link past its resync, with the output so far taken.
    U50Test() {
        link.Restart(now);
        EXPECT_EQ(link.TakeOutput(), Hex("7E 07 00 7B"));
        Feed("7E 00 00 82");
        EXPECT_TRUE(link.Synchronised());
    }

    void Feed(const std::string& hex) { link.Feed(Hex(hex), now); }
    void Pass(std::int64_t ms) {
        now += ms;
        link.Poll(now);
    }
    // The next transfer sent, acknowledged by the interface.
    Bytes SendAcknowledged(const NiMessage& message) {
        link.Send(message, now);
        const Bytes sent = link.TakeOutput();
        Feed(kAck);
        EXPECT_TRUE(link.Idle());
        return sent;
    }

    std::int64_t now = 1000;
    MipU50Link link;
};

}  // namespace

TEST_F(U50Test, MessagesGoWithSequenceNumbersThatWrapAndAreNeverAdvancedByAcks) {
    // After a resync the first transfer is 0, then 1..7, 1..7.
    const NiMessage frame{0x12, Hex("01 19 23 FE 23 8C 51 05 60 02 00 01 7E 01")};
    std::vector<int> sequences;
    for (int i = 0; i < 16; ++i) {
        const Bytes sent = SendAcknowledged(frame);
        sequences.push_back(sent[1] >> 5);
        // An uplink message in between is acknowledged without taking a number.
        Feed(i % 7 == 0 ? "7E 22 01 5F 03 50 01 04 A8" : "");
        const Bytes acks = link.TakeOutput();
        EXPECT_EQ(acks, i % 7 == 0 ? Hex(kAck) : Bytes{});
    }
    EXPECT_EQ(sequences, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 1}));

    // The observed update of NV 1 := 7E 01, with the message's 7E doubled.
    MipU50Link fresh;
    fresh.Restart(0);
    fresh.Feed(Hex("7E 00 00 82"), 0);
    for (int i = 0; i < 3; ++i) {
        fresh.Send(NiMessage{0x01, {}}, 0);
        fresh.Feed(Hex(kAck), 0);
    }
    fresh.TakeOutput();
    fresh.Send(frame, 0);
    EXPECT_EQ(fresh.TakeOutput(),
              Hex("7E 62 01 1F 0F 12 01 19 23 FE 23 8C 51 05 60 02 00 01 7E 7E 01 BD"));
    // A command without data goes as CpNiCmdShort.
    fresh.Feed(Hex(kAck), 0);
    fresh.Send(NiMessage{0xE0, {}}, 0);
    EXPECT_EQ(fresh.TakeOutput(), Hex("7E 86 E0 1C"));
}

TEST_F(U50Test, OneTransferAtATimeResentIdenticallyOnFailRejectAndSilence) {
    link.Send(NiMessage{0x12, Hex("01 02")}, now);
    link.Send(NiMessage{0x12, Hex("03 04")}, now);
    const Bytes first = link.TakeOutput();
    EXPECT_EQ(first, Hex("7E 02 01 7F 03 12 01 02 E8"));  // the second waits for the ack

    Feed("7E 01 00 81");  // CpFail: at once
    EXPECT_EQ(link.TakeOutput(), first);
    Pass(MipU50Link::kAckWaitMs - 1);
    EXPECT_TRUE(link.TakeOutput().empty());
    Pass(1);  // the acknowledge wait: a lost ack costs a resend
    EXPECT_EQ(link.TakeOutput(), first);
    Feed("7E 05 00 7D");  // CpMsgReject: later, not now
    EXPECT_TRUE(link.TakeOutput().empty());
    Pass(MipU50Link::kAckWaitMs);
    EXPECT_EQ(link.TakeOutput(), first);

    // The ack may ride on any code packet the interface sends, here its own CpNiCmdShort.
    Feed("7E 36 D1 7B");
    EXPECT_EQ(link.TakeOutput(), Hex(std::string(kAck) + " 7E 22 01 5F 03 12 03 04 E4"));
    EXPECT_EQ(link.TakeMessage(), (NiMessage{0xD1, {}}));
    EXPECT_EQ(link.Counters().resent, 3);

    // Never acknowledged: given up after the tries, and the next goes.
    link.Send(NiMessage{0x12, Hex("05")}, now);
    Feed(kAck);
    link.TakeOutput();
    link.Send(NiMessage{0x12, Hex("06")}, now);
    for (int i = 0; i < MipU50Link::kTries; ++i) {
        Pass(MipU50Link::kAckWaitMs);
    }
    EXPECT_EQ(link.Counters().abandoned, 1);
    EXPECT_FALSE(link.Idle());  // the next one is on its way
}

TEST_F(U50Test, UplinkMessagesAreUnescapedAcknowledgedAndDuplicatesDropped) {
    // The observed answer to a fetch of NV 1, its 7E doubled, split across reads everywhere,
    // the escape pair included.
    const Bytes answer = Hex("7E 82 01 FF 0F 1A 00 19 23 8C 23 FE 51 26 33 01 7E 7E 01 33 E6 AB");
    for (std::size_t cut = 1; cut < answer.size(); ++cut) {
        link.Feed(std::span(answer).first(cut), now);
        link.Feed(std::span(answer).subspan(cut), now);
        const auto message = link.TakeMessage();
        if (cut == 1) {
            ASSERT_TRUE(message);
            EXPECT_EQ(*message,
                      (NiMessage{0x1A, Hex("00 19 23 8C 23 FE 51 26 33 01 7E 01 33 E6")}));
        } else {
            EXPECT_FALSE(message) << "a resent transfer (same sequence number) at cut " << cut;
        }
        EXPECT_EQ(link.TakeOutput(), Hex(kAck));
    }
    EXPECT_EQ(link.Counters().duplicates, static_cast<int>(answer.size()) - 2);
    // A new number is a new message; 0 is never a duplicate.
    Feed("7E A2 01 DF 02 E0 04 1A  7E 02 01 7F 02 E0 04 1A  7E 02 01 7F 02 E0 04 1A");
    EXPECT_TRUE(link.TakeMessage());
    EXPECT_TRUE(link.TakeMessage());
    EXPECT_TRUE(link.TakeMessage());
}

TEST_F(U50Test, BrokenInputIsDroppedAndBrokenMessagesAnsweredWithFail) {
    const std::string fail = "7E 01 00 81";
    // Line noise and a code packet with a bad checksum: nothing, no answer.
    Feed("00 FF 13 7E 00 00 83");
    EXPECT_TRUE(link.TakeOutput().empty());
    // A message checksum that does not add up.
    Feed("7E 22 01 5F 02 E0 04 19");
    EXPECT_EQ(link.TakeOutput(), Hex(fail));
    // A code packet inside a message (a lone 7E): the message goes, the code packet counts.
    Feed("7E 42 01 3F 05 E0 04 7E 36 D1 7B");
    EXPECT_EQ(link.TakeOutput(), Hex(fail + " " + kAck));
    EXPECT_EQ(link.TakeMessage(), (NiMessage{0xD1, {}}));
    // A message that stops: dropped after the inter-byte time, and then a whole one is taken.
    Feed("7E 42 01 3F 05 E0");
    Pass(MipU50Link::kInterByteMs + 1);
    EXPECT_EQ(link.TakeOutput(), Hex(fail));
    Feed("7E 42 01 3F 02 E0 04 1A");
    EXPECT_EQ(link.TakeMessage(), (NiMessage{0xE0, Hex("04")}));
    EXPECT_FALSE(link.TakeMessage());
    EXPECT_EQ(link.Counters().broken, 4);
}

TEST_F(U50Test, ResyncIsRepeatedUntilAnsweredAndHoldsMessagesBack) {
    link.Restart(now);
    EXPECT_EQ(link.TakeOutput(), Hex("7E 07 00 7B"));
    link.Send(NiMessage{0xE0, {}}, now);
    EXPECT_TRUE(link.TakeOutput().empty());
    Pass(700);
    EXPECT_EQ(link.TakeOutput(), Hex("7E 07 00 7B"));
    Feed("7E 00 00 82");
    EXPECT_EQ(link.TakeOutput(), Hex("7E 06 E0 9C"));  // sequence 0 again
    // CpMsgReq is granted.
    Feed("7E 03 00 7F");
    EXPECT_EQ(link.TakeOutput(), Hex("7E 04 00 7E"));
}

TEST(U61Test, FramingBothWays) {
    MipU61Link link;
    link.Restart(0);
    link.Send(NiMessage{0xE5, Hex("01")}, 0);
    EXPECT_EQ(link.TakeOutput(), Hex("7E 00 02 E5 01"));
    // Down: the length as it is, the data's 7E doubled.
    link.Send(NiMessage{0x12, Hex("01 19 23 FE 23 8C 51 0B 60 02 00 01 01 7E")}, 0);
    EXPECT_EQ(link.TakeOutput(), Hex("7E 00 0F 12 01 19 23 FE 23 8C 51 0B 60 02 00 01 01 7E 7E"));

    // Up: split at every point; a 7E inside, a length of 7E escaped.
    const Bytes up = Hex("13 7E 00 05 1A 00 7E 7E 01 02  7E 00 7E 7E 1A");
    std::vector<std::uint8_t> payload(0x7D, 0x11);
    for (std::size_t cut = 1; cut < up.size(); ++cut) {
        link.Feed(std::span(up).first(cut), 0);
        link.Feed(std::span(up).subspan(cut), 0);
        link.Feed(payload, 0);
        EXPECT_EQ(link.TakeMessage(), (NiMessage{0x1A, Hex("00 7E 01 02")})) << cut;
        auto second = link.TakeMessage();
        ASSERT_TRUE(second) << cut;
        EXPECT_EQ(second->data.size(), 0x7DU);
    }
}

TEST(U61Test, BrokenMessagesAreDropped) {
    MipU61Link link;
    // 7E 00 restarts; 7E and another byte drops; a short message dropped after the time.
    link.Feed(Hex("7E 00 05 1A 00 7E 00 02 E5 01"), 0);
    EXPECT_EQ(link.TakeMessage(), (NiMessage{0xE5, Hex("01")}));
    link.Feed(Hex("7E 00 05 1A 00 7E 33 02 E5 01"), 0);
    EXPECT_FALSE(link.TakeMessage());
    link.Feed(Hex("7E 00 05 1A 00"), 0);
    link.Poll(MipU61Link::kInterByteMs + 1);
    link.Feed(Hex("01 02 03"), MipU61Link::kInterByteMs + 1);
    EXPECT_FALSE(link.TakeMessage());
    EXPECT_EQ(link.Counters().broken, 3);
}

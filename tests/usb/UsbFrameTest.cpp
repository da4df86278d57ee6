// The layer 2 frame both ways, against frames observed on an emulated channel.
#include "host/usb/UsbFrame.h"

#include <gtest/gtest.h>

#include "host/usb/Crc16.h"
#include "tests/lon/FakeLink.h"

using namespace host::usb;
using host::lon::Service;
using lontest::Hex;

namespace {

Packet Fetch22() {
    return Packet{{0x23, 126}, {0x23, 12}, {0x51}, Service::Request, 2, Hex("73 16")};
}

}  // namespace

TEST(UsbFrameTest, RequestsAndMessagesEncodeAsObserved) {
    EXPECT_EQ(EncodeDownlinkFrame(Fetch22()), Hex("01 19 23 FE 23 8C 51 02 73 16"));
    Packet update{{0x23, 126}, {0x23, 12}, {0x51}, Service::Request, 5, Hex("60 02 00 01 7E 01")};
    EXPECT_EQ(EncodeDownlinkFrame(update), Hex("01 19 23 FE 23 8C 51 05 60 02 00 01 7E 01"));
    // The acknowledged service is a transport PDU; a six-byte domain has code 3.
    Packet acknowledged{{1, 2}, {3, 4},   Hex("01 02 03 04 05 06"), Service::Acknowledged,
                        15,     Hex("99")};
    EXPECT_EQ(EncodeDownlinkFrame(acknowledged), Hex("01 0B 01 82 03 84 01 02 03 04 05 06 0F 99"));
}

TEST(UsbFrameTest, AnswersDecodeWhenTheCrcIsRight) {
    Packet packet;
    ASSERT_EQ(DecodeUplinkFrame(Hex("00 19 23 8C 23 FE 51 25 20 02 86 60"), packet),
              FrameVerdict::Taken);
    EXPECT_EQ(packet,
              (Packet{{0x23, 12}, {0x23, 126}, {0x51}, Service::Response, 5, Hex("20 02")}));
    ASSERT_EQ(DecodeUplinkFrame(Hex("00 19 23 8C 23 FE 51 26 33 01 7E 01 33 E6"), packet),
              FrameVerdict::Taken);
    EXPECT_EQ(packet.apdu, Hex("33 01 7E 01"));
    EXPECT_EQ(packet.transaction, 6);

    // What the host sends comes back through another interface with the CRC it computes.
    auto heard = EncodeDownlinkFrame(Fetch22());
    const std::uint16_t crc = FrameCrc(heard);
    heard.push_back(static_cast<std::uint8_t>(crc >> 8));
    heard.push_back(static_cast<std::uint8_t>(crc));
    ASSERT_EQ(DecodeUplinkFrame(heard, packet), FrameVerdict::Taken);
    EXPECT_EQ(packet, Fetch22());
}

TEST(UsbFrameTest, BrokenFramesAndOtherAddressingAreNeverTaken) {
    Packet packet;
    const auto good = Hex("00 19 23 8C 23 FE 51 25 20 02 86 60");
    for (std::size_t i = 0; i < good.size(); ++i) {
        auto flipped = good;
        flipped[i] ^= 0x04;
        EXPECT_EQ(DecodeUplinkFrame(flipped, packet), FrameVerdict::Broken) << "byte " << i;
    }
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_NE(DecodeUplinkFrame(std::span(good).first(cut), packet), FrameVerdict::Taken);
    }
    const auto withCrc = [](std::vector<std::uint8_t> frame) {
        const std::uint16_t crc = FrameCrc(frame);
        frame.push_back(static_cast<std::uint8_t>(crc >> 8));
        frame.push_back(static_cast<std::uint8_t>(crc));
        return frame;
    };
    // Broadcast, a group member's acknowledgement (selector bit clear), a reminder.
    EXPECT_EQ(DecodeUplinkFrame(withCrc(Hex("00 11 23 8C 00 51 25 20")), packet),
              FrameVerdict::NotForUs);
    EXPECT_EQ(DecodeUplinkFrame(withCrc(Hex("00 09 23 0C 23 FE 51 25")), packet),
              FrameVerdict::NotForUs);
    EXPECT_EQ(DecodeUplinkFrame(withCrc(Hex("00 19 23 8C 23 FE 51 45 20")), packet),
              FrameVerdict::NotForUs);
    // A domain longer than the frame.
    EXPECT_EQ(DecodeUplinkFrame(withCrc(Hex("00 1B 23 8C 23 FE 51")), packet),
              FrameVerdict::Broken);
}

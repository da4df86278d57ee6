// The USB link on a scripted interface: its start-up and the mode put back, frames that are not
// answers, and an interface that goes and comes back.
#include "host/usb/UsbPacketLink.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "host/usb/Crc16.h"
#include "host/usb/UsbFrame.h"
#include "platform/crt/Clock.h"
#include "tests/lon/FakeLink.h"

using namespace host::usb;
using host::lon::Service;
using host::lon::SubnetNode;
using lontest::Bytes;
using lontest::Hex;

namespace {

constexpr SubnetNode kHost{0x23, 126};
constexpr SubnetNode kNode{0x23, 12};

// An interface on a virtual clock: what the host writes goes to answer, which queues replies.
class ScriptedPort final : public SerialPort {
  public:
    struct Shared {
        platform::crt::VirtualClock clock;
        std::function<void(const Bytes&, std::deque<Bytes>&)> answer;
        std::deque<Bytes> replies;
        Bytes written;
        bool gone = false;
        int opened = 0;
    };

    explicit ScriptedPort(Shared& shared) : m_shared(shared) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (m_shared.gone) {
            return false;
        }
        const Bytes copy(bytes.begin(), bytes.end());
        m_shared.written.insert(m_shared.written.end(), copy.begin(), copy.end());
        if (m_shared.answer) {
            m_shared.answer(copy, m_shared.replies);
        }
        return true;
    }
    int Read(std::int64_t waitMs, std::span<std::uint8_t> buffer) override {
        if (m_shared.gone) {
            return -1;
        }
        if (m_shared.replies.empty()) {
            m_shared.clock.SleepMs(waitMs);
            return 0;
        }
        Bytes next = std::move(m_shared.replies.front());
        m_shared.replies.pop_front();
        std::copy(next.begin(), next.end(), buffer.begin());
        return static_cast<int>(next.size());
    }

  private:
    Shared& m_shared;
};

// A MIP/U61 interface: the mode command echoed.
void U61Answers(const Bytes& written, std::deque<Bytes>& replies) {
    if (written.size() == 5 && written[3] == 0xE5) {
        replies.push_back(written);
    }
}

// The uplink message of a frame heard on the channel, with its CRC (bad when asked).
Bytes Heard(const Packet& packet, bool badCrc = false) {
    Bytes frame = host::usb::EncodeDownlinkFrame(packet);
    frame[0] = 0;
    const std::uint16_t crc = FrameCrc(frame) ^ (badCrc ? 1 : 0);
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
    Bytes message{0x7E, 0x00, static_cast<std::uint8_t>(frame.size() + 1), 0x1A};
    for (const std::uint8_t byte : frame) {
        message.push_back(byte);
        if (byte == 0x7E) {
            message.push_back(0x7E);
        }
    }
    return message;
}

class UsbPacketLinkTest : public ::testing::Test {
  protected:
    std::unique_ptr<UsbPacketLink> Open(UsbFamily family, std::string& error) {
        return UsbPacketLink::Open(
            [this](std::string& openError) -> std::unique_ptr<SerialPort> {
                if (shared.gone) {
                    openError = "no USB interface";
                    return nullptr;
                }
                ++shared.opened;
                return std::make_unique<ScriptedPort>(shared);
            },
            "/dev/ttyUSB0", family, kHost, shared.clock, error);
    }

    ScriptedPort::Shared shared;
};

}  // namespace

TEST_F(UsbPacketLinkTest, OnlyWholeAnswersToTheHostAreTaken) {
    shared.answer = U61Answers;
    std::string error;
    auto link = Open(UsbFamily::U61, error);
    ASSERT_TRUE(link) << error;
    EXPECT_EQ(shared.written, Hex("7E 00 02 E5 01"));

    const Packet request{kHost, kNode, {0x51}, Service::Request, 3, Hex("73 7E")};
    shared.written.clear();
    ASSERT_TRUE(link->Send(request));
    EXPECT_EQ(shared.written, Hex("7E 00 0B 12 01 19 23 FE 23 8C 51 03 73 7E 7E"));

    Packet answer{kNode, kHost, {0x51}, Service::Response, 3, Hex("33 7E 01")};
    Packet toOther = answer;
    toOther.destination = {0x23, 125};
    shared.replies = {Heard(answer, true), Heard(toOther), Heard(request), Heard(answer)};
    Packet got;
    // A caller that polls without waiting still gets what has come.
    ASSERT_TRUE(link->Receive(0, got));
    EXPECT_EQ(got, answer);
    EXPECT_EQ(link->Frames().broken, 1);
    EXPECT_EQ(link->Frames().forOthers, 2);  // the other host's answer, the host's own request
    EXPECT_FALSE(link->Receive(100, got));

    link.reset();  // the factory's layer 5 put back
    EXPECT_EQ(Bytes(shared.written.end() - 5, shared.written.end()), Hex("7E 00 02 E5 00"));
}

TEST_F(UsbPacketLinkTest, AGoneInterfaceIsSaidAndOpenedAgainWhenItIsBack) {
    shared.answer = U61Answers;
    std::string error;
    auto link = Open(UsbFamily::U61, error);
    ASSERT_TRUE(link) << error;
    EXPECT_EQ(link->Problem(), "");

    shared.gone = true;
    Packet got;
    EXPECT_FALSE(link->Receive(300, got));
    EXPECT_EQ(link->Problem(), "USB interface /dev/ttyUSB0 gone");
    EXPECT_FALSE(link->Send(Packet{kHost, kNode, {}, Service::Request, 1, Hex("73 01")}));

    shared.gone = false;
    shared.written.clear();
    EXPECT_FALSE(link->Receive(1000, got));
    EXPECT_EQ(link->Problem(), "");
    EXPECT_EQ(shared.opened, 2);
    EXPECT_EQ(shared.written, Hex("7E 00 02 E5 01"));  // the start-up again
}

TEST_F(UsbPacketLinkTest, AnInterfaceOfTheOtherFamilyIsToldWithinASecond) {
    std::string error;
    EXPECT_FALSE(Open(UsbFamily::U61, error));
    EXPECT_EQ(error,
              "the USB interface /dev/ttyUSB0 does not answer as MIP/U61 (U10 FT rev A/B, U60 "
              "TP-1250, U20, U70) within a second; if it is a MIP/U50 (U60 FT, U10 FT rev C), try "
              "--usb-kind u50");
    EXPECT_LE(shared.clock.NowMs(), 1100);
    EXPECT_FALSE(Open(UsbFamily::U50, error));
    EXPECT_NE(error.find("try --usb-kind u61"), std::string::npos) << error;
}

TEST_F(UsbPacketLinkTest, AU50InLayer5IsSwitchedAndPutBack) {
    // Resync answered, status says layer 5, niMODE_L2 answered by a reset, niMODE_L5 noted.
    std::vector<std::uint8_t> commands;
    shared.answer = [&](const Bytes& written, std::deque<Bytes>& replies) {
        const std::uint8_t type = written[1] & 0x0F;
        if (type == 7) {
            replies.push_back(Hex("7E 00 00 82"));
        } else if (type == 6) {
            commands.push_back(written[2]);
            replies.push_back(Hex("7E 10 00 72"));
            if (written[2] == 0xE0) {
                replies.push_back(Hex("7E 22 01 5F 05 E0 04 1F 00 00 F8"));
            } else if (written[2] == 0xD1) {
                replies.push_back(Hex("7E 42 01 3F 03 50 01 04 A8"));
            }
        }
    };
    std::string error;
    auto link = Open(UsbFamily::U50, error);
    ASSERT_TRUE(link) << error;
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{0xE0, 0xD1}));
    link->Close();
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{0xE0, 0xD1, 0xD0}));
}

#pragma once
// The MIP/U50 link layer (U60 FT, U10 FT rev C): 4-byte code packets (7E, sequence number, ack
// bit and type, parameter, checksum) and messages after a CpMsg (length, NI command, data,
// checksum; every 7E doubled). One transfer at a time: it waits for the interface's ack and is
// resent, byte for byte, on CpFail, CpMsgReject or after the acknowledge wait. Every transfer
// the interface sends is acknowledged with a CpNull; one that repeats the previous non-zero
// sequence number is a duplicate and dropped.

#include <optional>

#include "host/usb/MipLink.h"

namespace host::usb {

class MipU50Link final : public MipLink {
  public:
    static constexpr std::int64_t kAckWaitMs = 300;
    // Between two bytes of a code packet or a message: past it the part received is dropped.
    static constexpr std::int64_t kInterByteMs = 100;
    // A transfer not acknowledged after this many tries is given up; the LonTalk transactions
    // above recover the frame, and a dead interface is noticed by the tty.
    static constexpr int kTries = 5;

    void Restart(std::int64_t nowMs) override;
    bool Synchronised() const override { return m_synchronised; }
    void Send(const NiMessage& message, std::int64_t nowMs) override;
    void Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;
    void Poll(std::int64_t nowMs) override;
    std::optional<std::int64_t> Deadline() const override;
    bool Idle() const override { return m_queue.empty() && !m_pending; }

  private:
    enum class State { Hunt, Code, Message };
    struct Transfer {
        std::vector<std::uint8_t> bytes;  // as written, so that a resend is identical
        std::int64_t resendAtMs = 0;
        int tries = 0;
    };

    void Byte(std::uint8_t byte, std::int64_t nowMs);
    void CodePacket(std::uint8_t code, std::uint8_t param, std::int64_t nowMs);
    void MessageByte(std::uint8_t byte, std::int64_t nowMs);
    void Received(std::uint8_t sequence, NiMessage message);
    void Broken(bool answerFail);
    void SendCode(std::uint8_t sequence, bool ack, std::uint8_t type, std::uint8_t param);
    void StartNext(std::int64_t nowMs);
    void Resend(std::int64_t nowMs);

    bool m_synchronised = false;
    std::uint8_t m_sendSequence = 0;     // of the next transfer: 0 after a resync, then 1..7
    std::uint8_t m_receiveSequence = 0;  // of the interface's last transfer (0: none since resync)
    std::deque<NiMessage> m_queue;       // transfers waiting their turn
    std::optional<Transfer> m_pending;   // the one sent and not yet acknowledged
    std::optional<std::int64_t> m_resyncAtMs;  // a resync to repeat while unanswered

    State m_state = State::Hunt;
    std::int64_t m_lastByteMs = 0;
    std::vector<std::uint8_t> m_part;  // the code packet or message received so far, unescaped
    bool m_escape = false;             // a 7E was the last byte of the message
    std::uint8_t m_messageSequence = 0;
};

}  // namespace host::usb

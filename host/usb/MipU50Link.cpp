#include "host/usb/MipU50Link.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace host::usb {

namespace {

constexpr std::uint8_t kSync = 0x7E;
constexpr std::uint8_t kCpNull = 0;
constexpr std::uint8_t kCpFail = 1;
constexpr std::uint8_t kCpMsg = 2;
constexpr std::uint8_t kCpMsgReq = 3;
constexpr std::uint8_t kCpMsgAck = 4;
constexpr std::uint8_t kCpMsgReject = 5;
constexpr std::uint8_t kCpNiCmdShort = 6;
constexpr std::uint8_t kCpResync = 7;
constexpr std::uint8_t kAckBit = 0x10;
constexpr std::uint8_t kOneMessage = 1;  // CpMsg's parameter
constexpr std::uint8_t kExtendedLength = 0xFF;
constexpr std::size_t kLongestShortLength = 254;
constexpr std::size_t kCodeBytes = 3;  // after the 7E: code, parameter, checksum
constexpr std::int64_t kResyncRetryMs = 700;
constexpr std::uint8_t kLastSequence = 7;

std::uint8_t Negated(unsigned sum) {
    return static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

std::array<std::uint8_t, 4> Code(std::uint8_t sequence, bool ack, std::uint8_t type,
                                 std::uint8_t param) {
    const auto code = static_cast<std::uint8_t>(sequence << 5 | (ack ? kAckBit : 0) | type);
    return {kSync, code, param, Negated(kSync + code + param)};
}

// CpMsg and the message, every 7E in the message doubled.
std::vector<std::uint8_t> MessageTransfer(std::uint8_t sequence, const NiMessage& message) {
    std::vector<std::uint8_t> body;
    const std::size_t length = 1 + message.data.size();
    if (length > kLongestShortLength) {
        body = {kExtendedLength, static_cast<std::uint8_t>(length >> 8),
                static_cast<std::uint8_t>(length)};
    } else {
        body = {static_cast<std::uint8_t>(length)};
    }
    body.push_back(message.command);
    body.insert(body.end(), message.data.begin(), message.data.end());
    body.push_back(Negated(std::accumulate(body.begin(), body.end(), 0u)));

    const auto code = Code(sequence, false, kCpMsg, kOneMessage);
    std::vector<std::uint8_t> out(code.begin(), code.end());
    for (const std::uint8_t byte : body) {
        out.push_back(byte);
        if (byte == kSync) {
            out.push_back(kSync);
        }
    }
    return out;
}

}  // namespace

void MipU50Link::Restart(std::int64_t nowMs) {
    m_queue.clear();
    m_pending.reset();
    ClearReceived();
    m_state = State::Hunt;
    m_part.clear();
    m_escape = false;
    m_synchronised = false;
    m_sendSequence = 0;
    m_receiveSequence = 0;
    SendCode(0, false, kCpResync, 0);
    m_resyncAtMs = nowMs + kResyncRetryMs;
}

void MipU50Link::Send(const NiMessage& message, std::int64_t nowMs) {
    m_queue.push_back(message);
    StartNext(nowMs);
}

void MipU50Link::StartNext(std::int64_t nowMs) {
    if (!m_synchronised || m_pending || m_queue.empty()) {
        return;
    }
    const NiMessage message = std::move(m_queue.front());
    m_queue.pop_front();
    const std::uint8_t sequence = m_sendSequence;
    m_sendSequence = static_cast<std::uint8_t>(sequence % kLastSequence + 1);
    Transfer transfer;
    if (message.data.empty()) {
        const auto code = Code(sequence, false, kCpNiCmdShort, message.command);
        transfer.bytes.assign(code.begin(), code.end());
    } else {
        transfer.bytes = MessageTransfer(sequence, message);
    }
    transfer.tries = 1;
    transfer.resendAtMs = nowMs + kAckWaitMs;
    Write(transfer.bytes);
    m_pending = std::move(transfer);
}

void MipU50Link::Resend(std::int64_t nowMs) {
    if (!m_pending) {
        return;
    }
    if (m_pending->tries >= kTries) {
        ++Count().abandoned;
        m_pending.reset();
        StartNext(nowMs);
        return;
    }
    ++m_pending->tries;
    ++Count().resent;
    m_pending->resendAtMs = nowMs + kAckWaitMs;
    Write(m_pending->bytes);
}

void MipU50Link::Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    for (const std::uint8_t byte : bytes) {
        Byte(byte, nowMs);
    }
}

void MipU50Link::Poll(std::int64_t nowMs) {
    if (m_state != State::Hunt && nowMs - m_lastByteMs > kInterByteMs) {
        Broken(m_state == State::Message);
    }
    if (!m_synchronised && m_resyncAtMs && nowMs >= *m_resyncAtMs) {
        SendCode(0, false, kCpResync, 0);
        m_resyncAtMs = nowMs + kResyncRetryMs;
    }
    if (m_pending && nowMs >= m_pending->resendAtMs) {
        Resend(nowMs);
    }
}

std::optional<std::int64_t> MipU50Link::Deadline() const {
    std::optional<std::int64_t> deadline;
    const auto earliest = [&](std::int64_t at) {
        deadline = deadline ? std::min(*deadline, at) : at;
    };
    if (m_state != State::Hunt) {
        earliest(m_lastByteMs + kInterByteMs + 1);
    }
    if (!m_synchronised && m_resyncAtMs) {
        earliest(*m_resyncAtMs);
    }
    if (m_pending) {
        earliest(m_pending->resendAtMs);
    }
    return deadline;
}

void MipU50Link::Byte(std::uint8_t byte, std::int64_t nowMs) {
    if (m_state != State::Hunt && nowMs - m_lastByteMs > kInterByteMs) {
        Broken(m_state == State::Message);
    }
    m_lastByteMs = nowMs;
    switch (m_state) {
        case State::Hunt:
            if (byte == kSync) {
                m_state = State::Code;
                m_part.clear();
            }
            // Anything else between packets is line noise.
            return;
        case State::Code:
            if (m_part.empty() && byte == kSync) {
                return;  // the code byte is never 7E: this one starts the packet
            }
            m_part.push_back(byte);
            if (m_part.size() == kCodeBytes) {
                m_state = State::Hunt;
                if (static_cast<std::uint8_t>(kSync + m_part[0] + m_part[1] + m_part[2]) != 0) {
                    ++Count().broken;  // a broken code packet gets no answer
                    return;
                }
                CodePacket(m_part[0], m_part[1], nowMs);
            }
            return;
        case State::Message:
            MessageByte(byte, nowMs);
            return;
    }
}

void MipU50Link::CodePacket(std::uint8_t code, std::uint8_t param, std::int64_t nowMs) {
    const auto sequence = static_cast<std::uint8_t>(code >> 5);
    const std::uint8_t type = code & 0x0F;
    if ((code & kAckBit) != 0 && type != kCpFail && m_pending) {
        m_pending.reset();
    }
    switch (type) {
        case kCpNull:
            if (!m_synchronised) {
                m_synchronised = true;
                m_resyncAtMs.reset();
            }
            break;
        case kCpFail:
            Resend(nowMs);
            break;
        case kCpMsg:
            m_state = State::Message;
            m_part.clear();
            m_escape = false;
            m_messageSequence = sequence;
            break;
        case kCpMsgReq:
            SendCode(0, false, kCpMsgAck, 0);
            break;
        case kCpMsgReject:
            if (m_pending) {
                m_pending->resendAtMs = nowMs + kAckWaitMs;  // no buffer yet: later
            }
            break;
        case kCpNiCmdShort:
            Received(sequence, NiMessage{param, {}});
            break;
        default:
            break;  // CpMsgAck answers a request this host never makes; CpResync is the host's
    }
    StartNext(nowMs);
}

void MipU50Link::MessageByte(std::uint8_t byte, std::int64_t nowMs) {
    if (m_escape) {
        m_escape = false;
        if (byte != kSync) {
            // A lone 7E: a code packet cut the message short.
            Broken(true);
            m_state = State::Code;
            m_part = {byte};
            m_lastByteMs = nowMs;
            return;
        }
    } else if (byte == kSync) {
        m_escape = true;
        return;
    }
    m_part.push_back(byte);
    std::size_t total = 0;
    std::size_t first = 1;
    if (m_part[0] != kExtendedLength) {
        total = 1 + m_part[0] + 1;
    } else if (m_part.size() >= 3) {
        first = 3;
        total = first + (static_cast<std::size_t>(m_part[1]) << 8 | m_part[2]) + 1;
    } else {
        return;
    }
    if (m_part.size() < total) {
        return;
    }
    m_state = State::Hunt;
    const unsigned sum = std::accumulate(m_part.begin(), m_part.end(), 0u);
    if (total < first + 2 || (sum & 0xFF) != 0) {
        ++Count().broken;
        SendCode(0, false, kCpFail, 0);
        return;
    }
    NiMessage message{m_part[first], std::vector<std::uint8_t>(
                                         m_part.begin() + static_cast<std::ptrdiff_t>(first + 1),
                                         m_part.end() - 1)};
    Received(m_messageSequence, std::move(message));
}

void MipU50Link::Received(std::uint8_t sequence, NiMessage message) {
    SendCode(0, true, kCpNull, 0);
    if (sequence != 0 && sequence == m_receiveSequence) {
        ++Count().duplicates;
        return;
    }
    m_receiveSequence = sequence;
    Deliver(std::move(message));
}

void MipU50Link::Broken(bool answerFail) {
    ++Count().broken;
    m_state = State::Hunt;
    m_part.clear();
    m_escape = false;
    if (answerFail) {
        SendCode(0, false, kCpFail, 0);
    }
}

void MipU50Link::SendCode(std::uint8_t sequence, bool ack, std::uint8_t type, std::uint8_t param) {
    Write(Code(sequence, ack, type, param));
}

}  // namespace host::usb

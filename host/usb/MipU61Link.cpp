#include "host/usb/MipU61Link.h"

namespace host::usb {

namespace {

constexpr std::uint8_t kSync = 0x7E;
constexpr std::uint8_t kStart = 0x00;  // the second byte of every message
constexpr std::uint8_t kExtendedLength = 0xFF;
constexpr std::size_t kLongestShortLength = 254;

}  // namespace

void MipU61Link::Restart(std::int64_t /*nowMs*/) {
    ClearReceived();
    m_state = State::Hunt;
    m_escape = false;
    m_part.clear();
}

void MipU61Link::Send(const NiMessage& message, std::int64_t /*nowMs*/) {
    const std::size_t length = 1 + message.data.size();
    std::vector<std::uint8_t> out{kSync, kStart};
    if (length > kLongestShortLength) {
        out.insert(out.end(), {kExtendedLength, static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length)});
    } else {
        out.push_back(static_cast<std::uint8_t>(length));
    }
    out.push_back(message.command);
    for (const std::uint8_t byte : message.data) {
        out.push_back(byte);
        if (byte == kSync) {
            out.push_back(kSync);
        }
    }
    Write(out);
}

void MipU61Link::Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
    for (const std::uint8_t byte : bytes) {
        if (m_state != State::Hunt && m_state != State::Sync &&
            nowMs - m_lastByteMs > kInterByteMs) {
            Drop();
        }
        m_lastByteMs = nowMs;
        Byte(byte);
    }
}

void MipU61Link::Poll(std::int64_t nowMs) {
    if ((m_state == State::Length || m_state == State::Body) &&
        nowMs - m_lastByteMs > kInterByteMs) {
        Drop();
    }
}

std::optional<std::int64_t> MipU61Link::Deadline() const {
    if (m_state == State::Length || m_state == State::Body) {
        return m_lastByteMs + kInterByteMs + 1;
    }
    return std::nullopt;
}

void MipU61Link::Byte(std::uint8_t byte) {
    switch (m_state) {
        case State::Hunt:
            if (byte == kSync) {
                m_state = State::Sync;
            }
            return;  // line noise between messages
        case State::Sync:
            m_state = byte == kStart ? State::Length : byte == kSync ? State::Sync : State::Hunt;
            m_part.clear();
            m_escape = false;
            return;
        case State::Length:
        case State::Body:
            break;
    }
    if (m_escape) {
        m_escape = false;
        if (byte == kStart) {
            ++Count().broken;  // 7E 00: a new message starts
            m_state = State::Length;
            m_part.clear();
            return;
        }
        if (byte != kSync) {
            Drop();
            return;
        }
    } else if (byte == kSync) {
        m_escape = true;
        return;
    }
    m_part.push_back(byte);
    if (m_state == State::Length) {
        if (m_part[0] == kExtendedLength) {
            if (m_part.size() < 3) {
                return;
            }
            m_length = static_cast<std::size_t>(m_part[1]) << 8 | m_part[2];
        } else {
            m_length = m_part[0];
        }
        if (m_length == 0) {
            Drop();
            return;
        }
        m_part.clear();
        m_state = State::Body;
        return;
    }
    if (m_part.size() == m_length) {
        Deliver(NiMessage{m_part[0], std::vector<std::uint8_t>(m_part.begin() + 1, m_part.end())});
        m_state = State::Hunt;
        m_part.clear();
    }
}

void MipU61Link::Drop() {
    ++Count().broken;
    m_state = State::Hunt;
    m_escape = false;
    m_part.clear();
}

}  // namespace host::usb

#pragma once
// The link layer between the host and a USB network interface, as a state machine on bytes:
// what the tty delivered goes in with Feed, the bytes to write come out of TakeOutput, and the
// interface's messages out of TakeMessage. Time is given, never read, so a test can script a
// whole byte stream. Two firmware families speak differently (MIP/U50, MIP/U61); the rest of
// the host sees only this.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace host::usb {

// A network interface command and its data (a frame, a mode, a status).
struct NiMessage {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const NiMessage&) const = default;
};

struct LinkCounters {
    int broken = 0;      // code packets and messages dropped: checksum, escape, timeout
    int duplicates = 0;  // transfers that came twice: acknowledged and dropped
    int resent = 0;      // own transfers sent again
    int abandoned = 0;   // own transfers never acknowledged
};

class MipLink {
  public:
    virtual ~MipLink() = default;

    // Starts a new session with the interface (U50: a resync), dropping what was queued.
    virtual void Restart(std::int64_t nowMs) = 0;
    // Whether the interface answered the restart (U61: at once, it has nothing to answer).
    virtual bool Synchronised() const = 0;
    // Queues a message to the interface; one without data may go in the family's short form.
    virtual void Send(const NiMessage& message, std::int64_t nowMs) = 0;
    virtual void Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) = 0;
    // Lets time pass: resends, the inter-byte timeout.
    virtual void Poll(std::int64_t nowMs) = 0;
    // When Poll has something to do; nothing when only bytes from the interface can move it.
    virtual std::optional<std::int64_t> Deadline() const = 0;
    // Whether every message sent has gone out and been acknowledged.
    virtual bool Idle() const = 0;

    std::vector<std::uint8_t> TakeOutput() {
        std::vector<std::uint8_t> out;
        out.swap(m_output);
        return out;
    }
    std::optional<NiMessage> TakeMessage() {
        if (m_received.empty()) {
            return std::nullopt;
        }
        NiMessage message = std::move(m_received.front());
        m_received.pop_front();
        return message;
    }
    const LinkCounters& Counters() const { return m_counters; }

  protected:
    void Write(std::span<const std::uint8_t> bytes) {
        m_output.insert(m_output.end(), bytes.begin(), bytes.end());
    }
    void Deliver(NiMessage message) { m_received.push_back(std::move(message)); }
    void ClearReceived() { m_received.clear(); }
    LinkCounters& Count() { return m_counters; }

  private:
    std::vector<std::uint8_t> m_output;
    std::deque<NiMessage> m_received;
    LinkCounters m_counters;
};

}  // namespace host::usb

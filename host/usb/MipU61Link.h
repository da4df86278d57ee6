#pragma once
// The MIP/U61 link layer (U10 FT rev A/B, U60 TP-1250, U20, U70): every message both ways is
// 7E 00 length command data; no checksums, acknowledgements or sequence numbers. Down, the
// length and command go as they are and every 7E of the data twice; up, 7E 7E is undone on
// every byte after 7E 00, 7E 00 restarts a message and 7E followed by anything else drops it.

#include "host/usb/MipLink.h"

namespace host::usb {

class MipU61Link final : public MipLink {
  public:
    // Between two bytes of a message: past it the part received is dropped.
    static constexpr std::int64_t kInterByteMs = 100;

    void Restart(std::int64_t nowMs) override;
    bool Synchronised() const override { return true; }
    void Send(const NiMessage& message, std::int64_t nowMs) override;
    void Feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) override;
    void Poll(std::int64_t nowMs) override;
    std::optional<std::int64_t> Deadline() const override;
    bool Idle() const override { return true; }

  private:
    enum class State { Hunt, Sync, Length, Body };

    void Byte(std::uint8_t byte);
    void Drop();

    State m_state = State::Hunt;
    bool m_escape = false;
    std::int64_t m_lastByteMs = 0;
    std::vector<std::uint8_t> m_part;  // length byte(s), command, data, unescaped
    std::size_t m_length = 0;          // of command and data, once known
};

}  // namespace host::usb

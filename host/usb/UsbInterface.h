#pragma once
// A USB network interface in use: its link layer over its tty, the start-up that brings it to
// layer 2 mode (noting the mode it had), and the way back to that mode at the end, since the
// mode persists in the interface and another tool may rely on it.

#include <memory>
#include <optional>
#include <string>

#include "host/usb/MipLink.h"
#include "host/usb/SerialPort.h"
#include "host/usb/UsbDevices.h"

namespace platform::crt {
class Clock;
}

namespace host::usb {

inline constexpr std::uint8_t kNiReset = 0x50;

class UsbInterface {
  public:
    static constexpr std::int64_t kAnswerWithinMs = 1000;

    UsbInterface(std::unique_ptr<SerialPort> port, UsbFamily family, std::string path,
                 platform::crt::Clock& clock);
    ~UsbInterface();
    UsbInterface(const UsbInterface&) = delete;
    UsbInterface& operator=(const UsbInterface&) = delete;

    // Resynchronises, notes the mode and switches to layer 2; false with a message when the
    // interface does not answer in its family's framing or the tty is gone.
    bool Start(std::string& error);
    // Puts back the mode noted at start, waiting briefly for the interface to take it.
    void RestoreMode();

    // Queues a message; false when the tty is gone.
    bool Send(const NiMessage& message);
    // The next message from the interface within waitMs; frames are all a caller gets, the
    // interface's own messages (a reset) are handled here.
    std::optional<NiMessage> Receive(std::int64_t waitMs);
    // Whether the tty failed (read error, hang-up): the interface is to be reopened.
    bool Gone() const { return m_gone; }
    const LinkCounters& Counters() const { return m_link->Counters(); }
    // The mode noted at start: true for layer 2.
    std::optional<bool> NotedLayer2() const { return m_notedLayer2; }
    // The mode to put back at the end, when an earlier start noted it (a replugged interface
    // starts in the mode this program left it in).
    void KeepNotedMode(bool layer2) {
        m_notedLayer2 = layer2;
        m_switched = !layer2;
    }

  private:
    // Moves bytes both ways until untilMs or until a message came; false when the tty is gone.
    bool Pump(std::int64_t untilMs);
    bool Flush();
    // Waits for a message with command (or, when also is set, that one) within waitMs.
    std::optional<NiMessage> Await(std::uint8_t command, std::optional<std::uint8_t> also,
                                   std::int64_t waitMs);
    void SwitchTo(bool layer2);
    std::string NoAnswer() const;

    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<MipLink> m_link;
    UsbFamily m_family;
    std::string m_path;
    platform::crt::Clock& m_clock;
    bool m_gone = false;
    bool m_switched = false;
    std::optional<bool> m_notedLayer2;
};

}  // namespace host::usb

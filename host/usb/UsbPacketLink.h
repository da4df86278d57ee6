#pragma once
// The host's LonTalk packets through a USB network interface in layer 2 mode: each one goes
// down as a frame the host forms itself, and of the frames the interface passes up (all that
// it hears on the channel) only whole ones addressed to the host come back; the rest are
// counted. When the tty goes (unplugged, a read error, a hang-up) the link says so and opens
// the same path again, with the whole start-up, once it is back.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/lon/LonPacket.h"
#include "host/usb/UsbDevices.h"
#include "host/usb/UsbInterface.h"

namespace platform::crt {
class Clock;
}

namespace host::usb {

struct FrameCounters {
    int broken = 0;     // frames with a bad CRC, length or PDU
    int forOthers = 0;  // well-formed frames not addressed to the host
};

class UsbPacketLink final : public lon::PacketLink {
  public:
    // Opens the interface and runs its start-up: the port from opener (the tty, or a test's).
    using Opener = std::function<std::unique_ptr<SerialPort>(std::string& error)>;

    // nullptr with a message when the interface cannot be opened or does not start.
    static std::unique_ptr<UsbPacketLink> Open(const std::string& path, UsbFamily family,
                                               lon::SubnetNode host, platform::crt::Clock& clock,
                                               std::string& error);
    static std::unique_ptr<UsbPacketLink> Open(Opener opener, const std::string& path,
                                               UsbFamily family, lon::SubnetNode host,
                                               platform::crt::Clock& clock, std::string& error);
    ~UsbPacketLink() override;

    bool Send(const lon::Packet& packet) override;
    bool Receive(std::int64_t waitMs, lon::Packet& packet) override;
    std::string Problem() const override;

    // Puts the interface back in the mode it had; also on a stop signal, before the end.
    void Close();
    const FrameCounters& Frames() const { return m_frames; }
    const UsbInterface* Interface() const { return m_interface.get(); }

  private:
    UsbPacketLink(Opener opener, std::string path, UsbFamily family, lon::SubnetNode host,
                  platform::crt::Clock& clock);
    // Opens and starts the interface; false with a message.
    bool Connect(std::string& error);
    // While the interface is gone: tries again now and then.
    bool Reconnect();

    Opener m_opener;
    std::string m_path;
    UsbFamily m_family;
    lon::SubnetNode m_host;
    platform::crt::Clock& m_clock;
    std::unique_ptr<UsbInterface> m_interface;
    std::int64_t m_nextTryMs = 0;
    std::optional<bool> m_firstNotedLayer2;  // what the interface had before this program
    FrameCounters m_frames;
};

}  // namespace host::usb

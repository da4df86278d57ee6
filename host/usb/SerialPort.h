#pragma once
// The byte pipe to a USB network interface: its tty, or in a test a scripted one.

#include <cstdint>
#include <span>

namespace host::usb {

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Writes all of bytes; false when the device is gone.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Waits at most waitMs for bytes and reads what there is: the count, 0 when none came, -1
    // when the device is gone (read error, hang-up).
    virtual int Read(std::int64_t waitMs, std::span<std::uint8_t> buffer) = 0;
};

}  // namespace host::usb

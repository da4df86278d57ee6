#pragma once
// The tty of a USB network interface, taken for this program alone (TIOCEXCL and an exclusive
// flock, so neither a second qma7 nor a well-behaved other tool opens it meanwhile), raw 8N1 at
// the family's rate, DTR and RTS asserted, what was pending flushed.

#include <memory>
#include <string>

#include "host/usb/SerialPort.h"

namespace host::usb {

class UsbTty final : public SerialPort {
  public:
    // nullptr with a message a person can act on: no such device, not a tty, permission
    // (naming the group that may open it), in use (naming the holder where it can).
    static std::unique_ptr<UsbTty> Open(const std::string& path, int baud, std::string& error);
    ~UsbTty() override;
    UsbTty(const UsbTty&) = delete;
    UsbTty& operator=(const UsbTty&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    int Read(std::int64_t waitMs, std::span<std::uint8_t> buffer) override;

  private:
    explicit UsbTty(int fd) : m_fd(fd) {}
    int m_fd;
};

}  // namespace host::usb

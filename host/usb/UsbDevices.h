#pragma once
// Which firmware family a USB network interface speaks, told by its USB vendor and product IDs
// as sysfs shows them, and which known interfaces are attached. The sysfs root is a parameter
// so that tests can lay out a tree of their own.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace host::usb {

enum class UsbFamily {
    U50,  // MIP/U50: U60 FT, U10 FT rev C; a CDC-ACM tty at 115200
    U61,  // MIP/U61: U10 FT rev A/B, U60 TP-1250, U20, U70; an FTDI tty at 460800
};

int BaudOf(UsbFamily family);
// "MIP/U50 (U60 FT, U10 FT rev C)" and the like, for messages.
std::string FamilyName(UsbFamily family);
std::optional<UsbFamily> ParseFamily(const std::string& text);  // "u50", "u61"

// A tty with USB IDs.
struct UsbTtyDevice {
    std::string name;  // ttyUSB0
    std::string ids;   // 0920:7500
    std::optional<UsbFamily> family;
};

// The tty device's USB IDs and family; nothing when the tty has no USB device (a pty) or sysfs
// does not know it.
std::optional<UsbTtyDevice> DescribeTty(const std::filesystem::path& device,
                                        const std::filesystem::path& sysRoot);
// Every tty with USB IDs, known family or not, sorted by name.
std::vector<UsbTtyDevice> UsbTtys(const std::filesystem::path& sysRoot);

}  // namespace host::usb

#pragma once
// The options that put the host on the node through a USB network interface instead of
// LON/IP (`--usb DEVICE|auto`, `--usb-kind u50|u61`), and the choice of the interface they
// make: the tty and its firmware family, from the options, the node list or the USB IDs.

#include <optional>
#include <string>

#include "host/usb/UsbDevices.h"

namespace host {

struct UsbOptions {
    std::optional<std::string> device;  // a tty path or "auto"
    std::optional<std::string> kind;    // "u50" or "u61"
};

// Takes argv[i] (and its value) when it is a USB option, moving i on: true. error is set when
// the value is bad.
bool TakeUsbOption(int argc, char** argv, int& i, UsbOptions& options, std::string& error);

struct UsbChoice {
    std::string path;
    usb::UsbFamily family = usb::UsbFamily::U50;
};

// The interface to open for device ("auto": the one attached interface of a known kind) and
// kind (which, when given, overrides what the USB IDs say). sysRoot: where sysfs is
// (QMA7_SYSFS_ROOT in tests). Nothing, with a message that lists what was found, when there is
// no such interface, several, or one whose family cannot be told.
std::optional<UsbChoice> ChooseUsbInterface(const std::string& device,
                                            const std::optional<std::string>& kind,
                                            const std::string& sysRoot, std::string& error);

// Where sysfs is: QMA7_SYSFS_ROOT, else /sys.
std::string SysfsRoot();

}  // namespace host

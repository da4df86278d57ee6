#include "host/app/UsbOption.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace host {

namespace {

constexpr const char* kAuto = "auto";
constexpr const char* kSysfsVariable = "QMA7_SYSFS_ROOT";
constexpr const char* kKindHint =
    "give --usb-kind u50 (U60 FT, U10 FT rev C) or u61 (U10 FT rev A/B, U60 TP-1250, U20, U70)";

std::string Listed(const std::vector<usb::UsbTtyDevice>& devices) {
    std::string text;
    for (const auto& device : devices) {
        text += (text.empty() ? "" : ", ") + ("/dev/" + device.name + " (" + device.ids) +
                (device.family ? ", " + usb::FamilyName(*device.family) : std::string()) + ")";
    }
    return text;
}

}  // namespace

std::string SysfsRoot() {
    const char* root = std::getenv(kSysfsVariable);
    return root != nullptr && root[0] != '\0' ? root : "/sys";
}

bool TakeUsbOption(int argc, char** argv, int& i, UsbOptions& options, std::string& error) {
    const std::string arg = argv[i];
    if (arg != "--usb" && arg != "--usb-kind") {
        return false;
    }
    if (i + 1 >= argc) {
        error = arg + " needs a value";
        return true;
    }
    const std::string value = argv[++i];
    if (arg == "--usb") {
        options.device = value;
    } else if (!usb::ParseFamily(value)) {
        error = "--usb-kind takes u50 or u61, not " + value;
    } else {
        options.kind = value;
    }
    return true;
}

std::optional<UsbChoice> ChooseUsbInterface(const std::string& device,
                                            const std::optional<std::string>& kind,
                                            const std::string& sysRoot, std::string& error) {
    // Told by --usb-kind (or the node list): whether, and which.
    const bool told = kind && usb::ParseFamily(*kind);
    const usb::UsbFamily toldFamily = told ? *usb::ParseFamily(*kind) : usb::UsbFamily::U50;
    if (device == kAuto) {
        const auto ttys = usb::UsbTtys(sysRoot);
        std::vector<usb::UsbTtyDevice> known;
        for (const auto& tty : ttys) {
            if (tty.family && (!told || *tty.family == toldFamily)) {
                known.push_back(tty);
            }
        }
        if (known.size() == 1) {
            return UsbChoice{"/dev/" + known[0].name, *known[0].family};
        }
        if (known.empty()) {
            error = "--usb auto found no USB network interface of a known kind" +
                    (ttys.empty() ? std::string(" (and no USB tty at all)")
                                  : " among the USB ttys " + Listed(ttys)) +
                    "; name it with --usb DEVICE and " + kKindHint;
        } else {
            error = "--usb auto found several USB network interfaces: " + Listed(known) +
                    "; name one with --usb DEVICE";
        }
        return std::nullopt;
    }
    if (told) {
        return UsbChoice{device, toldFamily};
    }
    std::error_code missing;
    if (!std::filesystem::exists(device, missing)) {
        error = "no USB interface at " + device +
                " (is it plugged in? ls /dev/serial/by-id lists the attached ones)";
        return std::nullopt;
    }
    const auto described = usb::DescribeTty(device, sysRoot);
    if (!described || !described->family) {
        error = "cannot tell which kind of USB network interface " + device + " is (" +
                (described ? "USB IDs " + described->ids + " are not known here"
                           : std::string("it has no USB IDs")) +
                "); " + kKindHint;
        return std::nullopt;
    }
    return UsbChoice{device, *described->family};
}

}  // namespace host

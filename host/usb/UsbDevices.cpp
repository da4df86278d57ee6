#include "host/usb/UsbDevices.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace host::usb {

namespace {

namespace fs = std::filesystem;

struct KnownId {
    const char* ids;
    UsbFamily family;
};

// Only IDs with a public source. Echelon's vendor ID 0920 with product 7500 is the U20 (an FTDI
// chip, so MIP/U61): Linux drivers/usb/serial/ftdi_sio_ids.h, ECHELON_VID / ECHELON_U20_PID.
// Interfaces not listed here are told by --usb-kind.
constexpr std::array kKnownIds{KnownId{"0920:7500", UsbFamily::U61}};

constexpr int kU50Baud = 115200;
constexpr int kU61Baud = 460800;

std::string ReadWord(const fs::path& file) {
    std::string word;
    std::ifstream(file) >> word;
    return word;
}

// The USB device a tty's sysfs node belongs to: the nearest ancestor with idVendor.
std::optional<std::string> IdsOf(const fs::path& ttyNode) {
    std::error_code ec;
    fs::path at = fs::canonical(ttyNode / "device", ec);
    if (ec) {
        return std::nullopt;
    }
    for (; !at.empty() && at != at.root_path(); at = at.parent_path()) {
        if (fs::exists(at / "idVendor", ec) && fs::exists(at / "idProduct", ec)) {
            return ReadWord(at / "idVendor") + ":" + ReadWord(at / "idProduct");
        }
    }
    return std::nullopt;
}

std::optional<UsbFamily> FamilyOfIds(const std::string& ids) {
    for (const KnownId& known : kKnownIds) {
        if (ids == known.ids) {
            return known.family;
        }
    }
    return std::nullopt;
}

}  // namespace

int BaudOf(UsbFamily family) {
    return family == UsbFamily::U50 ? kU50Baud : kU61Baud;
}

std::string FamilyName(UsbFamily family) {
    return family == UsbFamily::U50 ? "MIP/U50 (U60 FT, U10 FT rev C)"
                                    : "MIP/U61 (U10 FT rev A/B, U60 TP-1250, U20, U70)";
}

std::optional<UsbFamily> ParseFamily(const std::string& text) {
    if (text == "u50") {
        return UsbFamily::U50;
    }
    if (text == "u61") {
        return UsbFamily::U61;
    }
    return std::nullopt;
}

std::optional<UsbTtyDevice> DescribeTty(const fs::path& device, const fs::path& sysRoot) {
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    if (ec) {
        return std::nullopt;
    }
    const std::string name = real.filename();
    const auto ids = IdsOf(sysRoot / "class" / "tty" / name);
    if (!ids) {
        return std::nullopt;
    }
    return UsbTtyDevice{name, *ids, FamilyOfIds(*ids)};
}

std::vector<UsbTtyDevice> UsbTtys(const fs::path& sysRoot) {
    std::vector<UsbTtyDevice> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysRoot / "class" / "tty", ec)) {
        const auto ids = IdsOf(entry.path());
        if (ids) {
            found.push_back({entry.path().filename(), *ids, FamilyOfIds(*ids)});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const UsbTtyDevice& a, const UsbTtyDevice& b) { return a.name < b.name; });
    return found;
}

}  // namespace host::usb

// Choosing the USB network interface: by its USB IDs in a sysfs tree of the test's own, by
// --usb-kind, or the one attached with --usb auto.
#include "host/app/UsbOption.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using host::ChooseUsbInterface;
using host::usb::UsbFamily;

namespace {

class UsbOptionTest : public ::testing::Test {
  protected:
    UsbOptionTest() {
        fs::remove_all(m_root);
        fs::create_directories(m_root / "sys" / "class" / "tty");
        fs::create_directories(m_root / "dev");
    }
    ~UsbOptionTest() override { fs::remove_all(m_root); }

    // A USB tty NAME of the device with IDS (vendor:product), with its device file.
    void Attach(const std::string& name, const std::string& vendor, const std::string& product) {
        const fs::path usbDevice = m_root / "sys" / "devices" / ("usb-" + name) / "1-1";
        const fs::path interface = usbDevice / "1-1:1.0" / name;
        fs::create_directories(interface);
        std::ofstream(usbDevice / "idVendor") << vendor << "\n";
        std::ofstream(usbDevice / "idProduct") << product << "\n";
        fs::create_directories(m_root / "sys" / "class" / "tty" / name);
        fs::create_directory_symlink(interface, m_root / "sys" / "class" / "tty" / name / "device");
        std::ofstream(m_root / "dev" / name) << "";
    }
    std::string Sys() const { return (m_root / "sys").string(); }
    std::string Dev(const std::string& name) const { return (m_root / "dev" / name).string(); }

    fs::path m_root = fs::temp_directory_path() / ("qma7-usb-" + std::to_string(::getpid()));
};

}  // namespace

TEST_F(UsbOptionTest, TheFamilyComesFromTheIdsOrTheKindWhichOverrides) {
    Attach("ttyUSB0", "0920", "7500");
    Attach("ttyACM0", "1234", "5678");
    std::string error;
    auto choice = ChooseUsbInterface(Dev("ttyUSB0"), std::nullopt, Sys(), error);
    ASSERT_TRUE(choice) << error;
    EXPECT_EQ(choice->family, UsbFamily::U61);
    choice = ChooseUsbInterface(Dev("ttyUSB0"), "u50", Sys(), error);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->family, UsbFamily::U50);

    EXPECT_FALSE(ChooseUsbInterface(Dev("ttyACM0"), std::nullopt, Sys(), error));
    EXPECT_NE(error.find("USB IDs 1234:5678 are not known here"), std::string::npos) << error;
    EXPECT_NE(error.find("--usb-kind u50"), std::string::npos) << error;
    // A pty has no USB IDs; a missing device is said as such.
    EXPECT_FALSE(ChooseUsbInterface("/dev/null", std::nullopt, Sys(), error));
    EXPECT_NE(error.find("it has no USB IDs"), std::string::npos) << error;
    EXPECT_FALSE(ChooseUsbInterface(Dev("ttyUSB9"), std::nullopt, Sys(), error));
    EXPECT_EQ(error.rfind("no USB interface at ", 0), 0U) << error;
}

TEST_F(UsbOptionTest, AutoTakesTheOneKnownInterfaceAndListsWhatItFoundOtherwise) {
    std::string error;
    EXPECT_FALSE(ChooseUsbInterface("auto", std::nullopt, Sys(), error));
    EXPECT_NE(error.find("no USB tty at all"), std::string::npos) << error;

    Attach("ttyACM0", "1234", "5678");
    EXPECT_FALSE(ChooseUsbInterface("auto", std::nullopt, Sys(), error));
    EXPECT_NE(error.find("among the USB ttys /dev/ttyACM0 (1234:5678)"), std::string::npos)
        << error;

    Attach("ttyUSB1", "0920", "7500");
    const auto choice = ChooseUsbInterface("auto", std::nullopt, Sys(), error);
    ASSERT_TRUE(choice) << error;
    EXPECT_EQ(choice->path, "/dev/ttyUSB1");
    EXPECT_EQ(choice->family, UsbFamily::U61);

    Attach("ttyUSB0", "0920", "7500");
    EXPECT_FALSE(ChooseUsbInterface("auto", std::nullopt, Sys(), error));
    EXPECT_EQ(error,
              "--usb auto found several USB network interfaces: /dev/ttyUSB0 (0920:7500, MIP/U61 "
              "(U10 FT rev A/B, U60 TP-1250, U20, U70)), /dev/ttyUSB1 (0920:7500, MIP/U61 (U10 FT "
              "rev A/B, U60 TP-1250, U20, U70)); name one with --usb DEVICE");
}

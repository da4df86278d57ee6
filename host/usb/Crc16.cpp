#include "host/usb/Crc16.h"

namespace host::usb {

namespace {

constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kPreset = 0xFFFF;
constexpr std::uint16_t kTopBit = 0x8000;

}  // namespace

std::uint16_t FrameCrc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = kPreset;
    for (const std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & kTopBit) != 0 ? static_cast<std::uint16_t>(crc << 1 ^ kPolynomial)
                                       : static_cast<std::uint16_t>(crc << 1);
        }
    }
    return static_cast<std::uint16_t>(~crc);
}

}  // namespace host::usb

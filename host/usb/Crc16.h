#pragma once
// The frame check sequence of a LonTalk frame on the channel: CRC-16 with the CCITT polynomial
// 0x1021, preset to FFFF, the result complemented and sent most significant byte first. In
// layer 2 mode the interface appends it to what the host sends and passes it up with what it
// hears, so the host checks it on every frame it receives.

#include <cstdint>
#include <span>

namespace host::usb {

std::uint16_t FrameCrc(std::span<const std::uint8_t> bytes);

}  // namespace host::usb

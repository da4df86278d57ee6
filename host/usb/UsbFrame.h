#pragma once
// The LonTalk frame as the host forms it in layer 2 mode, inside the interface's niCOMM
// messages: down, the layer 2 header and the NPDU (the interface adds the CRC); up, the header,
// the NPDU and the CRC of what was heard on the channel. Addressing is subnet/node with the
// node's domain; the enclosed PDU is a session PDU (request, response) or a transport PDU
// (acknowledged message, acknowledgement) with its transaction ID.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/lon/LonPacket.h"

namespace host::usb {

using lon::Packet;

// NI commands that carry a frame.
inline constexpr std::uint8_t kNiCommTransmit = 0x12;  // niCOMM | niTQ: a frame to send
inline constexpr std::uint8_t kNiCommIncoming = 0x1A;  // niCOMM | niINCOMING_L2: a frame heard

// Why a frame heard was not taken.
enum class FrameVerdict {
    Taken,
    Broken,    // too short, bad CRC, a length that does not fit, an unknown PDU
    NotForUs,  // another address format, or a well-formed frame of someone else
};

// The data of the niCOMM message that sends packet (header and NPDU, no CRC).
std::vector<std::uint8_t> EncodeDownlinkFrame(const Packet& packet);
// The frame of an incoming niCOMM message (header, NPDU, CRC): checked and decoded. A frame
// with subnet/node addressing is Taken whoever it is for; the caller filters on addresses.
FrameVerdict DecodeUplinkFrame(std::span<const std::uint8_t> data, Packet& packet);

}  // namespace host::usb

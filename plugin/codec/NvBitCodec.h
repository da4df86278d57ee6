#pragma once
// Bit operations on single bytes. Bit n counts from the most significant bit (n = 0 is 0x80);
// pages mirror whole buffers first, so that their bit n is the raw byte's bit of value 1 << n.

#include <cstdint>
#include <span>

#include "plugin/codec/NvCodec.h"

class NvBitCodec : public NvCodec {
  public:
    int TestBit(std::uint8_t b, int n) const;
    std::uint8_t SetBit(std::uint8_t b, int n) const;
    std::uint8_t ClearBit(std::uint8_t b, int n) const;
    std::uint8_t MirrorBits(std::uint8_t b) const;

    // MirrorBits on every byte of a buffer.
    void MirrorBits(std::span<std::uint8_t> bytes) const;
};

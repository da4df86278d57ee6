#pragma once
// Number conversions between network-variable bytes (most significant first) and values.
// Stateless: create one on the stack around the conversions you need.

#include <cstdint>

class NvCodec {
  public:
    virtual ~NvCodec() = default;

    // Numbers from bytes.
    int MakeWord(std::uint8_t hi, std::uint8_t lo) const;             // 0..65535
    int TenthsOf(std::uint8_t hi, std::uint8_t lo) const;             // word / 10, truncated
    int SignedByteOf(std::uint8_t b) const;                           // -128..127
    double TempFromBytes(std::uint8_t hi, std::uint8_t lo) const;     // hundredths; > 10000 wraps
    double PercentFromBytes(std::uint8_t hi, std::uint8_t lo) const;  // 0.005 % steps, unsigned
    double HalfFromBytes(std::uint8_t hi, std::uint8_t lo) const;     // 0.5 steps, unsigned

    // Bytes from numbers: bits 8..15 or 0..7 of the value truncated toward zero.
    std::uint8_t HighByteOf(double x) const;
    std::uint8_t LowByteOf(double x) const;
    std::uint8_t ScaledHighByte(double x, int k) const;
    std::uint8_t ScaledLowByte(double x, int k) const;
    std::uint8_t HighByteOfInt(int value) const;
    std::uint8_t LowByteOfInt(int value) const;
};

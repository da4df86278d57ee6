#include "plugin/codec/NvCodec.h"

#include "platform/crt/CRuntime.h"

using platform::crt::Trunc64;

int NvCodec::MakeWord(std::uint8_t hi, std::uint8_t lo) const {
    return (hi << 8) | lo;
}

int NvCodec::TenthsOf(std::uint8_t hi, std::uint8_t lo) const {
    return MakeWord(hi, lo) / 10;
}

int NvCodec::SignedByteOf(std::uint8_t b) const {
    return static_cast<std::int8_t>(b);
}

double NvCodec::TempFromBytes(std::uint8_t hi, std::uint8_t lo) const {
    // The node's temperatures are signed only above 100.00 degrees: 10001..65535 are negative.
    int w = MakeWord(hi, lo);
    if (w > 10000) {
        w -= 65536;
    }
    return w * 0.01;
}

double NvCodec::PercentFromBytes(std::uint8_t hi, std::uint8_t lo) const {
    return MakeWord(hi, lo) * 0.01 * 0.5;
}

double NvCodec::HalfFromBytes(std::uint8_t hi, std::uint8_t lo) const {
    return MakeWord(hi, lo) * 0.5;
}

std::uint8_t NvCodec::HighByteOf(double x) const {
    return static_cast<std::uint8_t>((static_cast<std::uint64_t>(Trunc64(x)) >> 8) & 0xFF);
}

std::uint8_t NvCodec::LowByteOf(double x) const {
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(Trunc64(x)) & 0xFF);
}

std::uint8_t NvCodec::ScaledHighByte(double x, int k) const {
    return HighByteOf(x * k);
}

std::uint8_t NvCodec::ScaledLowByte(double x, int k) const {
    return LowByteOf(x * k);
}

std::uint8_t NvCodec::HighByteOfInt(int value) const {
    return static_cast<std::uint8_t>((static_cast<unsigned>(value) >> 8) & 0xFF);
}

std::uint8_t NvCodec::LowByteOfInt(int value) const {
    return static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFF);
}

#include "plugin/codec/NvBitCodec.h"

namespace {
bool InRange(int n) {
    return n >= 0 && n <= 7;
}
std::uint8_t Mask(int n) {
    return static_cast<std::uint8_t>(0x80u >> n);
}
}  // namespace

int NvBitCodec::TestBit(std::uint8_t b, int n) const {
    return InRange(n) && (b & Mask(n)) != 0 ? 1 : 0;
}

std::uint8_t NvBitCodec::SetBit(std::uint8_t b, int n) const {
    return InRange(n) ? static_cast<std::uint8_t>(b | Mask(n)) : b;
}

std::uint8_t NvBitCodec::ClearBit(std::uint8_t b, int n) const {
    return InRange(n) ? static_cast<std::uint8_t>(b & ~Mask(n)) : b;
}

std::uint8_t NvBitCodec::MirrorBits(std::uint8_t b) const {
    std::uint8_t mirrored = 0;
    for (int n = 0; n < 8; ++n) {
        if ((b & (1u << n)) != 0) {
            mirrored = static_cast<std::uint8_t>(mirrored | (0x80u >> n));
        }
    }
    return mirrored;
}

void NvBitCodec::MirrorBits(std::span<std::uint8_t> bytes) const {
    for (std::uint8_t& b : bytes) {
        b = MirrorBits(b);
    }
}

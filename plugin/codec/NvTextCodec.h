#pragma once
// Text forms of node values used by the node settings file, and the file's date and time
// stamps. Stateless: create one on the stack around the conversions you need.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class NvTextCodec {
  public:
    virtual ~NvTextCodec() = default;

    // A 31-byte SNVT_str_int value (byte 0, then fifteen words) as sixteen numbers separated
    // by ", " and followed by "\n\n". Missing bytes of a shorter buffer count as 0.
    std::string StrIntToText(std::span<const std::uint8_t> bytes) const;
    // Byte i (0..30) of the value that such a text describes; any other i gives 0.
    std::uint8_t TextToStrInt(std::string_view text, int i) const;
    // Where field f of such a text begins: each separator counts as a comma and exactly one
    // following character. May lie beyond the end of the text.
    int StrIntFieldOffset(std::string_view text, int f) const;

    std::string WordText(std::uint8_t b0, std::uint8_t b1) const;
    std::string TenthsText(std::uint8_t b0, std::uint8_t b1) const;
    std::string PercentText(std::uint8_t b0, std::uint8_t b1) const;
    std::uint8_t ByteFromText(std::string_view text, bool low) const;
    std::uint8_t ByteFromTenthsText(std::string_view text, bool low) const;
    std::uint8_t ByteFromPercentText(std::string_view text, bool low) const;

    // "5/12-2026 " for 5 December 2026 (with its trailing blank); "9:05:07" for 09:05:07.
    std::string DateStamp() const;
    std::string TimeStamp() const;
};

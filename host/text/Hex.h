#pragma once
// Bytes as hex text, as scripts, the node image, the call log and LON addresses write them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The value of a hex digit of either case; -1 for any other character.
int HexDigitValue(char c);

// The bytes of a HEX argument: hex digits of either case, blanks ignored, "-" for no bytes.
// Nothing, with a message in error, for any other character or an odd number of digits.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text, std::string& error);

// Upper-case hex, two digits a byte, no blanks; "-" for no bytes, as ParseHex reads it.
std::string FormatHex(std::span<const std::uint8_t> bytes);

}  // namespace host

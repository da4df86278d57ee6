#pragma once
// The lexical side of `qma7 script`: a line split into words, HEX arguments, and the quoted
// TEXT and HEX of the output. Texts are raw bytes held in std::string.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The words of one script line. Blank lines and comments give no words. A quoted word may
// contain blanks and the escapes \" \\ \n \r \t \xHH. Nothing, with a message in error, for an
// unknown escape, an unterminated quote or a quote that does not stand at a word's edges.
std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string& error);

// The bytes of a HEX argument: hex digits of either case, blanks ignored, "-" for no bytes.
// Nothing, with a message in error, for any other character or an odd number of digits.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text, std::string& error);

// Upper-case hex, two digits a byte, no blanks; "-" for no bytes, as ParseHex reads it.
std::string FormatHex(std::span<const std::uint8_t> bytes);

// TEXT as the output shows it: in double quotes, with \" \\ \n \r \t and \xHH (upper-case)
// for every other byte below 0x20, 0x7F and every byte from 0x80.
std::string QuoteText(std::string_view text);

}  // namespace host

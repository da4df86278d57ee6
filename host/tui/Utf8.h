#pragma once
// The dialog model keeps its texts as UTF-8 bytes; the screen works in code points. A byte that
// is not part of UTF-8 (an 8-bit node name, a multi-byte name cut short) decodes to a code point
// of its own that encodes back to the same byte, so that editing a text keeps its other bytes,
// and shows as the replacement mark. Wide (East Asian) characters take two cells.

#include <string>
#include <string_view>

namespace host::tui {

std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

// How many cells c takes on a terminal: 0 for a combining mark, 2 for a wide character, 1
// otherwise.
int CellWidth(char32_t c);
int CellWidth(std::u32string_view text);
// What a cell shows for c: a control character as a blank; a bidirectional or other format
// control, and a byte that was not UTF-8, as the replacement mark U+FFFD; c itself otherwise.
char32_t Printable(char32_t c);

// The text as a terminal without Unicode shows it: the degree sign as "deg" ("degC": one word,
// so that a unit never wraps apart, and the form unit tables use in plain ASCII); anything else
// beyond ASCII is left for the terminal to mark.
std::u32string AsciiForm(std::u32string_view text);

}  // namespace host::tui

#pragma once
// The dialog model keeps its texts as UTF-8 bytes; the screen works in code points, one cell
// each. Bytes that are not UTF-8 (an 8-bit node name) show as the Latin-1 character of the byte.

#include <string>
#include <string_view>

namespace host::tui {

std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace host::tui

#pragma once
// A name, path or argument as the host prints it inside a message: whatever bytes it holds, it
// cannot move the cursor, clear the terminal or fill the screen.

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

// Longer texts are cut (at a character boundary) and end in "...".
constexpr std::size_t kMaxShownBytes = 200;

// text with every control character (C0, DEL, C1) and every byte that is not part of UTF-8 as
// \xHH, and a backslash as \\; UTF-8 letters stay as they are. At most kMaxShownBytes of the
// result, plus "...", when it is longer.
std::string ShownText(std::string_view text);

}  // namespace host

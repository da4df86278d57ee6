#pragma once
// The lexical side of `qma7 script`: a line split into words. Its HEX and quoted TEXT are
// host/text's.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The words of one script line. Blank lines and comments give no words. A quoted word may
// contain blanks and the escapes \" \\ \n \r \t \xHH. Nothing, with a message in error, for an
// unknown escape, an unterminated quote or a quote that does not stand at a word's edges.
std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string& error);

}  // namespace host

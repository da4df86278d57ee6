#pragma once
// Texts as scripts, the call log and the message box log show them. Texts are raw bytes held in
// std::string.

#include <string>
#include <string_view>

namespace host {

// TEXT in double quotes, with \" \\ \n \r \t and \xHH (upper-case) for every other byte below
// 0x20, 0x7F and every byte from 0x80.
std::string QuoteText(std::string_view text);

}  // namespace host

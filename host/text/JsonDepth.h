#pragma once
// A bound on the nesting of a JSON text, checked before the text is parsed: the parser and the
// checks that run on its events take memory and time with every level, and the files the host
// reads (node images, node lists) are two or three levels deep.

#include <cstddef>
#include <string_view>

namespace host {

// True when the arrays and objects of text nest deeper than limit (strings are skipped, so a
// bracket inside one does not count). Linear in the text; malformed text is left to the parser.
bool JsonNestsDeeperThan(std::string_view text, std::size_t limit);

}  // namespace host

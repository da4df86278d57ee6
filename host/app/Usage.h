#pragma once
// The qma7 command's help and version texts.

#include <string>

namespace host {

extern const char* const kUsage;

// What --version prints: qma7's version, then the description, version and file name of the
// plug-in module that comes with it. False, with the qma7 line in text and a message in error,
// when that module cannot be loaded or has no version resource.
bool VersionLines(std::string& text, std::string& error);

}  // namespace host

#pragma once
// The qma7 command's help and version texts.

namespace host {

extern const char* const kUsage;
extern const char* const kVersion;

}  // namespace host

#pragma once
// A module's version resource: the file and product versions as numbers and the named texts of
// its string table. An installer reads it before it trusts a module to register itself.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

// Names of the string table's entries.
inline constexpr char kVersionFileDescription[] = "FileDescription";
inline constexpr char kVersionInternalName[] = "InternalName";
inline constexpr char kVersionOriginalFilename[] = "OriginalFilename";
// Present (with an empty text) in a module that registers itself through DllRegisterServer.
inline constexpr char kVersionOleSelfRegister[] = "OLESelfRegister";

struct VersionString {
    const char* name;
    const char* value;
};

// Four numbers: major, minor, build, revision.
using FileVersion = std::array<std::uint16_t, 4>;

struct VS_VERSIONINFO {
    FileVersion fileVersion;
    FileVersion productVersion;
    std::span<const VersionString> strings;
};

// The text of the string table entry name; null when the resource has no such entry.
inline const char* VerQueryValue(const VS_VERSIONINFO& info, const char* name) {
    for (const VersionString& entry : info.strings) {
        if (std::strcmp(entry.name, name) == 0) {
            return entry.value;
        }
    }
    return nullptr;
}

// "1.0.0.1".
inline std::string VersionText(const FileVersion& version) {
    return std::to_string(version[0]) + '.' + std::to_string(version[1]) + '.' +
           std::to_string(version[2]) + '.' + std::to_string(version[3]);
}

#pragma once
// The module's version resource. The module exports it for installers; the qma7 program, built
// from the same sources, reports it as its own version.

#include "platform/ui/VersionResource.h"

inline constexpr FileVersion kModuleVersion = {1, 0, 0, 1};

inline constexpr VersionString kVersionStrings[] = {
    {kVersionFileDescription, "QMA7 ActiveX Control Module"},
    {kVersionInternalName, "QMA7"},
    {kVersionOriginalFilename, "QMA7.OCX"},
    {kVersionOleSelfRegister, ""},
};

inline constexpr VS_VERSIONINFO kVersionInfo = {kModuleVersion, kModuleVersion, kVersionStrings};

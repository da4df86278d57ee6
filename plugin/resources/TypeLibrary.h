#pragma once
// The control's type library, QMA7Lib, as the module carries it: the dispatch interface _DQMA7
// with the one method AboutBox, the event interface _DQMA7Events without events, and the class
// QMA7 that joins them.

#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/ui/TypeLibResource.h"

inline constexpr GUID LIBID_QMA7Lib = MakeGuid("{76A875E3-EAF0-11D5-8DA4-00107A158EFD}");
inline constexpr IID DIID__DQMA7 = MakeGuid("{76A875E4-EAF0-11D5-8DA4-00107A158EFD}");
inline constexpr IID DIID__DQMA7Events = MakeGuid("{76A875E5-EAF0-11D5-8DA4-00107A158EFD}");
inline constexpr CLSID CLSID_QMA7Ctrl = MakeGuid("{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");

inline constexpr std::uint16_t kQMA7LibMajor = 1;
inline constexpr std::uint16_t kQMA7LibMinor = 0;

extern const TypeLibrary kQMA7TypeLibrary;

#pragma once
// The framework's standard registry entries under HKEY_CLASSES_ROOT: a module's type library,
// and a control class with its ProgID. Each function returns true on success; a failed write
// ends it at once.

#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"
#include "platform/ui/ModuleState.h"

// Registration flags of a control class.
constexpr int afxRegDefault = 0x0000;
constexpr int afxRegApartmentThreading = 0x0002;

// Miscellaneous status bits of a control class.
constexpr std::uint32_t OLEMISC_RECOMPOSEONRESIZE = 0x00000001;
constexpr std::uint32_t OLEMISC_CANTLINKINSIDE = 0x00000010;
constexpr std::uint32_t OLEMISC_INSIDEOUT = 0x00000080;
constexpr std::uint32_t OLEMISC_ACTIVATEWHENVISIBLE = 0x00000100;
constexpr std::uint32_t OLEMISC_SETCLIENTSITEFIRST = 0x00020000;

// Registers the type library tlid from the module's own resources: TypeLib\{tlid}\MAJOR.MINOR
// with the module's path and help folder (helpDir, or the module's folder when null), and each
// of its dispatch interfaces under Interface. Fails when the module carries no such library.
bool AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, const char* helpDir = nullptr);
// Removes the registration of version major.minor of tlid for locale lcid and the interfaces
// registered with it. Fails when that version is not registered.
bool AfxOleUnregisterTypeLib(REFGUID tlid, std::uint16_t major, std::uint16_t minor, LCID lcid = 0);

// The standard entries of a control class: CLSID\{clsid} with the type name (string resource
// idTypeName), InprocServer32 (the module's path, and the threading model when regFlags asks
// for apartment threading), ProgID, Control, ToolboxBitmap32 (bitmap resource idBitmap),
// MiscStatus, TypeLib and Version; and the ProgID's key with its CLSID.
bool AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, const char* progId,
                                int idTypeName, int idBitmap, int regFlags,
                                std::uint32_t miscStatus, REFGUID tlid, std::uint16_t major,
                                std::uint16_t minor);
// Removes CLSID\{clsid} and the ProgID's key with everything below them; keys that are not
// there count as removed.
bool AfxOleUnregisterClass(REFCLSID clsid, const char* progId);

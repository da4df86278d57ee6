#pragma once
// The system registry as the plug-in uses it: HKEY_CLASSES_ROOT only, through the Win32
// functions and status codes. The keys live in a text file in the .reg format (RegTree.h)
// that a person can read and diff; a call reads the file when it changed since the last one,
// and every change saves it under a lock (RegStore.h), so several processes can share one
// registry. Files go through platform::crt::CurrentFileSystem().
//
// The file is $QMA7_REGISTRY when set, else ${XDG_CONFIG_HOME:-$HOME/.config}/qma7/registry.reg;
// RegistrySetFile overrides both.
//
// Differences from Win32 worth knowing: values are REG_SZ or REG_DWORD only; strings, names
// and key names cannot hold line breaks (ERROR_INVALID_PARAMETER); an empty sub-key gives a
// new handle to the same key rather than the handle passed in; a handle whose key was deleted
// answers ERROR_KEY_DELETED.

#include <cstdint>
#include <functional>
#include <string>

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

// The one predefined key.
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_DATA = 13;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_BADDB = 1009;               // the registry file is malformed
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;  // the registry file cannot be read or saved
constexpr LONG ERROR_KEY_DELETED = 1018;         // the handle's key no longer exists

// Opens subKey under parent, creating it and any missing keys on the way.
LONG RegCreateKey(HKEY parent, const char* subKey, HKEY* result);
// Opens an existing subKey under parent; ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKey(HKEY parent, const char* subKey, HKEY* result);
LONG RegCloseKey(HKEY key);

// Sets the default value of subKey (the key itself when null or empty), creating the key.
LONG RegSetValue(HKEY key, const char* subKey, const char* text);
// The Win32 form: type must be REG_SZ; the text is data's first size bytes (up to a NUL).
LONG RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD size);
// Sets the named value (the default value when name is null or empty). REG_SZ data is text up
// to its first NUL within size bytes; REG_DWORD data is 4 bytes in the machine's order.
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size);

// The default value of subKey (the key itself when null or empty) as text with its NUL. A key
// without a default value gives "". size is in bytes, in and out; with buffer null only the
// size needed is returned; a buffer too small gives ERROR_MORE_DATA and the size needed.
LONG RegQueryValue(HKEY key, const char* subKey, char* buffer, LONG* size);
// A named value (the default value when name is null or empty): its type and data, REG_SZ with
// its NUL. reserved must be null. Buffer rules as for RegQueryValue.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);

// Deletes subKey with its values; ERROR_ACCESS_DENIED when it still has subkeys.
LONG RegDeleteKey(HKEY key, const char* subKey);
LONG RegDeleteValue(HKEY key, const char* name);
// The name of the index-th subkey, in the file's order; ERROR_NO_MORE_ITEMS past the last.
// size is the buffer's size in bytes, NUL included.
LONG RegEnumKey(HKEY key, DWORD index, char* buffer, DWORD size);

// Uses path as the registry file from now on (for `--registry FILE`); empty: the default again.
void RegistrySetFile(const std::string& path);
// The registry file in use.
std::string RegistryFile();
// What went wrong with the file in this thread's last ERROR_BADDB or ERROR_REGISTRY_IO_FAILED,
// naming the file; empty when there was none since RegistryClearLastError.
std::string RegistryLastError();
void RegistryClearLastError();
// How long a lock that another process holds on the registry file is waited for (5 s), and
// after how long notice is told what the wait is for (1 s; nullptr: on standard error).
void RegistrySetLockWait(std::int64_t limitMs, std::int64_t noticeMs,
                         std::function<void(const std::string&)> notice);

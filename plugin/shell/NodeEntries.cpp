#include "plugin/shell/NodeEntries.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/registry/Registry.h"

namespace {

constexpr const char* kNodePathFormat = "CLSID\\%s\\%s";
constexpr const char* kNodeKey = "Node";
// A CLSID as text with its braces, and its terminator.
constexpr std::size_t kClsidTextSize = 39;
constexpr std::size_t kValueBufferSize = 256;

// CLSID\{clsid}\Node in path; false when the CLSID text is not 38 characters.
bool NodePath(REFCLSID clsid, char (&path)[128]) {
    char clsidText[kClsidTextSize];
    const std::string text = GuidToString(clsid);
    if (text.size() + 1 != kClsidTextSize) {
        return false;
    }
    std::memcpy(clsidText, text.c_str(), kClsidTextSize);
    std::snprintf(path, sizeof path, kNodePathFormat, clsidText, kNodeKey);
    return true;
}

}  // namespace

bool WriteNodeEntries(REFCLSID clsid, const NodeEntry* entries, bool overwrite) {
    char path[128];
    if (!NodePath(clsid, path)) {
        return false;
    }
    HKEY key = nullptr;
    if (RegCreateKey(HKEY_CLASSES_ROOT, path, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (const NodeEntry* entry = entries; entry->subkey != nullptr; ++entry) {
        if (!overwrite) {
            char value[kValueBufferSize];
            LONG size = sizeof value;
            if (RegQueryValue(key, entry->subkey, value, &size) == ERROR_SUCCESS) {
                continue;
            }
        }
        if (RegSetValue(key, entry->subkey, REG_SZ, entry->value,
                        static_cast<DWORD>(std::strlen(entry->value))) != ERROR_SUCCESS) {
            written = false;
            break;
        }
    }
    RegCloseKey(key);
    return written;
}

bool RemoveNodeEntries(REFCLSID clsid, const NodeEntry* entries) {
    char path[128];
    if (!NodePath(clsid, path)) {
        return false;
    }
    HKEY key = nullptr;
    if (RegCreateKey(HKEY_CLASSES_ROOT, path, &key) == ERROR_SUCCESS) {
        for (const NodeEntry* entry = entries; entry->subkey != nullptr; ++entry) {
            RegDeleteKey(key, entry->subkey);
        }
        RegDeleteKey(HKEY_CLASSES_ROOT, path);
        RegCloseKey(key);
    }
    return true;
}

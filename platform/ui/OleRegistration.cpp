#include "platform/ui/OleRegistration.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"
#include "platform/ui/TypeLibResource.h"

namespace {

constexpr const char* kClsidRoot = "CLSID";
constexpr const char* kInterfaceRoot = "Interface";
constexpr const char* kTypeLibRoot = "TypeLib";
constexpr const char* kInprocServer32 = "InprocServer32";
constexpr const char* kThreadingModel = "ThreadingModel";
constexpr const char* kApartment = "Apartment";
constexpr const char* kProgId = "ProgID";
constexpr const char* kControl = "Control";
constexpr const char* kToolboxBitmap32 = "ToolboxBitmap32";
constexpr const char* kMiscStatus = "MiscStatus";
constexpr const char* kTypeLib = "TypeLib";
constexpr const char* kVersion = "Version";
constexpr const char* kLibFlags = "FLAGS";
constexpr const char* kHelpDir = "HELPDIR";
constexpr const char* kWin32 = "win32";
constexpr const char* kProxyStubClsid = "ProxyStubClsid";
constexpr const char* kProxyStubClsid32 = "ProxyStubClsid32";
// Dispatch interfaces are marshalled by the system's dispatch proxy.
constexpr CLSID kPSDispatch = MakeGuid("{00020420-0000-0000-C000-000000000046}");
// MiscStatus's own value and the subkey of the content aspect that holds the bits.
constexpr const char* kNoMiscStatus = "0";
constexpr const char* kNoLibFlags = "0";
constexpr const char* kContentAspect = "1";

std::string Join(std::string path, const char* name) {
    return path.append("\\").append(name);
}

// "1.0": type library versions are written in hexadecimal.
std::string VersionKey(std::uint16_t major, std::uint16_t minor) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%x", major, minor);
    return text;
}

std::string LocaleKey(LCID lcid) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(lcid));
    return text;
}

bool SetDefault(const std::string& path, const std::string& text) {
    return RegSetValue(HKEY_CLASSES_ROOT, path.c_str(), REG_SZ, text.c_str(),
                       static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

bool SetNamed(const std::string& path, const char* name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKey(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                      static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKey(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::optional<std::string> QueryDefault(const std::string& path) {
    char buffer[1024];
    LONG size = sizeof buffer;
    if (RegQueryValue(HKEY_CLASSES_ROOT, path.c_str(), buffer, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(buffer);
}

std::optional<std::string> QueryNamed(const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKey(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char buffer[256];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const LONG result =
        RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    return std::string(buffer);
}

// The names of the subkeys of path; nullopt when path cannot be opened.
std::optional<std::vector<std::string>> Subkeys(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKey(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0; RegEnumKey(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        names.emplace_back(name);
    }
    RegCloseKey(key);
    return names;
}

// Deletes path with every key below it; a key that is not there counts as deleted.
bool DeleteTree(const std::string& path) {
    HKEY key = nullptr;
    const LONG open = RegOpenKey(HKEY_CLASSES_ROOT, path.c_str(), &key);
    if (open != ERROR_SUCCESS) {
        return open == ERROR_FILE_NOT_FOUND;
    }
    RegCloseKey(key);
    for (const std::string& child : Subkeys(path).value_or(std::vector<std::string>{})) {
        if (!DeleteTree(Join(path, child.c_str()))) {
            return false;
        }
    }
    return RegDeleteKey(HKEY_CLASSES_ROOT, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool AfxOleRegisterTypeLib(HINSTANCE instance, REFGUID tlid, const char* helpDir) {
    const TypeLibrary* library = instance != nullptr ? instance->m_resources.typeLibrary : nullptr;
    if (library == nullptr || library->libid != tlid) {
        return false;
    }
    const std::string modulePath = AfxGetModuleFileName(instance);
    if (modulePath.empty()) {
        return false;
    }
    const std::string tlidText = GuidToString(tlid);
    const std::string version = VersionKey(library->majorVersion, library->minorVersion);
    const std::string libKey = Join(Join(kTypeLibRoot, tlidText.c_str()), version.c_str());
    const std::string helpFolder = helpDir != nullptr
                                       ? std::string(helpDir)
                                       : std::filesystem::path(modulePath).parent_path().string();
    const char* title = library->helpString[0] != '\0' ? library->helpString : library->name;
    if (!SetDefault(libKey, title) ||
        !SetDefault(Join(Join(libKey, LocaleKey(library->lcid).c_str()), kWin32), modulePath) ||
        !SetDefault(Join(libKey, kLibFlags), kNoLibFlags) ||
        !SetDefault(Join(libKey, kHelpDir), helpFolder)) {
        return false;
    }
    const std::string proxy = GuidToString(kPSDispatch);
    for (const TypeLibDispInterface& dispatch : library->dispInterfaces) {
        const std::string key = Join(kInterfaceRoot, GuidToString(dispatch.iid).c_str());
        if (!SetDefault(key, dispatch.name) || !SetDefault(Join(key, kProxyStubClsid), proxy) ||
            !SetDefault(Join(key, kProxyStubClsid32), proxy) ||
            !SetDefault(Join(key, kTypeLib), tlidText) ||
            !SetNamed(Join(key, kTypeLib), kVersion, version)) {
            return false;
        }
    }
    return true;
}

bool AfxOleUnregisterTypeLib(REFGUID tlid, std::uint16_t major, std::uint16_t minor, LCID lcid) {
    const std::string tlidText = GuidToString(tlid);
    const std::string version = VersionKey(major, minor);
    const std::string libRoot = Join(kTypeLibRoot, tlidText.c_str());
    const std::string libKey = Join(libRoot, version.c_str());
    if (!QueryDefault(Join(Join(libKey, LocaleKey(lcid).c_str()), kWin32))) {
        return false;
    }
    // The interfaces registered with this version of the library.
    for (const std::string& iid : Subkeys(kInterfaceRoot).value_or(std::vector<std::string>{})) {
        const std::string key = Join(kInterfaceRoot, iid.c_str());
        if (QueryDefault(Join(key, kTypeLib)) == tlidText &&
            QueryNamed(Join(key, kTypeLib), kVersion) == version && !DeleteTree(key)) {
            return false;
        }
    }
    if (!DeleteTree(libKey)) {
        return false;
    }
    // The library's key goes too when no other version is left in it.
    const auto versions = Subkeys(libRoot);
    if (versions && versions->empty() &&
        RegDeleteKey(HKEY_CLASSES_ROOT, libRoot.c_str()) != ERROR_SUCCESS) {
        return false;
    }
    return true;
}

bool AfxOleRegisterControlClass(HINSTANCE instance, REFCLSID clsid, const char* progId,
                                int idTypeName, int idBitmap, int regFlags,
                                std::uint32_t miscStatus, REFGUID tlid, std::uint16_t major,
                                std::uint16_t minor) {
    if (instance == nullptr || instance->m_resources.strings == nullptr) {
        return false;
    }
    const std::string typeName(instance->m_resources.strings(idTypeName));
    const std::string modulePath = AfxGetModuleFileName(instance);
    if (typeName.empty() || modulePath.empty()) {
        return false;
    }
    const std::string clsidText = GuidToString(clsid);
    const std::string key = Join(kClsidRoot, clsidText.c_str());
    const std::string server = Join(key, kInprocServer32);
    if (!SetDefault(key, typeName) || !SetDefault(Join(key, kProgId), progId) ||
        !SetDefault(server, modulePath)) {
        return false;
    }
    if ((regFlags & afxRegApartmentThreading) != 0 &&
        !SetNamed(server, kThreadingModel, kApartment)) {
        return false;
    }
    const std::string misc = Join(key, kMiscStatus);
    if (!CreateKey(Join(key, kControl)) ||
        !SetDefault(Join(key, kToolboxBitmap32), modulePath + ", " + std::to_string(idBitmap)) ||
        !SetDefault(misc, kNoMiscStatus) ||
        !SetDefault(Join(misc, kContentAspect), std::to_string(miscStatus)) ||
        !SetDefault(Join(key, kTypeLib), GuidToString(tlid)) ||
        !SetDefault(Join(key, kVersion), VersionKey(major, minor))) {
        return false;
    }
    return SetDefault(progId, typeName) && SetDefault(Join(progId, kClsidRoot), clsidText);
}

bool AfxOleUnregisterClass(REFCLSID clsid, const char* progId) {
    const bool classRemoved = DeleteTree(Join(kClsidRoot, GuidToString(clsid).c_str()));
    const bool progIdRemoved = progId == nullptr || DeleteTree(progId);
    return classRemoved && progIdRemoved;
}

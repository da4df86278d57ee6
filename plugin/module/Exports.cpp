// The module's exported entry points, with C linkage, as the host looks them up, and its
// version resource. Every other symbol of the module is hidden.
#include "platform/ui/OleObjectFactory.h"
#include "platform/ui/OleRegistration.h"
#include "plugin/resources/TypeLibrary.h"
#include "plugin/resources/VersionInfo.h"

extern "C" {

[[gnu::visibility("default")]] HRESULT DllRegisterServer() {
    if (!AfxOleRegisterTypeLib(AfxGetInstanceHandle(), LIBID_QMA7Lib)) {
        return SELFREG_E_TYPELIB;
    }
    if (!COleObjectFactory::UpdateRegistryAll(true)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

[[gnu::visibility("default")]] HRESULT DllUnregisterServer() {
    if (!AfxOleUnregisterTypeLib(LIBID_QMA7Lib, kQMA7LibMajor, kQMA7LibMinor)) {
        return SELFREG_E_TYPELIB;
    }
    if (!COleObjectFactory::UpdateRegistryAll(false)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

[[gnu::visibility("default")]] HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                         void** object) {
    return AfxDllGetClassObject(clsid, iid, object);
}

[[gnu::visibility("default")]] HRESULT DllCanUnloadNow() {
    return AfxDllCanUnloadNow();
}

// Found by name, as a loader finds a module's version resource.
[[gnu::visibility("default")]] extern const VS_VERSIONINFO VS_VERSION_INFO;
const VS_VERSIONINFO VS_VERSION_INFO = kVersionInfo;

}  // extern "C"

// The module's exported entry points, with C linkage, as the host looks them up.
#include "platform/ui/OleControl.h"
#include "platform/ui/OleObjectFactory.h"

extern "C" {

[[gnu::visibility("default")]] HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                         void** object) {
    return COleObjectFactory::GetClassObject(clsid, iid, object);
}

[[gnu::visibility("default")]] HRESULT DllCanUnloadNow() {
    return COleControl::LiveObjects() == 0 && COleObjectFactory::Locks() == 0 ? S_OK : S_FALSE;
}

}  // extern "C"

#include "plugin/shell/CQMA7Ctrl.h"

#include "platform/ui/Dialog.h"
#include "plugin/resources/Resources.h"
#include "plugin/shell/CSheet.h"

CQMA7Ctrl* g_pActiveControl = nullptr;
const char* const kQMA7ProgId = "QMA7.QMA7Ctrl.1";

namespace {
const char* const kSheetTitle = "QMA7";
}

CQMA7Ctrl::CQMA7Ctrl() = default;

CQMA7Ctrl::~CQMA7Ctrl() = default;

bool CQMA7Ctrl::OnProperties(void* /*message*/, CWnd* /*parent*/, const void* /*rect*/) {
    g_pActiveControl = this;
    CSheet sheet(kSheetTitle, nullptr, 0);
    sheet.DoModal();
    return true;
}

void CQMA7Ctrl::AboutBox() {
    CDialog about(DialogResource(IDD_ABOUTBOX_QMA7));
    about.DoModal();
}

HRESULT CQMA7Ctrl::InvokeMethod(DISPID dispId) {
    if (dispId == DISPID_ABOUTBOX) {
        AboutBox();
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

CQMA7CtrlFactory::CQMA7CtrlFactory() : COleObjectFactory(CLSID_QMA7Ctrl, kQMA7ProgId) {}

IUnknown* CQMA7CtrlFactory::OnCreateObject() { return static_cast<IDispatch*>(new CQMA7Ctrl); }

bool CQMA7CtrlFactory::UpdateRegistry(bool /*registering*/) {
    // Registration arrives with the registry stand-in.
    return false;
}

namespace {
CQMA7CtrlFactory g_factory;
}

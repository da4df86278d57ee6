#include "plugin/shell/CQMA7Ctrl.h"

#include <optional>

#include "platform/gdi/CDC.h"
#include "platform/gdi/CRect.h"
#include "platform/gdi/LoadBitmap.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropExchange.h"
#include "plugin/resources/Resources.h"
#include "plugin/shell/CSheet.h"

CQMA7Ctrl* g_pActiveControl = nullptr;

namespace {

const char* const kSheetTitle = "QMA7";

// The version of the control's persistent properties: major 1, minor 0.
constexpr std::uint16_t kVersionMajor = 1;
constexpr std::uint16_t kVersionMinor = 0;
constexpr std::uint32_t kVersion = std::uint32_t{kVersionMajor} << 16 | kVersionMinor;

// The part of the bitmap that is drawn: its top-left 30 x 30 pixels.
constexpr int kPictureSize = 30;

}  // namespace

CQMA7Ctrl::CQMA7Ctrl() {
    InitializeIIDs(&DIID__DQMA7, &DIID__DQMA7Events);
}

CQMA7Ctrl::~CQMA7Ctrl() = default;

void CQMA7Ctrl::DoPropExchange(CPropExchange* pPX) {
    ExchangeVersion(pPX, kVersion);
    COleControl::DoPropExchange(pPX);
}

void CQMA7Ctrl::OnResetState() {
    COleControl::OnResetState();
}

void CQMA7Ctrl::OnDraw(CDC* pdc, const CRect& rcBounds, const CRect& /*rcInvalid*/) {
    CRect bounds = rcBounds;
    bounds.NormalizeRect();
    std::optional<Bitmap> bitmap = LoadBitmap(IDB_QMA7);
    if (!bitmap) {
        return;
    }
    CDC memory;
    if (!memory.CreateCompatibleDC(pdc)) {
        return;
    }
    Bitmap* old = memory.SelectObject(&*bitmap);
    pdc->StretchBlt(bounds.left, bounds.top, bounds.Width(), bounds.Height(), &memory, 0, 0,
                    kPictureSize, kPictureSize, SRCCOPY);
    memory.SelectObject(old);
}

HRESULT CQMA7Ctrl::GetClassID(CLSID* pclsid) {
    if (pclsid == nullptr) {
        return E_POINTER;
    }
    *pclsid = CLSID_QMA7Ctrl;
    return S_OK;
}

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

#include "platform/ui/OleControl.h"

#include <strings.h>

#include "platform/ui/PropExchange.h"
#include "platform/ui/TypeLibResource.h"

namespace {

constexpr const char* kExtentX = "_ExtentX";
constexpr const char* kExtentY = "_ExtentY";
// The size of a control that has not been given one.
constexpr std::int32_t kDefaultExtentX = 100;
constexpr std::int32_t kDefaultExtentY = 50;

constexpr DISPID DISPID_UNKNOWN = -1;

}  // namespace

COleControl::COleControl(AFX_MODULE_STATE& module)
    : m_module(module), m_cxExtent(kDefaultExtentX), m_cyExtent(kDefaultExtentY) {
    ++m_module.m_nObjectCount;
}

COleControl::~COleControl() {
    --m_module.m_nObjectCount;
}

HRESULT COleControl::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IOleObject) {
        *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IViewObject) {
        *object = static_cast<IViewObject*>(this);
    } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
        *object = static_cast<IPersistStreamInit*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

std::uint32_t COleControl::AddRef() {
    return ++m_references;
}

std::uint32_t COleControl::Release() {
    const std::uint32_t left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT COleControl::GetTypeInfoCount(std::uint32_t* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT COleControl::GetTypeInfo(std::uint32_t, LCID, void** typeInfo) {
    if (typeInfo != nullptr) {
        *typeInfo = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT COleControl::GetIDsOfNames(REFIID, const char** names, std::uint32_t count, LCID,
                                   DISPID* dispIds) {
    if ((names == nullptr || dispIds == nullptr) && count > 0) {
        return E_POINTER;
    }
    const TypeLibDispInterface* primary = nullptr;
    if (const TypeLibrary* library = m_module.m_resources.typeLibrary;
        library != nullptr && m_piidPrimary != nullptr) {
        for (const TypeLibDispInterface& dispatch : library->dispInterfaces) {
            if (dispatch.iid == *m_piidPrimary) {
                primary = &dispatch;
            }
        }
    }
    HRESULT hr = S_OK;
    for (std::uint32_t i = 0; i < count; ++i) {
        dispIds[i] = DISPID_UNKNOWN;
        // Names are not case-sensitive in late-bound calls.
        for (const TypeLibMethod& method :
             primary != nullptr ? primary->methods : std::span<const TypeLibMethod>{}) {
            if (names[i] != nullptr && ::strcasecmp(names[i], method.name) == 0) {
                dispIds[i] = method.dispId;
            }
        }
        if (dispIds[i] == DISPID_UNKNOWN) {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT COleControl::Invoke(DISPID dispId, REFIID, LCID, std::uint16_t flags, DISPPARAMS*,
                            VARIANT* result, EXCEPINFO*, std::uint32_t*) {
    if ((flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result != nullptr) {
        *result = VARIANT{};
    }
    return InvokeMethod(dispId);
}

HRESULT COleControl::InvokeMethod(DISPID) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT COleControl::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    m_clientSite = ComPtr<IOleClientSite>::Attach(site);
    return S_OK;
}

HRESULT COleControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = m_clientSite.Get();
    if (*site != nullptr) {
        (*site)->AddRef();
    }
    return S_OK;
}

HRESULT COleControl::DoVerb(std::int32_t verb) {
    if (verb == OLEIVERB_PROPERTIES) {
        OnProperties(nullptr, nullptr, nullptr);
        return S_OK;
    }
    return E_NOTIMPL;
}

HRESULT COleControl::Draw(std::uint32_t drawAspect, CDC* drawDC, const CRect* bounds) {
    if (drawAspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (drawDC == nullptr || bounds == nullptr) {
        return E_INVALIDARG;
    }
    OnDraw(drawDC, *bounds, *bounds);
    return S_OK;
}

HRESULT COleControl::InitNew() {
    OnResetState();
    return S_OK;
}

void COleControl::DoPropExchange(CPropExchange* pPX) {
    PX_Long(pPX, kExtentX, m_cxExtent, kDefaultExtentX);
    PX_Long(pPX, kExtentY, m_cyExtent, kDefaultExtentY);
}

void COleControl::OnResetState() {
    CResetPropExchange reset;
    DoPropExchange(&reset);
}

void COleControl::OnDraw(CDC*, const CRect&, const CRect&) {}

bool COleControl::OnProperties(void*, CWnd*, const void*) {
    return false;
}

void COleControl::GetControlSize(int* cx, int* cy) const {
    *cx = m_cxExtent;
    *cy = m_cyExtent;
}

void COleControl::InitializeIIDs(const IID* dispatch, const IID* events) {
    m_piidPrimary = dispatch;
    m_piidEvents = events;
}

void COleControl::ExchangeVersion(CPropExchange* pPX, std::uint32_t versionDefault, bool convert) {
    pPX->ExchangeVersion(m_dwVersionLoaded, versionDefault, convert);
}

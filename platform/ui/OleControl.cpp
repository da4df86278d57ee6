#include "platform/ui/OleControl.h"

namespace {
std::atomic<long> g_liveControls{0};
}

COleControl::COleControl() { ++g_liveControls; }

COleControl::~COleControl() { --g_liveControls; }

long COleControl::LiveObjects() { return g_liveControls; }

HRESULT COleControl::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IOleObject) {
        *object = static_cast<IOleObject*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

std::uint32_t COleControl::AddRef() { return ++m_references; }

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

HRESULT COleControl::GetIDsOfNames(REFIID, const char**, std::uint32_t, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
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

HRESULT COleControl::InvokeMethod(DISPID) { return DISP_E_MEMBERNOTFOUND; }

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

bool COleControl::OnProperties(void*, CWnd*, const void*) { return false; }

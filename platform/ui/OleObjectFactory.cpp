#include "platform/ui/OleObjectFactory.h"

namespace {
COleObjectFactory* g_factories = nullptr;
std::atomic<long> g_locks{0};
}  // namespace

COleObjectFactory::COleObjectFactory(const CLSID& clsid, std::string progId)
    : m_clsid(clsid), m_progId(std::move(progId)), m_next(g_factories) {
    g_factories = this;
}

COleObjectFactory::~COleObjectFactory() {
    for (COleObjectFactory** link = &g_factories; *link != nullptr; link = &(*link)->m_next) {
        if (*link == this) {
            *link = m_next;
            break;
        }
    }
}

HRESULT COleObjectFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// A factory lives as long as its module; references do not decide its life.
std::uint32_t COleObjectFactory::AddRef() { return 2; }
std::uint32_t COleObjectFactory::Release() { return 1; }

HRESULT COleObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    IUnknown* created = OnCreateObject();
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT COleObjectFactory::LockServer(std::int32_t lock) {
    if (lock != 0) {
        ++g_locks;
    } else if (g_locks > 0) {
        --g_locks;
    }
    return S_OK;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    for (COleObjectFactory* f = g_factories; f != nullptr; f = f->m_next) {
        if (f->m_clsid == clsid) {
            return f->QueryInterface(iid, object);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool COleObjectFactory::UpdateRegistryAll(bool registering) {
    for (COleObjectFactory* f = g_factories; f != nullptr; f = f->m_next) {
        if (!f->UpdateRegistry(registering)) {
            return false;
        }
    }
    return true;
}

long COleObjectFactory::Locks() { return g_locks; }

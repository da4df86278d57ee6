#include "platform/ui/OleObjectFactory.h"

COleObjectFactory::COleObjectFactory(const CLSID& clsid, std::string progId,
                                     AFX_MODULE_STATE& module)
    : m_clsid(clsid), m_progId(std::move(progId)), m_module(module), m_next(module.m_factoryList) {
    m_module.m_factoryList = this;
}

COleObjectFactory::~COleObjectFactory() {
    for (COleObjectFactory** link = &m_module.m_factoryList; *link != nullptr;
         link = &(*link)->m_next) {
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
std::uint32_t COleObjectFactory::AddRef() {
    return 2;
}
std::uint32_t COleObjectFactory::Release() {
    return 1;
}

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
        ++m_module.m_nLockCount;
    } else if (m_module.m_nLockCount > 0) {
        --m_module.m_nLockCount;
    }
    return S_OK;
}

HRESULT COleObjectFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** object,
                                          AFX_MODULE_STATE& module) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    for (COleObjectFactory* f = module.m_factoryList; f != nullptr; f = f->m_next) {
        if (f->m_clsid == clsid) {
            return f->QueryInterface(iid, object);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool COleObjectFactory::UpdateRegistryAll(bool registering, AFX_MODULE_STATE& module) {
    for (COleObjectFactory* f = module.m_factoryList; f != nullptr; f = f->m_next) {
        if (!f->UpdateRegistry(registering)) {
            return false;
        }
    }
    return true;
}

HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, void** object, AFX_MODULE_STATE& module) {
    return COleObjectFactory::GetClassObject(clsid, iid, object, module);
}

HRESULT AfxDllCanUnloadNow(AFX_MODULE_STATE& module) {
    return module.m_nObjectCount == 0 && module.m_nLockCount == 0 ? S_OK : S_FALSE;
}

#pragma once
// The class factory of a control class. Factories are static objects of their module, linked
// into the module's state; the module's entry points find them by CLSID.

#include <cstdint>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/ui/ModuleState.h"

class COleObjectFactory : public IClassFactory {
  public:
    COleObjectFactory(const CLSID& clsid, std::string progId,
                      AFX_MODULE_STATE& module = AfxGetModuleState());
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    // Keeps the module loaded while the host holds a lock.
    HRESULT LockServer(std::int32_t lock) override;

    const CLSID& GetClassID() const { return m_clsid; }
    const std::string& GetProgID() const { return m_progId; }

    // Registers (true) or unregisters (false) the class; true on success.
    virtual bool UpdateRegistry(bool registering) = 0;

    // The module's factories: the one for clsid, and all of them at once (stopping at the
    // first that fails).
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object,
                                  AFX_MODULE_STATE& module = AfxGetModuleState());
    static bool UpdateRegistryAll(bool registering, AFX_MODULE_STATE& module = AfxGetModuleState());

  protected:
    ~COleObjectFactory();
    // A new object with one reference held by the caller.
    virtual IUnknown* OnCreateObject() = 0;

  private:
    CLSID m_clsid;
    std::string m_progId;
    AFX_MODULE_STATE& m_module;
    COleObjectFactory* m_next = nullptr;
};

// The standard implementations of a module's DllGetClassObject and DllCanUnloadNow: the module
// can be unloaded when none of its objects is alive and no server lock is held.
HRESULT AfxDllGetClassObject(REFCLSID clsid, REFIID iid, void** object,
                             AFX_MODULE_STATE& module = AfxGetModuleState());
HRESULT AfxDllCanUnloadNow(AFX_MODULE_STATE& module = AfxGetModuleState());

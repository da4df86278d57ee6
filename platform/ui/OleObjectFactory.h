#pragma once
// The class factory of a control class. Factories are static objects of the module; they are
// found by CLSID when the host asks the module for a class object.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/com/Unknown.h"

class COleObjectFactory : public IClassFactory {
public:
    COleObjectFactory(const CLSID& clsid, std::string progId);
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT LockServer(std::int32_t lock) override;

    const CLSID& GetClassID() const { return m_clsid; }
    const std::string& GetProgID() const { return m_progId; }

    // Registers (true) or unregisters (false) the class; true on success.
    virtual bool UpdateRegistry(bool registering) = 0;

    // The module's factories: the one for clsid, and all of them at once.
    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
    static bool UpdateRegistryAll(bool registering);
    // Server locks held through LockServer.
    static long Locks();

protected:
    ~COleObjectFactory();
    // A new object with one reference held by the caller.
    virtual IUnknown* OnCreateObject() = 0;

private:
    CLSID m_clsid;
    std::string m_progId;
    COleObjectFactory* m_next = nullptr;
};

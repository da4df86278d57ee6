#pragma once
// The base of an OLE control: reference counting, the client site, verbs and late-bound calls.
// A control class overrides the virtual functions it needs.

#include <atomic>
#include <cstdint>

#include "platform/com/ComPtr.h"
#include "platform/com/OleObject.h"
#include "platform/com/Unknown.h"

class CWnd;

class COleControl : public IDispatch, public IOleObject {
public:
    COleControl();
    COleControl(const COleControl&) = delete;
    COleControl& operator=(const COleControl&) = delete;

    // IUnknown (one identity for both interfaces).
    HRESULT QueryInterface(REFIID iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IDispatch: methods of the control's dispatch map by their dispatch id.
    HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    HRESULT GetTypeInfo(std::uint32_t index, LCID lcid, void** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, const char** names, std::uint32_t count, LCID lcid,
                          DISPID* dispIds) override;
    HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, std::uint16_t flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, std::uint32_t* argError) override;

    // IOleObject.
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT DoVerb(std::int32_t verb) override;

    // The client site given by the container; not a new reference.
    IOleClientSite* GetClientSite() const { return m_clientSite.Get(); }

    // The properties verb.
    virtual bool OnProperties(void* message, CWnd* parent, const void* rect);

    // Number of control objects alive in the process.
    static long LiveObjects();

protected:
    virtual ~COleControl();
    // A method of the dispatch map; DISP_E_MEMBERNOTFOUND when there is none.
    virtual HRESULT InvokeMethod(DISPID dispId);

private:
    std::atomic<std::uint32_t> m_references{1};
    ComPtr<IOleClientSite> m_clientSite;
};

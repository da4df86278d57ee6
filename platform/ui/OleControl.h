#pragma once
// The base of an OLE control: reference counting, the client site, verbs, late-bound calls,
// drawing and its persistent properties. A control class overrides the virtual functions it
// needs; each control counts as a live object of the module that made it.

#include <cstdint>

#include "platform/com/ComPtr.h"
#include "platform/com/OleObject.h"
#include "platform/com/Unknown.h"
#include "platform/ui/ModuleState.h"

class CDC;
class CPropExchange;
class CWnd;
struct CRect;

class COleControl : public IDispatch,
                    public IOleObject,
                    public IViewObject,
                    public IPersistStreamInit {
  public:
    explicit COleControl(AFX_MODULE_STATE& module = AfxGetModuleState());
    COleControl(const COleControl&) = delete;
    COleControl& operator=(const COleControl&) = delete;

    // IUnknown (one identity for every interface).
    HRESULT QueryInterface(REFIID iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IDispatch: the methods of the control's dispatch map, by dispatch id; names are looked
    // up in the module's type library.
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

    // IViewObject: the content aspect through OnDraw.
    HRESULT Draw(std::uint32_t drawAspect, CDC* drawDC, const CRect* bounds) override;

    // IPersistStreamInit: a new control resets its state.
    HRESULT InitNew() override;

    // The client site given by the container; not a new reference.
    IOleClientSite* GetClientSite() const { return m_clientSite.Get(); }

    // Overridables, in the order of their slots.
    // Exchanges the persistent properties; the base exchanges the control's extent.
    virtual void DoPropExchange(CPropExchange* pPX);
    // Gives every persistent property its default, through DoPropExchange.
    virtual void OnResetState();
    // Draws the control into rcBounds; the base draws nothing.
    virtual void OnDraw(CDC* pdc, const CRect& rcBounds, const CRect& rcInvalid);
    // IPersist: the control's class.
    HRESULT GetClassID(CLSID* pclsid) override = 0;
    // The properties verb.
    virtual bool OnProperties(void* message, CWnd* parent, const void* rect);

    // The version ExchangeVersion loaded last (the default after a reset).
    std::uint32_t GetVersionLoaded() const { return m_dwVersionLoaded; }
    // The control's size in pixels, persistent as "_ExtentX" and "_ExtentY".
    void GetControlSize(int* cx, int* cy) const;

  protected:
    virtual ~COleControl();

    // The control's dispatch and event interfaces, as its type library describes them.
    void InitializeIIDs(const IID* dispatch, const IID* events);
    // The version of the control's persistent properties.
    void ExchangeVersion(CPropExchange* pPX, std::uint32_t versionDefault, bool convert = true);
    // A method of the dispatch map; DISP_E_MEMBERNOTFOUND when there is none.
    virtual HRESULT InvokeMethod(DISPID dispId);

  private:
    std::atomic<std::uint32_t> m_references{1};
    AFX_MODULE_STATE& m_module;
    ComPtr<IOleClientSite> m_clientSite;
    const IID* m_piidPrimary = nullptr;
    const IID* m_piidEvents = nullptr;
    std::uint32_t m_dwVersionLoaded = 0;
    std::int32_t m_cxExtent;
    std::int32_t m_cyExtent;
};

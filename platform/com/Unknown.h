#pragma once
// The base interfaces. Interfaces are plain abstract classes whose virtual functions are laid
// out in declaration order, as the binary interface standard requires: no virtual destructors,
// no data. Objects are destroyed through Release only.

#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = MakeGuid("{00000000-0000-0000-C000-000000000046}");

// Late-bound calls: arguments and results of the few calls made here.
struct VARIANT {
    std::uint16_t vt = 0;  // 0: empty
    std::int64_t value = 0;
};
struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    std::int32_t* rgdispidNamedArgs = nullptr;
    std::uint32_t cArgs = 0;
    std::uint32_t cNamedArgs = 0;
};
struct EXCEPINFO {
    HRESULT scode = 0;
};
using DISPID = std::int32_t;
using LCID = std::uint32_t;
constexpr std::uint16_t DISPATCH_METHOD = 1;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(std::uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(std::uint32_t index, LCID lcid, void** typeInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, const char** names, std::uint32_t count, LCID lcid,
                                  DISPID* dispIds) = 0;
    virtual HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, std::uint16_t flags,
                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                           std::uint32_t* argError) = 0;

  protected:
    ~IDispatch() = default;
};

inline constexpr IID IID_IDispatch = MakeGuid("{00020400-0000-0000-C000-000000000046}");

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(std::int32_t lock) = 0;

  protected:
    ~IClassFactory() = default;
};

inline constexpr IID IID_IClassFactory = MakeGuid("{00000001-0000-0000-C000-000000000046}");

// The container's side of an embedded control.
struct IOleClientSite : IUnknown {
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT GetMoniker(std::uint32_t assign, std::uint32_t which, void** moniker) = 0;
    virtual HRESULT GetContainer(void** container) = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(std::int32_t show) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;

  protected:
    ~IOleClientSite() = default;
};

inline constexpr IID IID_IOleClientSite = MakeGuid("{00000118-0000-0000-C000-000000000046}");

constexpr DISPID DISPID_ABOUTBOX = -552;

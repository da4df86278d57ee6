#pragma once
// The embedding interfaces through which a container gives a control its client site, sends it
// verbs, initialises it and has it draw itself. Only the methods and arguments used here are
// part of these stand-ins.

#include <cstdint>

#include "platform/com/Unknown.h"

class CDC;
struct CRect;

constexpr std::int32_t OLEIVERB_PROPERTIES = -7;

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT DoVerb(std::int32_t verb) = 0;

  protected:
    ~IOleObject() = default;
};

inline constexpr IID IID_IOleObject = MakeGuid("{00000112-0000-0000-C000-000000000046}");

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;

  protected:
    ~IPersist() = default;
};

inline constexpr IID IID_IPersist = MakeGuid("{0000010C-0000-0000-C000-000000000046}");

// Persistence in a stream; of it only the initialisation of a new object is used here.
struct IPersistStreamInit : IPersist {
    // The object starts afresh: every persistent property takes its default.
    virtual HRESULT InitNew() = 0;

  protected:
    ~IPersistStreamInit() = default;
};

inline constexpr IID IID_IPersistStreamInit = MakeGuid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");

// The aspect a container draws: the object's content, as it shows in a form.
constexpr std::uint32_t DVASPECT_CONTENT = 1;
constexpr HRESULT DV_E_DVASPECT = MakeHResult(0x8004006B);

struct IViewObject : IUnknown {
    // Draws the aspect into the device context, within bounds.
    virtual HRESULT Draw(std::uint32_t drawAspect, CDC* drawDC, const CRect* bounds) = 0;

  protected:
    ~IViewObject() = default;
};

inline constexpr IID IID_IViewObject = MakeGuid("{0000010D-0000-0000-C000-000000000046}");

#pragma once
// The embedding interface through which a container gives a control its client site and sends
// it verbs. Only the methods used here are part of this stand-in.

#include <cstdint>

#include "platform/com/Unknown.h"

constexpr std::int32_t OLEIVERB_PROPERTIES = -7;

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT DoVerb(std::int32_t verb) = 0;

protected:
    ~IOleObject() = default;
};

inline constexpr IID IID_IOleObject = MakeGuid("{00000112-0000-0000-C000-000000000046}");

#include "platform/ui/PropExchange.h"

#include <cstring>

namespace {

constexpr const char* kVersionProperty = "_Version";

std::size_t SizeOf(VARTYPE vt) {
    switch (vt) {
        case VT_I4:
        case VT_UI4:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

bool CPropExchange::ExchangeVersion(std::uint32_t& versionLoaded, std::uint32_t versionDefault,
                                    bool convert) {
    std::uint32_t version = m_bLoading || convert ? versionDefault : versionLoaded;
    if (!PX_ULong(this, kVersionProperty, version, versionDefault)) {
        return false;
    }
    if (m_bLoading) {
        versionLoaded = version;
    }
    m_dwVersion = version;
    return true;
}

bool CResetPropExchange::ExchangeProp(const char* /*name*/, VARTYPE vt, void* value,
                                      const void* defaultValue) {
    const std::size_t size = SizeOf(vt);
    if (size == 0 || value == nullptr || defaultValue == nullptr) {
        return false;
    }
    std::memcpy(value, defaultValue, size);
    return true;
}

bool PX_Long(CPropExchange* pPX, const char* name, std::int32_t& value, std::int32_t defaultValue) {
    return pPX->ExchangeProp(name, VT_I4, &value, &defaultValue);
}

bool PX_ULong(CPropExchange* pPX, const char* name, std::uint32_t& value,
              std::uint32_t defaultValue) {
    return pPX->ExchangeProp(name, VT_UI4, &value, &defaultValue);
}

#pragma once
// Property exchange: one DoPropExchange function of a control serves loading, saving and
// resetting its persistent properties. The exchange object decides the direction and where the
// values come from or go to; the control names each property, its type, its variable and its
// default.

#include <cstdint>

// Property types, as variant types.
using VARTYPE = std::uint16_t;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_UI4 = 19;

class CPropExchange {
  public:
    virtual ~CPropExchange() = default;
    CPropExchange(const CPropExchange&) = delete;
    CPropExchange& operator=(const CPropExchange&) = delete;

    bool IsLoading() const { return m_bLoading; }
    // The version of the properties being exchanged, known once ExchangeVersion has run.
    std::uint32_t GetVersion() const { return m_dwVersion; }

    // The version of the persistent properties, kept as the property "_Version". Loading: the
    // stored version (versionDefault when none) goes to versionLoaded. Saving: versionDefault
    // is stored when convert is set (the properties are saved in the current format), else
    // versionLoaded.
    virtual bool ExchangeVersion(std::uint32_t& versionLoaded, std::uint32_t versionDefault,
                                 bool convert);
    // One property: loading sets *value (to *defaultValue when there is nothing stored), saving
    // stores *value. value and defaultValue point to a variable of type vt.
    virtual bool ExchangeProp(const char* name, VARTYPE vt, void* value,
                              const void* defaultValue) = 0;

  protected:
    explicit CPropExchange(bool loading) : m_bLoading(loading) {}

    bool m_bLoading;
    std::uint32_t m_dwVersion = 0;
};

// Loads every property with its default: what a new control starts with.
class CResetPropExchange final : public CPropExchange {
  public:
    CResetPropExchange() : CPropExchange(true) {}
    bool ExchangeProp(const char* name, VARTYPE vt, void* value, const void* defaultValue) override;
};

bool PX_Long(CPropExchange* pPX, const char* name, std::int32_t& value, std::int32_t defaultValue);
bool PX_ULong(CPropExchange* pPX, const char* name, std::uint32_t& value,
              std::uint32_t defaultValue);

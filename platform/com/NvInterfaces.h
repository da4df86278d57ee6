#pragma once
// The host network tool's node access interfaces, answered by the control's client site.
// Dual interfaces: their own methods follow IDispatch's, in these positions, unused ones
// included. Buffers travel as pointers; every other argument and result is 32-bit.

#include <cstdint>

#include "platform/com/Unknown.h"

struct INvRead : IDispatch {
    // 1st own method: the network variable's raw value, most significant byte first.
    virtual HRESULT ReadNv(std::int32_t nvIndex, std::uint8_t* buffer, std::int32_t bufferSize) = 0;
    // 2nd own method: part of the interface, never called by the plug-in.
    virtual HRESULT Reserved2() = 0;
    // 3rd own method: the node's name, ended or padded with NUL bytes.
    virtual HRESULT ReadNodeName(char* buffer, std::int32_t bufferSize) = 0;

  protected:
    ~INvRead() = default;
};

struct INvWrite : IDispatch {
    // 1st own method: part of the interface, never called by the plug-in.
    virtual HRESULT Reserved1() = 0;
    // 2nd own method: sends length bytes as the network variable's new value.
    virtual HRESULT WriteNv(std::int32_t nvIndex, const std::uint8_t* data,
                            std::int32_t length) = 0;

  protected:
    ~INvWrite() = default;
};

inline constexpr IID IID_INvRead = MakeGuid("{C9C04CC1-23F0-11D3-BC97-00A0C9E5F504}");
inline constexpr IID IID_INvWrite = MakeGuid("{099B79E0-BA3D-11D0-AD92-006097174407}");

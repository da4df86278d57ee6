#pragma once
// A type library as a module carries it among its resources: the library's identity and help
// texts, its dispatch interfaces with their methods, and its classes. Registration reads it, and
// a control answers late-bound name look-ups from it.

#include <cstdint>
#include <span>

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

struct TypeLibMethod {
    const char* name;
    DISPID dispId;
};

// A dispatch interface: a control's methods and properties, or the events it fires.
struct TypeLibDispInterface {
    IID iid;
    const char* name;
    const char* helpString;
    std::span<const TypeLibMethod> methods;
};

struct TypeLibCoClass {
    CLSID clsid;
    const char* name;
    const char* helpString;
    IID defaultInterface;
    IID defaultSource;
};

struct TypeLibrary {
    GUID libid;
    std::uint16_t majorVersion;
    std::uint16_t minorVersion;
    LCID lcid;
    const char* name;
    const char* helpString;
    const char* helpFile;
    std::span<const TypeLibDispInterface> dispInterfaces;
    std::span<const TypeLibCoClass> coClasses;
};

#pragma once
// The state of one module: the program itself, or a plug-in module loaded into it. Each module
// has its own class factories, its own count of live objects and server locks, and its own
// resources, as each Windows module does.
//
// AfxGetModuleState is inline and hidden: every shared object that calls it has its own copy
// and so its own state. Constructors and entry points take the state as a default argument,
// which is evaluated in the caller's code: a factory or control constructed in a plug-in module
// belongs to that module, even when the program has the same plug-in code linked in as well.

#include <atomic>
#include <string>
#include <string_view>

#include "platform/gdi/LoadBitmap.h"

class COleObjectFactory;
struct TypeLibrary;

// What a module carries besides its code, as a Windows module's resource section does.
struct ModuleResources {
    // The application's name: the title of its message boxes.
    const char* appName = "";
    // String resources by id; empty for an unknown id.
    std::string_view (*strings)(int id) = nullptr;
    BitmapResourceLookup bitmaps = nullptr;
    const TypeLibrary* typeLibrary = nullptr;
};

struct AFX_MODULE_STATE {
    COleObjectFactory* m_factoryList = nullptr;
    std::atomic<long> m_nObjectCount{0};
    std::atomic<long> m_nLockCount{0};
    ModuleResources m_resources;  // set by the module object
};

// A module as registration functions receive it.
using HINSTANCE = AFX_MODULE_STATE*;

[[gnu::visibility("hidden")]] inline AFX_MODULE_STATE& AfxGetModuleState() {
    static AFX_MODULE_STATE state;
    return state;
}

[[gnu::visibility("hidden")]] inline HINSTANCE AfxGetInstanceHandle() {
    return &AfxGetModuleState();
}

// The absolute path of the file the module was loaded from: the plug-in module, or the program
// when the code is linked into it. Empty when it cannot be found.
std::string AfxGetModuleFileName(HINSTANCE instance);

#pragma once
// The QMA7 control: the object the host creates, whose properties verb opens the settings
// sheet and whose AboutBox shows the About dialog.

#include "platform/com/Guid.h"
#include "platform/ui/OleControl.h"
#include "platform/ui/OleObjectFactory.h"

inline constexpr CLSID CLSID_QMA7Ctrl = MakeGuid("{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");
extern const char* const kQMA7ProgId;  // "QMA7.QMA7Ctrl.1"

class CQMA7Ctrl : public COleControl {
public:
    CQMA7Ctrl();

    bool OnProperties(void* message, CWnd* parent, const void* rect) override;
    void AboutBox();

protected:
    ~CQMA7Ctrl() override;
    HRESULT InvokeMethod(DISPID dispId) override;
};

// The control that opened the last sheet; the sheet finds its client site through it.
extern CQMA7Ctrl* g_pActiveControl;

// Creates CQMA7Ctrl objects; registers and unregisters the control class.
class CQMA7CtrlFactory : public COleObjectFactory {
public:
    CQMA7CtrlFactory();
    bool UpdateRegistry(bool registering) override;

protected:
    IUnknown* OnCreateObject() override;
};

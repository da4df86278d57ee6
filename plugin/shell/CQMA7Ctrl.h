#pragma once
// The QMA7 control: the object the host creates. It shows the control's picture, its properties
// verb opens the settings sheet, and its AboutBox method shows the About dialog.

#include "platform/ui/OleControl.h"
#include "plugin/resources/TypeLibrary.h"

class CQMA7Ctrl : public COleControl {
  public:
    CQMA7Ctrl();

    void DoPropExchange(CPropExchange* pPX) override;
    void OnResetState() override;
    void OnDraw(CDC* pdc, const CRect& rcBounds, const CRect& rcInvalid) override;
    HRESULT GetClassID(CLSID* pclsid) override;
    bool OnProperties(void* message, CWnd* parent, const void* rect) override;

    // Dispatch map: dispatch id -552.
    void AboutBox();

  protected:
    ~CQMA7Ctrl() override;
    HRESULT InvokeMethod(DISPID dispId) override;
};

// The control that opened the last sheet; the sheet finds its client site through it.
extern CQMA7Ctrl* g_pActiveControl;

#pragma once
// The class factory of CQMA7Ctrl: creates the controls the host asks for, and registers and
// unregisters the control class with its Node entries.

#include <array>

#include "platform/ui/OleObjectFactory.h"
#include "plugin/shell/NodeEntries.h"

class CQMA7CtrlFactory : public COleObjectFactory {
  public:
    CQMA7CtrlFactory();
    bool UpdateRegistry(bool registering) override;

  protected:
    IUnknown* OnCreateObject() override;

  private:
    // The Node entry table; its ProgramID value is the node program id once UpdateRegistry ran.
    std::array<NodeEntry, 3> m_nodeEntries;
};

// The module's one factory of the control class.
extern CQMA7CtrlFactory g_QMA7CtrlFactory;

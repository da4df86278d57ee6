#include "plugin/shell/CQMA7CtrlFactory.h"

#include "platform/ui/OleRegistration.h"
#include "plugin/resources/Resources.h"
#include "plugin/resources/TypeLibrary.h"
#include "plugin/settingsfile/ProgramId.h"
#include "plugin/shell/CQMA7Ctrl.h"

namespace {

const char* const kQMA7ProgId = "QMA7.QMA7Ctrl.1";

constexpr const char* kProgramIdEntry = "ProgramID";
constexpr const char* kTestIdEntry = "TestID";
// The table's built-in program id, replaced before the table is used.
constexpr const char* kGenericNode = "Generic Node";
constexpr const char* kTestIdValue = "%1";

constexpr std::uint32_t kQMA7OleMisc = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST |
                                       OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                       OLEMISC_RECOMPOSEONRESIZE;
static_assert(kQMA7OleMisc == 131473);

}  // namespace

CQMA7CtrlFactory g_QMA7CtrlFactory;

CQMA7CtrlFactory::CQMA7CtrlFactory()
    : COleObjectFactory(CLSID_QMA7Ctrl, kQMA7ProgId),
      m_nodeEntries{{{kProgramIdEntry, kGenericNode}, {kTestIdEntry, kTestIdValue}, {}}} {}

IUnknown* CQMA7CtrlFactory::OnCreateObject() {
    return static_cast<IDispatch*>(new CQMA7Ctrl);
}

bool CQMA7CtrlFactory::UpdateRegistry(bool registering) {
    // The program id text ends with its terminator: it is a string literal.
    m_nodeEntries[0].value = settingsfile::kProgramId.data();
    if (registering) {
        // A plug-in whose Node entries cannot be written is registered all the same.
        WriteNodeEntries(GetClassID(), m_nodeEntries.data(), true);
        return AfxOleRegisterControlClass(
            AfxGetInstanceHandle(), GetClassID(), GetProgID().c_str(), IDS_QMA7, IDB_QMA7,
            afxRegApartmentThreading, kQMA7OleMisc, LIBID_QMA7Lib, kQMA7LibMajor, kQMA7LibMinor);
    }
    RemoveNodeEntries(GetClassID(), m_nodeEntries.data());
    return AfxOleUnregisterClass(GetClassID(), GetProgID().c_str());
}

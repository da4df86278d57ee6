#include "plugin/resources/TypeLibrary.h"

#include "plugin/resources/ResourceTexts.h"

namespace {

constexpr char kLibraryName[] = "QMA7Lib";
constexpr char kLibraryHelp[] = "QMA7 ActiveX Control module";
constexpr char kHelpFile[] = "QMA7.hlp";
constexpr char kDispatchName[] = "_DQMA7";
constexpr char kDispatchHelp[] = "Dispatch interface for QMA7 Control";
constexpr char kEventsName[] = "_DQMA7Events";
constexpr char kEventsHelp[] = "Event interface for QMA7 Control";
constexpr char kClassName[] = "QMA7";
constexpr char kAboutBoxName[] = "AboutBox";

constexpr TypeLibMethod kDispatchMethods[] = {
    {kAboutBoxName, DISPID_ABOUTBOX},
};

constexpr TypeLibDispInterface kDispInterfaces[] = {
    {DIID__DQMA7, kDispatchName, kDispatchHelp, kDispatchMethods},
    {DIID__DQMA7Events, kEventsName, kEventsHelp, {}},
};

constexpr TypeLibCoClass kCoClasses[] = {
    {CLSID_QMA7Ctrl, kClassName, kTextTypeName, DIID__DQMA7, DIID__DQMA7Events},
};

}  // namespace

constinit const TypeLibrary kQMA7TypeLibrary = {
    LIBID_QMA7Lib, kQMA7LibMajor, kQMA7LibMinor,   0,          kLibraryName,
    kLibraryHelp,  kHelpFile,     kDispInterfaces, kCoClasses,
};

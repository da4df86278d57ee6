#include "plugin/shell/CQMA7App.h"

#include "plugin/resources/BitmapResources.h"
#include "plugin/resources/Resources.h"
#include "plugin/resources/TypeLibrary.h"

namespace {

// The title of the application's message boxes.
constexpr const char* kAppName = "QMA7";

constexpr ModuleResources kResources = {kAppName, &StringResource, &BitmapResource,
                                        &kQMA7TypeLibrary};

}  // namespace

CQMA7App theApp;

// The module object's life is the module's: construction and destruction stand in for the
// loader's notifications that start and end the instance.
CQMA7App::CQMA7App() : COleControlModule(kResources) {
    InitInstance();
}

CQMA7App::~CQMA7App() {
    ExitInstance();
}

bool CQMA7App::InitInstance() {
    return COleControlModule::InitInstance();
}

int CQMA7App::ExitInstance() {
    return COleControlModule::ExitInstance();
}

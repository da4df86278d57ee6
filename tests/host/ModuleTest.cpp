#include <gtest/gtest.h>

#include <string>

#include "host/app/PluginModule.h"
#include "platform/com/ComPtr.h"
#include "platform/gdi/LoadBitmap.h"
#include "platform/ui/MessageBox.h"
#include "plugin/resources/Resources.h"
#include "plugin/resources/TypeLibrary.h"
#include "plugin/resources/VersionInfo.h"
#include "plugin/shell/CQMA7App.h"
#include "plugin/shell/CQMA7Ctrl.h"

namespace {

const std::string kModule = QMA7_BIN_DIR "/QMA7.so";

std::unique_ptr<host::PluginModule> LoadModule() {
    std::string error;
    auto module = host::PluginModule::Load(kModule, error);
    EXPECT_NE(module, nullptr) << error;
    return module;
}

}  // namespace

TEST(PluginModule, HandsOutTheControlFactoryAndCountsItsOwnObjectsAndLocks) {
    const auto module = LoadModule();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->CanUnloadNow(), S_OK);

    ComPtr<IClassFactory> factory;
    EXPECT_EQ(module->GetClassObject(DIID__DQMA7, IID_IClassFactory, factory.PutVoid()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(factory);
    ASSERT_EQ(module->GetClassObject(CLSID_QMA7Ctrl, IID_IClassFactory, factory.PutVoid()), S_OK);

    ComPtr<IOleObject> control;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, control.PutVoid()), S_OK);
    EXPECT_EQ(module->CanUnloadNow(), S_FALSE);
    ComPtr<IPersist> persist;
    ASSERT_EQ(control->QueryInterface(IID_IPersist, persist.PutVoid()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_QMA7Ctrl);
    persist.Reset();
    control.Reset();
    EXPECT_EQ(module->CanUnloadNow(), S_OK);

    // A control of the plug-in code linked into this program is not the module's object.
    CQMA7Ctrl* local = new CQMA7Ctrl;
    EXPECT_EQ(module->CanUnloadNow(), S_OK);
    local->Release();

    EXPECT_EQ(factory->LockServer(1), S_OK);
    EXPECT_EQ(module->CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(module->CanUnloadNow(), S_OK);

    ASSERT_NE(module->VersionInfo(), nullptr);
    EXPECT_EQ(module->VersionInfo()->fileVersion, kModuleVersion);
    EXPECT_STREQ(VerQueryValue(*module->VersionInfo(), kVersionOleSelfRegister), "");
}

TEST(PluginModule, UnloadingTheModuleLeavesTheProgramsOwnResourcesCurrent) {
    theApp.InitInstance();
    LoadModule().reset();
    EXPECT_TRUE(LoadBitmap(IDB_QMA7).has_value());
    EXPECT_EQ(AfxGetAppName(), "QMA7");
}

#include "host/app/ControlHost.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/node/FactoryNode.h"
#include "host/node/NodeProgramId.h"
#include "host/site/ClientSite.h"
#include "platform/registry/Registry.h"
#include "plugin/resources/TypeLibrary.h"
#include "tests/registry/TempRegistry.h"
#include "tests/support/RegistryFaults.h"

namespace {

const std::string kBeside = QMA7_BIN_DIR "/QMA7.so";
constexpr const char* kServerKey = "CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}\\InprocServer32";

// A registration of the control whose module is somewhere else.
void RegisterElsewhere(const char* clsidKey, const char* programId, const char* module) {
    const std::string key = clsidKey;
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, (key + "\\Node\\ProgramID").c_str(), programId),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), module),
              ERROR_SUCCESS);
}

}  // namespace

class HostFindsPlugin : public TempRegistry {
  protected:
    std::unique_ptr<host::ControlHost> Create(const std::string& beside) {
        notes.str("");
        error.clear();
        return host::ControlHost::Create(site, host::ProgramIdText(host::kSimNodeProgramId), beside,
                                         notes, error);
    }

    host::SimNode node = host::FactoryNode::Make();
    host::ClientSite site{node};
    std::ostringstream notes;
    std::string error;
};

TEST_F(HostFindsPlugin, RegistersTheModuleBesideItWhenNoPluginIsRegistered) {
    auto control = Create(kBeside);
    ASSERT_NE(control, nullptr) << error;
    EXPECT_EQ(notes.str(),
              "qma7: no plug-in is registered for program id \"90 51 4D 41 37 5F 31 6A\"; "
              "registering " +
                  kBeside + "\n");
    EXPECT_EQ(control->Module().Path(), kBeside);
    IOleClientSite* given = nullptr;
    EXPECT_EQ(control->Control()->GetClientSite(&given), S_OK);
    EXPECT_EQ(given, &site);
    given->Release();
    control.reset();
    EXPECT_EQ(site.Outstanding(IID_IOleClientSite), 0);

    // Registered now: found through the registry, nothing written.
    const std::string registered = FileText();
    control = Create(kBeside);
    ASSERT_NE(control, nullptr) << error;
    EXPECT_EQ(notes.str(), "");
    EXPECT_EQ(FileText(), registered);
}

TEST_F(HostFindsPlugin, ReplacesARegistrationOfAnotherModuleByTheOneBesideIt) {
    RegisterElsewhere("CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}", "90 51 4D 41 37 5F 31 6A",
                      "/nowhere/QMA7.so");
    auto control = Create(kBeside);
    ASSERT_NE(control, nullptr) << error;
    EXPECT_EQ(
        notes.str(),
        "qma7: the registered plug-in module /nowhere/QMA7.so is not the one that comes with qma7; "
        "registering " +
            kBeside + "\n");
    EXPECT_EQ(DefaultOf(kServerKey), kBeside);
}

TEST_F(HostFindsPlugin, WithoutAModuleBesideItTheRegisteredOneIsLoaded) {
    const std::string missing = QMA7_BIN_DIR "/NoSuch.so";
    // A plug-in for another node type does not count.
    RegisterElsewhere("CLSID\\{11111111-2222-3333-4444-555555555555}", "80 00 00 00 00 00 00 01",
                      kBeside.c_str());
    EXPECT_EQ(Create(missing), nullptr);
    EXPECT_EQ(error,
              "no plug-in is registered for program id \"90 51 4D 41 37 5F 31 6A\" and "
              "there is no module " +
                  missing + " to register");

    RegisterElsewhere("CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}", "90 51 4D 41 37 5F 31 6A",
                      "/nowhere/QMA7.so");
    EXPECT_EQ(Create(missing), nullptr);
    EXPECT_EQ(error, "the plug-in module /nowhere/QMA7.so does not exist");

    RegisterElsewhere("CLSID\\{76A875E6-EAF0-11D5-8DA4-00107A158EFD}", "90 51 4D 41 37 5F 31 6A",
                      kBeside.c_str());
    EXPECT_NE(Create(missing), nullptr) << error;
    EXPECT_EQ(notes.str(), "");
}

TEST_F(HostFindsPlugin, AModuleBesideItThatIsNoPluginIsNotRegistered) {
    const std::string other = QMA7_BIN_DIR "/libqma7platform.so";
    EXPECT_EQ(Create(other), nullptr);
    EXPECT_EQ(error, "the plug-in module " + other +
                         " lacks the exports DllRegisterServer, DllUnregisterServer, "
                         "DllGetClassObject, DllCanUnloadNow");
    EXPECT_EQ(DefaultOf(kServerKey), "<error 2>");
}

TEST_F(HostFindsPlugin, ANodeOfAnotherProgramIdIsToldItsIdAndThatNoPluginIsRegisteredForIt) {
    auto control = host::CreateControlForNode(site, "90 51 4D 41 37 5F 31 6B", "51/35/12", kBeside,
                                              notes, error);
    EXPECT_EQ(control, nullptr);
    EXPECT_EQ(error,
              "the node 51/35/12 has program ID \"90 51 4D 41 37 5F 31 6B\", and no plug-in is "
              "registered for it");
    // The module that comes with qma7 serves another ID: no registration was attempted.
    EXPECT_EQ(notes.str(), "");
    EXPECT_EQ(DefaultOf(kServerKey), "<error 2>");
    // This node's own ID registers it.
    control = host::CreateControlForNode(site, "90 51 4D 41 37 5F 31 6A", "51/35/12", kBeside,
                                         notes, error);
    EXPECT_NE(control, nullptr) << error;
    EXPECT_NE(notes.str().find("registering"), std::string::npos) << notes.str();
}

TEST_F(HostFindsPlugin, ARegistrationTheRegistryRefusesSaysWhy) {
    FailSavesContaining faults("InprocServer32");
    platform::crt::SetCurrentFileSystem(&faults);
    EXPECT_EQ(Create(kBeside), nullptr);
    platform::crt::SetCurrentFileSystem(nullptr);
    EXPECT_EQ(error.rfind("registering the plug-in module " + kBeside +
                              " failed with 0x80040201: cannot save registry file " + m_file,
                          0),
              0u)
        << error;
}

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdi/Png.h"
#include "plugin/resources/BitmapResources.h"
#include "plugin/resources/Resources.h"
#include "tests/support/Files.h"

const std::string kBin = QMA7_BIN_DIR;

// Runs the qma7 program in a folder of its own, with a registry file of its own.
class Qma7Command : public ::testing::Test {
  protected:
    // The exit status; out and err hold what the command printed.
    int Run(const std::string& args) {
        const std::string command =
            kBin + "/qma7 " + args + " >" + (dir / "out").string() + " 2>" + (dir / "err").string();
        const int status = std::system(command.c_str());
        out = ReadFile(dir / "out");
        err = ReadFile(dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    ScratchFolder folder;
    const std::filesystem::path& dir = folder.Dir();
    const std::string registry = folder.Path("registry.reg");
    std::string out;
    std::string err;
};

TEST_F(Qma7Command, RegisterAndUnregisterPrintTheCodeAndExitZeroOnlyOnSuccess) {
    EXPECT_EQ(Run("register --registry " + registry), 0);
    EXPECT_EQ(out, "0x00000000\n");
    EXPECT_NE(ReadFile(registry).find("@=\"" + kBin + "/QMA7.so\""), std::string::npos);

    EXPECT_EQ(Run("--registry " + registry + " unregister " + kBin + "/QMA7.so"), 0);
    EXPECT_EQ(out, "0x00000000\n");
    EXPECT_EQ(Run("unregister --registry " + registry), 1);
    EXPECT_EQ(out, "0x80040200\n");
    EXPECT_EQ(err, "");

    EXPECT_EQ(Run("register --registry " + registry + " " + kBin + "/NoSuch.so"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "qma7 register: the plug-in module " + kBin + "/NoSuch.so does not exist\n");
    EXPECT_EQ(Run("register one two"), 2);
    EXPECT_EQ(Run("register --registry"), 2);
    EXPECT_EQ(err, "qma7: --registry needs a value\n");
}

TEST_F(Qma7Command, DrawWritesThePictureOfTheControlAsTheHostLoadsIt) {
    const std::optional<Bitmap> bitmap = DecodePng(BitmapResource(IDB_QMA7));
    ASSERT_TRUE(bitmap.has_value());
    const std::string png = (dir / "control.png").string();

    ASSERT_EQ(Run("draw 60x60 " + png + " --registry " + registry), 0) << err;
    EXPECT_EQ(err,
              "qma7: no plug-in is registered for program id \"90 51 4D 41 37 5F 31 6A\"; "
              "registering " +
                  kBin + "/QMA7.so\n");
    const std::optional<Bitmap> drawn = DecodePng(AsBytes(ReadFile(png)));
    ASSERT_TRUE(drawn.has_value());
    ASSERT_EQ(drawn->Width(), 60);
    ASSERT_EQ(drawn->Height(), 60);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(drawn->GetPixel(x, y), bitmap->GetPixel(x / 2, y / 2)) << x << "," << y;
        }
    }

    EXPECT_EQ(Run("draw 30x20 " + png + " --registry " + registry), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(Run("draw 0x20 " + png), 2);
    EXPECT_EQ(Run("draw 20 " + png), 2);
}

TEST_F(Qma7Command, VersionComesFromTheModulesVersionResource) {
    EXPECT_EQ(Run("--version"), 0);
    EXPECT_EQ(out, "qma7 1.0.0.1\nQMA7 ActiveX Control Module 1.0.0.1 (QMA7.OCX)\n");
}

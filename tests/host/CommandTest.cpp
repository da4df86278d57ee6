#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/node/NodeImage.h"
#include "host/node/NodeImageLock.h"
#include "platform/gdi/Png.h"
#include "plugin/resources/BitmapResources.h"
#include "plugin/resources/Resources.h"
#include "tests/support/Files.h"

const std::string kBin = QMA7_BIN_DIR;

// Runs the qma7 program in a folder of its own, with a registry file of its own.
class Qma7Command : public ::testing::Test {
  protected:
    // The exit status; out and err hold what the command printed. A command that hangs is
    // stopped after ten seconds (status 124). Standard input is empty unless args redirect it.
    // env: variables for the command, each followed by a blank.
    int Run(const std::string& args, const std::string& env = "") {
        const std::string input = args.find('<') == std::string::npos ? " </dev/null" : "";
        const std::string command = "cd " + dir.string() + " && " + env + "timeout 10 " + kBin +
                                    "/qma7 " + args + input + " >" + (dir / "out").string() +
                                    " 2>" + (dir / "err").string();
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
    EXPECT_EQ(err, "qma7 register: unknown argument two\nusage: qma7 register [MODULE]\n");
    // A failure of the registry comes with the registry's own reason.
    WriteFile(registry, "garbage\n");
    EXPECT_EQ(Run("register --registry " + registry), 1);
    EXPECT_EQ(out, "0x80040200\n");
    EXPECT_EQ(err, "qma7 register: malformed registry file " + registry +
                       ": line 1: the file must start with \"Windows Registry Editor Version "
                       "5.00\"\n");
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

TEST_F(Qma7Command, HelpAndUnknownArguments) {
    EXPECT_EQ(Run("--help"), 0);
    const std::string help = out;
    EXPECT_EQ(Run("-h"), 0);
    EXPECT_EQ(out, help);
    EXPECT_EQ(Run("frobnicate"), 2);
    EXPECT_EQ(err, "qma7: unknown argument frobnicate (qma7 --help lists the commands)\n");
    EXPECT_EQ(Run("--frobnicate"), 2);
    EXPECT_EQ(err, "qma7: unknown argument --frobnicate (qma7 --help lists the options)\n");
}

TEST_F(Qma7Command, WhatIsNoRegularFileIsRefusedAtOnceAndNothingHangs) {
    std::filesystem::create_directory(dir / "dir");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (dir / "socket").c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string reg = " --registry " + registry;
    for (const std::string path : {"dir", "fifo", "socket", "/dev/zero"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Run("script --node " + path + reg), 1);
        EXPECT_EQ(err, "qma7 script: " + path + ": not a regular file\n");
        EXPECT_EQ(Run("--node " + path + reg), 1);
        EXPECT_EQ(err, "qma7: " + path + ": not a regular file\n");
        EXPECT_EQ(Run("script --registry " + path), 1);
        EXPECT_EQ(err, "qma7 script: " + path + ": not a regular file\n");
        if (path != "fifo") {  // a pipe is a script read as a stream
            EXPECT_EQ(Run("script " + path + reg), 1);
            EXPECT_EQ(err, "qma7 script: " + path + ": not a regular file\n");
        }
    }
    ::close(listener);
    EXPECT_EQ(Run("script" + reg + " < dir"), 1);
    EXPECT_EQ(err, "qma7 script: cannot read standard input: Is a directory\n");
    EXPECT_EQ(Run("script nothing.qma7"), 1);
    EXPECT_EQ(err, "qma7 script: cannot read nothing.qma7: No such file or directory\n");

    // Pipes: a named one with a writer, standard input; a byte-order mark is no command.
    ASSERT_EQ(Run("register" + reg), 0);
    ASSERT_EQ(
        std::system(("printf '\\357\\273\\277time\\n' >" + (dir / "fifo").string() + " &").c_str()),
        0);
    EXPECT_EQ(Run("script" + reg + " fifo"), 0) << err;
    EXPECT_EQ(out, "time 0\n");
    WriteFile(dir / "show.qma7", "writefile f.txt \"a\\n\"\nshowfile f.txt\nshowfile dir\n");
    EXPECT_EQ(Run("script" + reg + " < show.qma7"), 1);
    EXPECT_EQ(out, "line \"a\"\n");
    EXPECT_EQ(err, "error: 3: cannot read \"dir\": not a regular file\n");
}

TEST_F(Qma7Command, AScriptErrorInsideABoxSavesTheNodeAsTheErrorFoundIt) {
    const std::string reg = " --registry " + registry;
    ASSERT_EQ(Run("register" + reg), 0);
    // The download goes on after its unanswered box: the node's own program ID follows.
    WriteFile(dir / "in.txt",
              "- 11 22 33 44 55 66 77 88\r\n- 90 51 4D 41 37 5F 31 6A\r\n* nciMaxCool x\r\n"
              "20.000\r\n");
    const std::string download =
        "open\ntab \"Import / Export\"\nset 428 in.txt\n"
        "set 221 Talvik\nfile in.txt\nanswer Yes\n";
    WriteFile(dir / "fails.qma7", download + "click 430\ngetnv 14\n");
    WriteFile(dir / "writes.qma7", download + "answer No\nclick 430\nexit\n");
    for (const bool fails : {true, false}) {
        const std::string image = folder.Path(fails ? "failed.json" : "written.json");
        EXPECT_EQ(Run("script --save " + image + reg + (fails ? " fails.qma7" : " writes.qma7")),
                  fails ? 1 : 0);
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, fails ? "error: 7: message box \"ProgramID does not match!\\nDo you want "
                               "to download anyway?\" offers a choice and no answer is queued\n"
                             : "");
        std::string error;
        const auto node = host::NodeImage::Load(image, error);
        ASSERT_TRUE(node) << error;
        const auto nv14 = *node->GetNv(14);
        EXPECT_EQ(std::vector<std::uint8_t>(nv14.begin(), nv14.end()),
                  (fails ? std::vector<std::uint8_t>{0x4E, 0x20}
                         : std::vector<std::uint8_t>{0x0F, 0xA0}));
    }
}

TEST_F(Qma7Command, OneWriterPerNodeImage) {
    const std::string image = (dir / "node.json").string();
    const std::string reg = " --registry " + registry;
    WriteFile(dir / "get.qma7", "getselector\n");
    ASSERT_EQ(Run("script --save " + image + reg + " get.qma7"), 0) << err;
    {
        std::string error;
        bool held = false;
        const auto lock = host::NodeImageLock::Take(image, error, held);
        ASSERT_NE(lock, nullptr) << error;
        const std::string holder = "the node image " + image + " is in use by process " +
                                   std::to_string(::getpid()) + " (qma7_tests)\n";
        EXPECT_EQ(Run("--node " + image + reg), 1);
        EXPECT_EQ(err, "qma7: " + holder);
        EXPECT_EQ(Run("script --save " + image + reg + " get.qma7"), 1);
        EXPECT_EQ(err, "qma7 script: " + holder);
        EXPECT_EQ(out, "");
        EXPECT_EQ(Run("script --node " + image + reg + " get.qma7"), 0) << err;
        EXPECT_EQ(out, "selector 0\n");
    }
    EXPECT_EQ(Run("script --save " + image + reg + " get.qma7"), 0) << err;
}

TEST_F(Qma7Command, TheImageAtTheDefaultPlaceSaysHowToStartAgainAndFreshKeepsIt) {
    const std::filesystem::path state = dir / "state" / "qma7";
    std::filesystem::create_directories(state);
    WriteFile(state / "node.json", "{\"name\": ");
    // Without a terminal the sheet stops after the image is ready.
    const std::string env = "XDG_STATE_HOME=" + (dir / "state").string() + " ";
    EXPECT_NE(Run("", env), 0);
    EXPECT_NE(err.find((state / "node.json").string() + ": not valid JSON"), std::string::npos)
        << err;
    EXPECT_NE(err.find("; to start again from the factory node: qma7 --fresh (the old image is "
                       "kept beside the new one)\n"),
              std::string::npos)
        << err;

    for (const std::string kept : {"node.json.old", "node.json.old.2"}) {
        EXPECT_NE(Run("--fresh", env), 0);
        EXPECT_EQ(
            err.rfind("qma7: the old node image is kept as " + (state / kept).string() + "\n", 0),
            0u)
            << err;
        std::string error;
        EXPECT_TRUE(host::NodeImage::Load(state / "node.json", error)) << error;
    }
    EXPECT_EQ(ReadFile(state / "node.json.old"), "{\"name\": ");
}

TEST_F(Qma7Command, CommandLineErrorsSayWhatIsWrongAndExitTwo) {
    WriteFile(dir / "get.qma7", "getselector\n");
    EXPECT_EQ(Run("script --lon 51/35/200 get.qma7"), 2);
    EXPECT_EQ(err.rfind("qma7 script: \"51/35/200\" is no LON address: the node \"200\" is not a "
                        "number 1 to 127",
                        0),
              0u)
        << err;
    EXPECT_EQ(Run("--lon 51/35/12 --lon-host 0/126"), 2);
    EXPECT_EQ(err.rfind("qma7: \"0/126\" is no host address: the subnet \"0\"", 0), 0u) << err;
    EXPECT_EQ(Run("--lon 51/35/12 --name " + std::string(256, 'n')), 2);
    EXPECT_EQ(err, "qma7: --name takes at most 255 bytes, not 256\n");
    // Control characters in an argument never reach the terminal as they are.
    EXPECT_EQ(Run("\"$(printf 'x\\033[2J')\""), 2);
    EXPECT_EQ(err, "qma7: unknown argument x\\x1B[2J (qma7 --help lists the commands)\n");
    EXPECT_EQ(Run("script --lon-timeout \"$(printf '9\\007')\""), 2);
    EXPECT_EQ(err, "qma7 script: --lon-timeout takes milliseconds from 1 to 60000, not 9\\x07\n");
}

TEST_F(Qma7Command, ANodeListThatCannotBeReadIsOnlyAWarningWhenTheAddressIsGiven) {
    const std::filesystem::path config = dir / "config" / "qma7";
    std::filesystem::create_directories(config);
    ASSERT_EQ(::mkfifo((config / "nodes.json").c_str(), 0600), 0);
    const std::string env = "XDG_CONFIG_HOME=" + (dir / "config").string() + " ";
    WriteFile(dir / "get.qma7", "getselector\n");
    // The host address is on no interface here: the socket fails before anything is sent.
    EXPECT_EQ(Run("script --lon 51/35/12 --lon-timeout 800 get.qma7", env), 1);
    const std::string list = (config / "nodes.json").string();
    EXPECT_EQ(err.rfind("qma7: warning: --lon-timeout x (--lon-retries + 1) is 2400 ms, longer "
                        "than the 2048 ms a node keeps a request's record by default",
                        0),
              0u)
        << err;
    EXPECT_NE(err.find("qma7: warning: the node list " + list +
                       " is not a regular file; going on without it\n"
                       "qma7 script: the host address 51/35/126 (10.81.35.126) is on no interface"),
              std::string::npos)
        << err;
    EXPECT_EQ(Run("script --lon AHU1 get.qma7", env), 1);
    EXPECT_EQ(err, "qma7 script: the node list " + list + " is not a regular file\n");
}

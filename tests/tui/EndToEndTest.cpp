// qma7 in a real terminal: tmux runs it on a node image in a temporary state folder, the test
// types and clicks as a technician would, and checks the bytes in the saved image.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "host/node/FactoryNode.h"
#include "host/node/NodeImage.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;

class QmaInTmux : public ::testing::Test {
  protected:
    QmaInTmux() : m_socket("qma7-e2e-" + std::to_string(::getpid())) {
        fs::create_directories(m_dir / "state");
    }
    void SetUp() override {
        if (std::system("tmux -V >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "tmux is not installed; run scripts/setup to get it";
        }
    }
    ~QmaInTmux() override {
        for (int run = 1; run <= m_runs; ++run) {
            std::system(Tmux(run, "kill-server 2>/dev/null").c_str());
        }
    }

    // Each run has a tmux server of its own, so that no server's shutdown meets the next start.
    std::string Tmux(int run, const std::string& arguments) const {
        return "tmux -L " + m_socket + "-" + std::to_string(run) + " -f /dev/null " + arguments;
    }
    int Run(const std::string& arguments) { return std::system(Tmux(m_runs, arguments).c_str()); }

    // Starts qma7 with the state folder and locale given; its pid and exit status land in files.
    void Start(const std::string& locale) {
        const std::string command =
            "echo \\$\\$ > " + (m_dir / "pid").string() + "; exec " + QMA7_BIN_DIR "/qma7";
        ++m_runs;
        fs::remove(m_dir / "pid");
        fs::remove(m_dir / "status");
        const std::string session = "new-session -d -x 80 -y 24 -e HOME=" + m_dir.string() +
                                    " -e XDG_STATE_HOME=" + (m_dir / "state").string() +
                                    " -e QMA7_REGISTRY=" + (m_dir / "registry.reg").string() +
                                    " -e LC_ALL=" + locale + " -e TERM=tmux-256color 'sh -c \"" +
                                    command + "\"; echo $? > " + (m_dir / "status").string() +
                                    "; sleep 60'";
        ASSERT_EQ(Run(session), 0);
    }
    std::string Screen() {
        Run("capture-pane -p > " + (m_dir / "screen").string());
        return ReadFile(m_dir / "screen");
    }
    // Waits up to ten seconds for text on the screen and for the sheet to be idle, since keys
    // sent while a handler is busy are dropped; text that is part of the busy line itself
    // needs only to appear.
    bool WaitFor(const std::string& text) {
        for (int i = 0; i < 200; ++i) {
            const std::string screen = Screen();
            const auto at = screen.find(text);
            const auto busy = screen.find("Busy: ");
            if (at != std::string::npos &&
                (busy == std::string::npos || (at >= busy && screen.find('\n', busy) > at))) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "\"" << text << "\" did not appear; the screen:\n" << Screen();
        return false;
    }
    void Keys(const std::string& keys) { Run("send-keys " + keys); }
    // A press and release of the left button on the first cell of text (or offset cells right
    // of it), as xterm reports it.
    void Click(const std::string& text, int offset = 0) {
        std::istringstream lines(Screen());
        std::string line;
        for (int y = 0; std::getline(lines, line); ++y) {
            if (const auto x = line.find(text); x != std::string::npos) {
                char bytes[64];
                for (const int button : {0x20, 0x23}) {
                    std::snprintf(bytes, sizeof bytes, "send-keys -H 1b 5b 4d %x %x %x", button,
                                  static_cast<int>(x) + offset + 33, y + 33);
                    Run(bytes);
                }
                return;
            }
        }
        ADD_FAILURE() << "no \"" << text << "\" to click; the screen:\n" << Screen();
    }
    // Waits up to 20 seconds: saving flushes the image to disk, which a busy disk may delay.
    std::optional<int> WaitForExit() {
        for (int i = 0; i < 400; ++i) {
            if (const std::string status = ReadFile(m_dir / "status"); !status.empty()) {
                return std::atoi(status.c_str());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::nullopt;
    }
    std::string Word(const host::SimNode& node, int nv, std::size_t at) {
        const auto bytes = node.GetNv(nv);
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X", (*bytes)[at], (*bytes)[at + 1]);
        return text;
    }
    fs::path Image() const { return m_dir / "state" / "qma7" / "node.json"; }
    int Pid() const { return std::atoi(ReadFile(m_dir / "pid").c_str()); }

  private:
    ScratchFolder m_folder;
    const fs::path& m_dir = m_folder.Dir();
    std::string m_socket;
    int m_runs = 0;
};

}  // namespace

TEST_F(QmaInTmux, ATechnicianSetsManualWritesExitsAndTheImageKeepsIt) {
    // A German locale, where it exists, proves that "40.5" is still read as 40.5.
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::setlocale(LC_ALL, "C");
    Start(german ? "de_DE.UTF-8" : "C.UTF-8");
    ASSERT_TRUE(WaitFor("Node information"));
    ASSERT_TRUE(WaitFor("simulated"));

    // Three tabs on: Cooling. Into the page, Mv2's Manual, its manual value, then Write.
    Keys("C-NPage C-NPage C-NPage");
    ASSERT_TRUE(WaitFor("Status cool (Mv2)"));
    Keys("Tab Up Up Down Space Tab");
    Run("send-keys -l 40.5");
    ASSERT_TRUE(WaitFor("[40.5"));
    Click("Write");
    // The page reads back after writing: the field shows the node's value.
    ASSERT_TRUE(WaitFor("[40  "));
    Keys("Escape");
    ASSERT_EQ(WaitForExit(), 0);
    // The first run registered the plug-in; the note is there once the sheet is gone.
    EXPECT_NE(Screen().find("qma7: no plug-in is registered for program id"), std::string::npos)
        << Screen();

    std::string error;
    const auto saved = host::NodeImage::Load(Image(), error);
    ASSERT_TRUE(saved) << error;
    const host::SimNode factory = host::FactoryNode::Make();
    EXPECT_EQ(Word(*saved, 25, 3), "0001");  // Mv2 Manual
    EXPECT_EQ(Word(*saved, 26, 3), "0051");  // 40.5 % in half percent steps
    for (const int nv : {25, 26}) {
        for (std::size_t at = 1; at < 31; at += 2) {
            if (at != 3) {
                EXPECT_EQ(Word(*saved, nv, at), Word(factory, nv, at))
                    << "NV " << nv << " byte " << at;
            }
        }
    }

    // The next run starts from that image; a SIGTERM after a write keeps the write.
    Start("C.UTF-8");
    ASSERT_TRUE(WaitFor("simulated"));
    Keys("M-4");
    ASSERT_TRUE(WaitFor("(*) Manual"));
    Keys("Tab Tab");
    Run("send-keys -l 33.3");
    ASSERT_TRUE(WaitFor("[33.3"));
    Click("Write");
    ASSERT_TRUE(WaitFor("[33 "));
    ASSERT_GT(Pid(), 0);
    // A second sheet on the same image is refused, naming the one that has it.
    const fs::path state = Image().parent_path().parent_path();
    const std::string second = "XDG_STATE_HOME=" + state.string() +
                               " " QMA7_BIN_DIR "/qma7 </dev/null 2>" + (state / "second").string();
    EXPECT_NE(std::system(second.c_str()), 0);
    EXPECT_EQ(ReadFile(state / "second"), "qma7: the node image " + Image().string() +
                                              " is in use by process " + std::to_string(Pid()) +
                                              " (qma7)\n");
    ::kill(Pid(), SIGTERM);
    const auto code = WaitForExit();
    EXPECT_EQ(code, 128 + SIGTERM) << Screen();
    const auto killed = host::NodeImage::Load(Image(), error);
    ASSERT_TRUE(killed) << error;
    EXPECT_EQ(Word(*killed, 25, 3), "0001");
    EXPECT_EQ(Word(*killed, 26, 3), "0042");  // 33 % and a half step
}

TEST_F(QmaInTmux, StoppedInDefaultSettingsTheImageKeepsEveryWriteAndTheUserLearnsHowFar) {
    // Parts that are not the factory's, so that each part written shows in the image.
    host::SimNode node = host::FactoryNode::Make();
    std::string error;
    for (int k = 1; k <= 12; ++k) {
        ASSERT_TRUE(node.SetPart(k, std::vector<std::uint8_t>(31, 0xEE), error)) << error;
    }
    fs::create_directories(Image().parent_path());
    ASSERT_TRUE(host::NodeImage::Save(node, Image(), error)) << error;

    Start("C.UTF-8");
    ASSERT_TRUE(WaitFor("simulated"));
    Keys("M-2");
    ASSERT_TRUE(WaitFor("Factory settings"));
    Click("Password   [", 12);
    Run("send-keys -l Talvik");
    Click("Default settings");
    // Three parts are written about 8 s in; the image follows within a second.
    ASSERT_TRUE(WaitFor("Busy: Default settings, 3 of 26 items"));
    ::kill(Pid(), SIGTERM);
    EXPECT_EQ(WaitForExit(), 128 + SIGTERM);
    EXPECT_TRUE(WaitFor("qma7: Default settings stopped after 3 of 26 items"));
    const auto saved = host::NodeImage::Load(Image(), error);
    ASSERT_TRUE(saved) << error;
    const host::SimNode factory = host::FactoryNode::Make();
    for (int k = 1; k <= 12; ++k) {
        const bool written = k <= 3;
        EXPECT_EQ(saved->Part(k)[0] == factory.Part(k)[0] && saved->Part(k)[30] != 0xEE, written)
            << "part " << k;
    }
}

TEST_F(QmaInTmux, ASaveThatFailsShowsAtOnceAndIsTriedAgain) {
    Start("C.UTF-8");
    ASSERT_TRUE(WaitFor("simulated"));
    fs::remove_all(Image().parent_path());
    Keys("M-4");
    ASSERT_TRUE(WaitFor("Status cool (Mv2)"));
    Click("Write");
    ASSERT_TRUE(WaitFor("NOT SAVED"));
    fs::create_directories(Image().parent_path());
    for (int i = 0; i < 60 && !fs::exists(Image()); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(fs::exists(Image()));
    EXPECT_TRUE(WaitFor("simulated"));
    EXPECT_EQ(Screen().find("NOT SAVED"), std::string::npos);
    Keys("Escape");
    EXPECT_EQ(WaitForExit(), 0);
}

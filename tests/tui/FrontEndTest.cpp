// The terminal front end running real modal loops: boxes with their own loop, painting before
// a handler blocks, sleeping until the next timer, signals, a too small terminal, and a whole
// session on the settings sheet that must not depend on the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/com/OleObject.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/PropertySheet.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::FakeTerminal;
using tuitest::Press;
using tuitest::Type;

namespace {

constexpr int kAsk = 1001;
constexpr int kSlow = 1002;
constexpr int kWrite = 1004;
constexpr unsigned kTickTimer = 1;
constexpr std::uint32_t kTickMs = 500;

const std::vector<ControlTemplate> kTestControls = {
    Button(kAsk, "Ask", 10, 10), Button(kSlow, "Slow", 10, 30), EditField(1003, 10, 50),
    Button(kWrite, "Write", 10, 70)};
const DialogTemplate kTestTemplate{900, "Test", 300, 200, kTestControls};

// A page whose buttons ask a question and run a slow action, with a timer that counts.
class TestPage final : public CPropertyPage {
  public:
    explicit TestPage(const FakeTerminal& terminal)
        : CPropertyPage(kTestTemplate, "Test"), m_terminal(terminal) {
        OnClicked(kAsk, [this] { answer = MessageBox("Go on?", "Test", MB_YESNO); });
        OnClicked(kSlow, [this] {
            SetDlgItemText(kSlow, "Wait");
            screenWhileBlocked = m_terminal.lastRows;
            platform::crt::Sleep(kTickMs);
            SetDlgItemText(kSlow, "Slow");
        });
        OnClicked(kWrite, [this] { onWrite(); });
    }
    bool OnInitDialog() override {
        SetTimer(kTickTimer, kTickMs);
        return true;
    }
    void OnTimer(unsigned /*id*/) override { ++ticks; }

    std::optional<int> answer;
    std::function<void()> onWrite = [] {};
    std::string screenWhileBlocked;
    int ticks = 0;

  private:
    const FakeTerminal& m_terminal;
};

class TerminalUi : public ::testing::Test {
  protected:
    TerminalUi() { platform::crt::SetCurrentClock(&clock); }
    ~TerminalUi() override { platform::crt::SetCurrentClock(nullptr); }

    // Runs the test sheet modally until it is closed.
    int Run() {
        CPropertySheet sheet("QMA7", nullptr, 0);
        sheet.AddPage(&page);
        return sheet.DoModal();
    }

    platform::crt::VirtualClock clock;
    FakeTerminal terminal{80, 24, clock};
    std::vector<int> signals;
    TerminalFrontEnd ui{
        terminal,
        clock,
        {"AHU1", "00"},
        Glyphs::Unicode(),
        TerminalFrontEnd::Hooks{{}, [this](int s) { signals.push_back(s); }, {}, {}, {}}};
    MessageLoop loop{ui, clock};
    TestPage page{terminal};
};

}  // namespace

TEST_F(TerminalUi, MessageBoxRunsItsOwnLoopInWhichTimersKeepTicking) {
    terminal.input = {Press(Key::Tab), Press(Key::Enter)};  // the first button: Ask
    int ticksWhenAnswered = -1;
    bool boxSeen = false;
    terminal.onWait = [&] {
        boxSeen = boxSeen || terminal.lastRows.find("Go on?") != std::string::npos;
        if (clock.NowMs() >= 2000 && ticksWhenAnswered < 0) {
            ticksWhenAnswered = page.ticks;
            terminal.input.push_back(Type(U'n'));
        } else if (page.answer) {
            terminal.input.push_back(Press(Key::Escape));
        }
    };
    Run();
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(page.answer, IDNO);
    EXPECT_EQ(ticksWhenAnswered, 4);  // at 500, 1000, 1500 and 2000 ms, under the box
    EXPECT_EQ(terminal.lastRows.find("Go on?"), std::string::npos);
}

TEST_F(TerminalUi, ACaptionIsOnTheScreenBeforeItsHandlerBlocks) {
    terminal.input = {Press(Key::Tab), Press(Key::Down), Press(Key::Enter), Press(Key::Escape)};
    Run();
    EXPECT_NE(page.screenWhileBlocked.find("Wait   >"), std::string::npos);
    EXPECT_EQ(terminal.lastRows.find("Wait"), std::string::npos);
    EXPECT_NE(terminal.lastRows.find("Slow   >"), std::string::npos);
}

TEST_F(TerminalUi, BetweenInputsItSleepsUntilTheNextTimerIsDue) {
    terminal.onWait = [&] {
        if (clock.NowMs() >= 10000 && terminal.input.empty()) {
            terminal.input.push_back(Press(Key::Escape));
        }
    };
    Run();
    // One wait per tick, each as long as the time left to it: no polling.
    ASSERT_EQ(terminal.timeouts.size(), 21u);
    for (std::size_t i = 0; i + 1 < terminal.timeouts.size(); ++i) {
        EXPECT_EQ(terminal.timeouts[i], kTickMs);
    }
    EXPECT_EQ(page.ticks, 20);
}

TEST_F(TerminalUi, ASignalKeepsTheNodeThroughItsHookAndClosesBoxesAndWindows) {
    terminal.input = {Press(Key::Tab), Press(Key::Enter), InputEvent{Key::Terminate, 0, 15}};
    Run();
    EXPECT_EQ(signals, std::vector<int>{15});
    EXPECT_TRUE(ui.Quitting());
    EXPECT_EQ(page.answer, IDNO);  // a Yes / No box closes with its last button
}

TEST_F(TerminalUi, ATooSmallTerminalShowsWhyAndTakesOnlyEscape) {
    terminal.Resize(60, 6);
    terminal.input = {Press(Key::Tab), Press(Key::Enter), InputEvent::Click(3, 3),
                      Press(Key::Escape)};
    Run();
    EXPECT_FALSE(page.answer);
    EXPECT_NE(terminal.lastRows.find("The terminal is too small for the sheet."),
              std::string::npos);
}

// A whole session on the settings sheet: the Recirculation tab's Manual with 40.5 %, then
// Write. The node and the screen come out the same whatever the locale says of numbers.
class TerminalUiSession : public ::testing::Test {
  protected:
    struct Outcome {
        std::string nv26;
        std::string screen;
    };

    // Manual on Recirculation, the value typed into its field, then Write.
    static Outcome Session(std::u32string_view typed = U"40.5") {
        platform::crt::VirtualClock clock;
        platform::crt::SetCurrentClock(&clock);
        host::SimNode node = host::FactoryNode::Make();
        Outcome outcome;
        {
            host::ClientSite site(node);
            FakeTerminal terminal(80, 24, clock);
            TerminalFrontEnd ui(terminal, clock, {node.Name(), "00"}, Glyphs::Unicode(), {});
            MessageLoop loop(ui, clock);
            // The tab opens with Automatic checked: Tab lands on it, Up moves to Manual.
            terminal.input = {InputEvent::AltKey(U'3'), Press(Key::Tab), Press(Key::Up),
                              Press(Key::Enter), Press(Key::Tab)};
            for (const char32_t c : typed) {
                terminal.input.push_back(Type(c));
            }
            // Past the fresh air field, the range group and Invert to Write.
            for (int i = 0; i < 4; ++i) {
                terminal.input.push_back(Press(Key::Tab));
            }
            terminal.input.push_back(Press(Key::Enter));
            terminal.onWait = [&] {
                if (terminal.input.empty() && outcome.screen.empty()) {
                    outcome.screen = terminal.lastRows;
                    terminal.input.push_back(Press(Key::Escape));
                }
            };
            auto* control = new CQMA7Ctrl;
            control->SetClientSite(&site);
            control->DoVerb(OLEIVERB_PROPERTIES);
            control->SetClientSite(nullptr);
            control->Release();
        }
        platform::crt::SetCurrentClock(nullptr);
        const auto nv26 = node.GetNv(26);
        for (std::size_t i = 0; i < 3; ++i) {
            outcome.nv26 += std::to_string((*nv26)[i]) + " ";
        }
        return outcome;
    }
};

TEST_F(TerminalUiSession, NumbersOnTheScreenAndInTheNodeIgnoreTheLocale) {
    const Outcome plain = Session();
    EXPECT_EQ(plain.nv26, "0 0 81 ");  // 40.5 % in half percent steps
    EXPECT_NE(plain.screen.find("(*) Manual"), std::string::npos);
    // Shown as "40": no difference.
    EXPECT_NE(plain.screen.find("[40  "), std::string::npos);
    EXPECT_EQ(plain.screen.find("came back different"), std::string::npos);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed; run scripts/setup";
    }
    const Outcome german = Session();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(german.nv26, plain.nv26);
    EXPECT_EQ(german.screen, plain.screen);
}

TEST_F(TerminalUiSession, AValueThatWrapsInTheNodeIsMarkedAfterTheWrite) {
    // 300 % in a field of 0 to 127.5 % in half percent steps: 600 in a byte is 88, 44 %.
    const Outcome wrapped = Session(U"300");
    EXPECT_EQ(wrapped.nv26, "0 0 88 ");
    EXPECT_NE(wrapped.screen.find("[44      !"), std::string::npos) << wrapped.screen;
    EXPECT_NE(wrapped.screen.find("1 field came back different"), std::string::npos);
}

// What a button's host calls did reaches the status line: how many values were written, or
// how many were not and why (the first reason); selecting a part is no value.
TEST_F(TerminalUi, AButtonSaysHowManyValuesReachedTheNode) {
    std::vector<std::string> notices;
    page.onWrite = [&] {
        ui.AfterHostCall(true, 42, true);
        ui.AfterHostCall(true, 43, true);
        ui.AfterHostCall(false, 5, false, "no answer from 51/35/12");  // a read: not counted
        ui.AfterHostCall(true, 5, false, "no answer from 51/35/12");
        ui.AfterHostCall(true, 6, false, "the node refused the update of NV 6");
    };
    const auto clickWrite = [&] {
        const auto at = tuitest::Find(ui.LastGrid(), "Write");
        ASSERT_TRUE(at);
        terminal.input.push_back(InputEvent::Click(at->x, at->y));
    };
    int waits = 0;
    terminal.onWait = [&] {
        ++waits;
        if (waits == 1) {
            clickWrite();
        } else if (waits == 2) {
            notices.push_back(terminal.lastRows);
            page.onWrite = [&] {
                for (int nv = 1; nv <= 3; ++nv) {
                    ui.AfterHostCall(true, nv, true);
                }
            };
            clickWrite();
        } else if (waits == 3) {
            notices.push_back(terminal.lastRows);
            terminal.input.push_back(Press(Key::Escape));
        }
    };
    Run();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("Test: 2 of 3 values not written (no answer from 51/35/12)"),
              std::string::npos)
        << notices[0];
    EXPECT_NE(notices[1].find("3 values written"), std::string::npos) << notices[1];
}

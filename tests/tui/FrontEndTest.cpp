// The terminal front end running real modal loops: boxes with their own loop, painting before
// a handler blocks, sleeping until the next timer, signals, a too small terminal, and a whole
// session on the settings sheet that must not depend on the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/com/OleObject.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/PropertySheet.h"
#include "plugin/shell/CQMA7Ctrl.h"
#include "tests/tui/TuiTestSupport.h"

using host::HostCall;
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
constexpr int kMostEscapes = 3;

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
        std::string nv25;                  // bytes 0-2: the Md4 status code in bytes 1-2
        std::string nv26;                  // bytes 0-2: the Md4 manual value in bytes 1-2
        std::vector<std::string> screens;  // at each wait with no input left
        int moreEscapes = 0;               // that the sheet needed after the answers
    };

    // The sheet on the factory node: the keys, then at each wait with no input left the next
    // of the answers (the screen is kept first); Escape when they are used up, and a stop
    // signal when the sheet does not close after a few.
    static Outcome Run(const std::vector<InputEvent>& keys,
                       const std::vector<InputEvent>& answers = {}) {
        platform::crt::VirtualClock clock;
        platform::crt::SetCurrentClock(&clock);
        host::SimNode node = host::FactoryNode::Make();
        Outcome outcome;
        {
            host::ClientSite site(node);
            FakeTerminal terminal(80, 24, clock);
            TerminalFrontEnd ui(terminal, clock, {node.Name(), "00"}, Glyphs::Unicode(), {});
            MessageLoop loop(ui, clock);
            terminal.input.assign(keys.begin(), keys.end());
            terminal.onWait = [&] {
                if (!terminal.input.empty()) {
                    return;
                }
                if (outcome.screens.size() <= answers.size()) {
                    const std::size_t next = outcome.screens.size();
                    outcome.screens.push_back(terminal.lastRows);
                    terminal.input.push_back(next < answers.size() ? answers[next]
                                                                   : Press(Key::Escape));
                } else if (++outcome.moreEscapes <= kMostEscapes) {
                    terminal.input.push_back(Press(Key::Escape));
                } else {
                    terminal.input.push_back(InputEvent{Key::Terminate, 0, SIGTERM});
                }
            };
            auto* control = new CQMA7Ctrl;
            control->SetClientSite(&site);
            control->DoVerb(OLEIVERB_PROPERTIES);
            control->SetClientSite(nullptr);
            control->Release();
        }
        platform::crt::SetCurrentClock(nullptr);
        const auto bytes = [&](int nv) {
            std::string text;
            const auto value = node.GetNv(nv);
            for (std::size_t i = 0; i < 3; ++i) {
                text += std::to_string((*value)[i]) + " ";
            }
            return text;
        };
        outcome.nv25 = bytes(25);
        outcome.nv26 = bytes(26);
        return outcome;
    }

    // Recirculation opens with Automatic checked: Tab lands on it, Up clicks Manual, which
    // enables the manual value; Tab goes on to it.
    static std::vector<InputEvent> ToManualValue() {
        return {InputEvent::AltKey(U'3'), Press(Key::Tab), Press(Key::Up), Press(Key::Tab)};
    }
    static void TypeText(std::vector<InputEvent>& keys, std::u32string_view typed) {
        for (const char32_t c : typed) {
            keys.push_back(Type(c));
        }
    }
    // Past the fresh air field, the range group and Invert to Write, and Write.
    static void PressWrite(std::vector<InputEvent>& keys) {
        for (int i = 0; i < 4; ++i) {
            keys.push_back(Press(Key::Tab));
        }
        keys.push_back(Press(Key::Enter));
    }

    // Manual on Recirculation, the value typed into its field, then Write; the screen after.
    static Outcome Session(std::u32string_view typed = U"40.5") {
        std::vector<InputEvent> keys = ToManualValue();
        TypeText(keys, typed);
        PressWrite(keys);
        return Run(keys);
    }
};

TEST_F(TerminalUiSession, NumbersOnTheScreenAndInTheNodeIgnoreTheLocale) {
    const Outcome plain = Session();
    EXPECT_EQ(plain.nv26, "0 0 81 ");  // 40.5 % in half percent steps
    EXPECT_NE(plain.screens.front().find("(*) Manual"), std::string::npos);
    // Shown as "40": no difference.
    EXPECT_NE(plain.screens.front().find("[40  "), std::string::npos);
    EXPECT_EQ(plain.screens.front().find("came back different"), std::string::npos);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed; run scripts/setup";
    }
    const Outcome german = Session();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(german.nv26, plain.nv26);
    EXPECT_EQ(german.screens.front(), plain.screens.front());
}

TEST_F(TerminalUiSession, AValueThatWrapsInTheNodeIsMarkedAfterTheWrite) {
    // 300 % in a field of 0 to 127.5 % in half percent steps: 600 in a byte is 88, 44 %.
    const Outcome wrapped = Session(U"300");
    EXPECT_EQ(wrapped.nv26, "0 0 88 ");
    EXPECT_NE(wrapped.screens.front().find("[44     !]"), std::string::npos)
        << wrapped.screens.front();
    EXPECT_NE(wrapped.screens.front().find("1 field came back different"), std::string::npos);
}

TEST_F(TerminalUiSession, ArrowKeysClickTheRadioButtonTheyReachAndWriteSendsIt) {
    // Up from Automatic to Manual, then straight to Write: no Space, no Enter on the button.
    std::vector<InputEvent> keys = ToManualValue();
    PressWrite(keys);
    const Outcome outcome = Run(keys);
    EXPECT_EQ(outcome.nv25.substr(outcome.nv25.find(' ')), " 0 1 ") << "Manual: status code 1";
    EXPECT_NE(outcome.nv25, Run({}).nv25);
    EXPECT_NE(outcome.screens.front().find("(*) Manual"), std::string::npos);
}

TEST_F(TerminalUiSession, ExitAndLeavingTheTabAskFirstWhenTypedFieldsAreNotWritten) {
    std::vector<InputEvent> keys = ToManualValue();
    TypeText(keys, U"55");
    keys.push_back(Press(Key::Escape));
    // Esc keeps the sheet; PgDn asks too, and Enter leaves the tab; Esc then exits at once.
    const Outcome outcome =
        Run(keys, {Press(Key::Escape), Press(Key::PageDown), Press(Key::Enter)});
    ASSERT_EQ(outcome.screens.size(), 4u);
    EXPECT_NE(outcome.screens[0].find("1 field typed and not written. Exit anyway?"),
              std::string::npos)
        << outcome.screens[0];
    EXPECT_EQ(outcome.screens[1].find("typed and not written"), std::string::npos);
    EXPECT_NE(outcome.screens[1].find("[55"), std::string::npos) << "still typed";
    EXPECT_NE(outcome.screens[2].find("1 field typed and not written. Leave the tab anyway?"),
              std::string::npos)
        << outcome.screens[2];
    EXPECT_NE(outcome.screens[3].find("Status cool (Mv2)"), std::string::npos);
    EXPECT_EQ(outcome.moreEscapes, 0);
    EXPECT_EQ(outcome.nv26, Run({}).nv26) << "nothing was written";
}

TEST_F(TerminalUiSession, AWriteLetsExitGoWithoutAQuestion) {
    const Outcome outcome = Session(U"55");
    EXPECT_EQ(outcome.moreEscapes, 0);
    EXPECT_EQ(outcome.nv26, "0 0 110 ");
}

host::HostCall Call(host::HostCall::Kind kind, int nv, bool ok) {
    host::HostCall call;
    call.kind = kind;
    call.nv = nv;
    call.ok = ok;
    return call;
}

// What a button's host calls did reaches the status line: how many values were written, or
// how many were not and why (the first reason); selecting a part is no value.
TEST_F(TerminalUi, AButtonSaysHowManyValuesReachedTheNode) {
    std::vector<std::string> notices;
    page.onWrite = [&] {
        ui.AfterHostCall(Call(host::HostCall::Kind::Write, 42, true));
        ui.AfterHostCall(Call(host::HostCall::Kind::Write, 43, true));
        ui.AfterHostCall(Call(host::HostCall::Kind::Read, 5, false),
                         "no answer from 51/35/12");  // a read: not counted
        ui.AfterHostCall(Call(host::HostCall::Kind::Write, 5, false), "no answer from 51/35/12");
        ui.AfterHostCall(Call(host::HostCall::Kind::Write, 6, false),
                         "the node refused the update of NV 6");
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
                    ui.AfterHostCall(Call(host::HostCall::Kind::Write, nv, true));
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

// A handler that blocks, as the user sees it: the busy line with what runs, how far it is and
// for how long; keys typed meanwhile dropped; a stop signal honoured at the next step; the
// screen painted while it waits, resizes included.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/ui/PropertySheet.h"
#include "tests/tui/TuiTestSupport.h"

using namespace host::tui;
using tuitest::Press;
using tuitest::Type;

namespace {

constexpr int kPassword = 221;
constexpr int kSelectorNv = 42;
constexpr int kSignal = 15;

std::string StatusLine(const std::string& rows) {
    const std::size_t end = rows.rfind('\n');
    const std::size_t start = rows.rfind('\n', end - 1);
    return rows.substr(start + 1, end - start - 1);
}

class Busy : public ::testing::Test {
  protected:
    Busy() { platform::crt::SetCurrentClock(&clock); }
    ~Busy() override { platform::crt::SetCurrentClock(nullptr); }

    void Run(const std::function<void(int wait)>& play) { session.Run(play); }
    void Click(const std::string& text) { session.Click(text); }

    CDialog& Page() {
        for (CWnd* window : MessageLoop::Current().ModalStack()) {
            if (auto* sheet = dynamic_cast<CPropertySheet*>(window)) {
                return *sheet->GetActivePage();
            }
        }
        ADD_FAILURE() << "no sheet is open";
        std::abort();
    }

    // Opens Import / Export, gives the password and starts "Default settings".
    void StartDefaultSettings(int wait) {
        if (wait == 1) {
            terminal.input.push_back(InputEvent::AltKey(U'2'));
        } else if (wait == 2) {
            Page().GetDlgItem(kPassword)->SetWindowText("Talvik");
            Click("Default settings");
        }
    }

    // Signals at the first poll at or after time t.
    void SignalAt(std::int64_t t) {
        terminal.onPoll = [this, t] {
            if (signalled < 0 && clock.NowMs() >= t) {
                signalled = clock.NowMs();
                terminal.typed = {InputEvent{Key::Terminate, 0, kSignal}};
            }
        };
    }

    platform::crt::VirtualClock clock;
    host::SimNode node = host::FactoryNode::Make();
    host::ClientSite site{node};
    tuitest::SheetSession session{site, clock, {"AHU1", "00"}};
    tuitest::FakeTerminal& terminal = session.terminal;
    std::vector<tuitest::SheetSession::Stop>& stops = session.stops;
    std::int64_t signalled = -1;
};

}  // namespace

TEST_F(Busy, DefaultSettingsShowsProgressAndTimeAndDropsTheKeysTypedMeanwhile) {
    std::vector<std::pair<std::int64_t, std::string>> lines;  // the status line at each poll
    terminal.onPoll = [&] {
        lines.emplace_back(clock.NowMs(), StatusLine(terminal.lastRows));
        if (clock.NowMs() >= 5000 && clock.NowMs() < 5050) {
            terminal.typed = {Type(U'x'), Press(Key::Down)};
        }
    };
    std::string afterwards;
    Run([&](int wait) {
        StartDefaultSettings(wait);
        if (terminal.lastRows.find("Please restart the plugin") != std::string::npos) {
            terminal.input.push_back(Press(Key::Enter));
        } else if (wait > 2 && afterwards.empty()) {
            afterwards = terminal.lastRows;
            terminal.input.push_back(Press(Key::Escape));
        }
    });

    // Every item counted; the time on the line moves at least four times a second.
    std::vector<std::string> busy;
    std::int64_t lastChange = 0;
    for (const auto& [time, line] : lines) {
        if (line.find("Busy: Default settings, ") == std::string::npos ||
            (!busy.empty() && line == busy.back())) {
            continue;
        }
        if (!busy.empty()) {
            EXPECT_LE(time - lastChange, 250) << "at " << time << ": " << line;
        }
        lastChange = time;
        busy.push_back(line);
    }
    ASSERT_GT(busy.size(), 100u);
    const std::regex form(R"(Busy: Default settings, (\d+) of 26 items, (\d+)\.\d s)");
    int items = 0;
    for (const std::string& line : busy) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(line, match, form)) << line;
        EXPECT_NE(line.find("keys are ignored"), std::string::npos) << line;  // fits 80 columns
        EXPECT_GE(std::stoi(match[1]), items) << line;
        items = std::stoi(match[1]);
    }
    EXPECT_NE(busy.front().find(" 0 of 26 items, 0.0 s"), std::string::npos) << busy.front();
    EXPECT_NE(busy.back().find(" 26 of 26 items, 35."), std::string::npos) << busy.back();
    // The keys typed meanwhile went, and the user is told.
    EXPECT_NE(StatusLine(afterwards).find("2 keys ignored while busy"), std::string::npos)
        << StatusLine(afterwards);
    EXPECT_NE(afterwards.find("Import / Export"), std::string::npos);
    EXPECT_TRUE(stops.empty());
}

TEST_F(Busy, AStopSignalEndsAPauseWithinASlice) {
    SignalAt(9010);  // in the 2 s pause before part 5 is selected
    Run([&](int wait) { StartDefaultSettings(wait); });
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_LE(stops[0].at - signalled, 100);
    int items = 0;
    for (const host::HostCall& call : stops[0].calls) {
        items += call.kind == host::HostCall::Kind::Write && call.nv != kSelectorNv ? 1 : 0;
    }
    EXPECT_EQ(items, 3);
    EXPECT_EQ(stops[0].what, "Default settings stopped after 3 of 26 items");
}

// Esc and F10 are never dropped: typed while a handler pauses or waits for the node, they end
// the program within a slice; the keys around them are not run.
TEST_F(Busy, EscWhileBusyEndsTheProgramWithinASlice) {
    std::int64_t typed = -1;
    terminal.onPoll = [&] {
        if (typed < 0 && clock.NowMs() >= 9010) {  // in the 2 s pause before part 5
            typed = clock.NowMs();
            terminal.typed = {Type(U'x'), Press(Key::Escape), Type(U'y')};
        }
    };
    Run([&](int wait) { StartDefaultSettings(wait); });
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].signal, 0);
    EXPECT_LE(stops[0].at - typed, platform::crt::kBlockingSliceMs);
    EXPECT_EQ(stops[0].what, "Default settings stopped after 3 of 26 items");
    // The handler runs out as its windows close, but nothing more reaches the node.
    for (const host::HostCall& call : site.TakeCalls()) {
        EXPECT_FALSE(call.ok && call.kind == host::HostCall::Kind::Write) << call.nv;
    }
}

TEST_F(Busy, F10WhileAHostCallWaitsEndsTheProgramWithoutWaitingForTheCall) {
    site.SetLatency(5000);
    std::int64_t typed = -1;
    Run([&](int wait) {
        if (wait == 1) {
            terminal.input.push_back(InputEvent::AltKey(U'4'));  // Cooling
        } else if (wait == 2) {
            site.TakeCalls();
            terminal.onPoll = [&] {
                if (typed < 0 && !site.TakeCalls().empty()) {
                    typed = clock.NowMs();
                    terminal.typed = {InputEvent::FunctionKey(10)};
                }
            };
            Click("Write");
        }
    });
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].signal, 0);
    EXPECT_LE(stops[0].at - typed, platform::crt::kBlockingSliceMs);
}

TEST_F(Busy, AStopSignalInAHostCallEndsTheProgramWithoutWaitingForTheCall) {
    site.SetLatency(300);
    Run([&](int wait) {
        if (wait == 1) {
            terminal.input.push_back(InputEvent::AltKey(U'4'));  // Cooling
        } else if (wait == 2) {
            site.TakeCalls();
            SignalAt(clock.NowMs() + 450);  // in the second call of the Write
            Click("Write");
        }
    });
    // The call in flight is abandoned at once, not waited for.
    ASSERT_EQ(stops.size(), 1u);
    ASSERT_EQ(stops[0].calls.size(), 2u);
    EXPECT_LE(stops[0].at - signalled, platform::crt::kBlockingSliceMs);
    EXPECT_EQ(stops[0].what, "Write on Cooling stopped after 2 host calls");
}

TEST_F(Busy, ASlowTabIsShownBeforeItIsFilledAndAResizeIsDrawnAtOnce) {
    site.SetLatency(500);
    std::string whileFilling;
    std::string afterResize;
    terminal.onPoll = [&] {
        const bool busy =
            StatusLine(terminal.lastRows).find("Busy: Cooling, ") != std::string::npos;
        if (!busy) {
            return;
        }
        if (whileFilling.empty()) {
            whileFilling = terminal.lastRows;
            terminal.Resize(110, 42);
            terminal.typed = {Press(Key::Resize)};
        } else if (afterResize.empty()) {
            afterResize = terminal.lastRows;
        }
    };
    Run([&](int wait) {
        terminal.input.push_back(wait == 1 ? InputEvent::AltKey(U'4') : Press(Key::Escape));
    });
    EXPECT_NE(whileFilling.find("Status cool (Mv2)"), std::string::npos) << whileFilling;
    EXPECT_EQ(afterResize.find('\n'), 110u) << afterResize;
}

// Window timers on the virtual clock: their grid, coalescing of late ticks, order of ties, and
// the page life cycle of a property sheet.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/crt/Clock.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/PropertySheet.h"

using ::testing::ElementsAre;

namespace {

std::vector<std::string> g_log;

class NoFrontEnd final : public FrontEnd {
  public:
    void Pump(MessageLoop&, std::optional<std::int64_t>) override {}
    int RunMessageBox(MessageLoop&, const MessageBoxRequest&) override { return IDOK; }
    std::optional<std::string> RunFileDialog(MessageLoop&, const FileDialogRequest&) override {
        return std::nullopt;
    }
};

const DialogTemplate kTemplate{100, "Page", 300, 200, {}};

// Logs its life cycle; a tick may take time, as host calls with a latency do.
class LoggingPage final : public CPropertyPage {
  public:
    LoggingPage(std::string name, platform::crt::VirtualClock& clock)
        : CPropertyPage(kTemplate, name), m_name(std::move(name)), m_clock(clock) {}
    bool OnInitDialog() override {
        g_log.push_back(m_name + " init");
        return true;
    }
    void OnShowWindow(bool show, unsigned) override {
        g_log.push_back(m_name + (show ? " show" : " hide"));
    }
    void OnTimer(unsigned id) override {
        g_log.push_back(m_name + " tick " + std::to_string(id) + " at " +
                        std::to_string(m_clock.NowMs()));
        m_clock.SleepMs(m_tickCost);
    }
    std::int64_t m_tickCost = 0;

  private:
    std::string m_name;
    platform::crt::VirtualClock& m_clock;
};

class MessageLoopTest : public ::testing::Test {
  protected:
    MessageLoopTest() { g_log.clear(); }
    platform::crt::VirtualClock clock;
    NoFrontEnd frontEnd;
    MessageLoop loop{frontEnd, clock};
    LoggingPage a{"a", clock};
    LoggingPage b{"b", clock};
};

}  // namespace

TEST_F(MessageLoopTest, TicksStayOnTheirGridAndLateTicksCoalesce) {
    a.Create();
    b.Create();
    clock.SleepMs(500);
    a.SetTimer(1, 2000);  // due 2500, 4500, ...
    b.SetTimer(1, 2000);
    a.SetTimer(2, 1000);  // due 1500, 2500, ...
    g_log.clear();

    loop.AdvanceTo(2600);
    // Timers due at the same time tick in the order they were set.
    EXPECT_THAT(g_log, ElementsAre("a tick 2 at 1500", "a tick 1 at 2500", "b tick 1 at 2500",
                                   "a tick 2 at 2500"));
    g_log.clear();

    // A handler that blocks for 5 s: the ticks that fell due meanwhile run once, late, and
    // the next ones stay on the grid.
    clock.SleepMs(5000);  // now 7600
    loop.DispatchDueTimers();
    EXPECT_THAT(g_log, ElementsAre("a tick 2 at 7600", "a tick 1 at 7600", "b tick 1 at 7600"));
    EXPECT_EQ(loop.NextDue(), 8500);
    g_log.clear();

    // Ticks whose calls carry the clock past further due times: the others run late, and no
    // timer runs twice in one dispatch.
    a.m_tickCost = 2500;
    clock.AdvanceTo(8500);
    loop.DispatchDueTimers();
    EXPECT_THAT(g_log, ElementsAre("a tick 1 at 8500", "b tick 1 at 11000", "a tick 2 at 11000"));
    EXPECT_EQ(clock.NowMs(), 13500);
    g_log.clear();

    a.DestroyWindow();  // a window's timers die with it
    loop.AdvanceTo(20000);
    EXPECT_THAT(g_log, ElementsAre("b tick 1 at 13500", "b tick 1 at 14500", "b tick 1 at 16500",
                                   "b tick 1 at 18500"));
    EXPECT_EQ(clock.NowMs(), 20000);
}

TEST_F(MessageLoopTest, SheetCreatesEachPageOnItsFirstSelection) {
    CPropertySheet sheet("Sheet", nullptr, 0);
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.Create();
    sheet.SetActivePage(1);
    sheet.SetActivePage(1);  // the tab in front: nothing happens
    sheet.SetActivePage(0);
    sheet.SetActivePage(1);
    EXPECT_THAT(g_log, ElementsAre("a init", "a show", "a hide", "b init", "b show", "b hide",
                                   "a show", "a hide", "b show"));
    EXPECT_TRUE(sheet.PressButton(IDOK));
    EXPECT_TRUE(sheet.IsModalEnded());
    sheet.DestroyWindow();
    EXPECT_FALSE(a.HasWindow());
    EXPECT_FALSE(b.HasWindow());
}

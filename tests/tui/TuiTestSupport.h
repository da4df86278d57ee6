#pragma once
// Test helpers for the terminal front end: a terminal that plays queued input on a virtual
// clock, a sheet of the plug-in's page templates without page code, and golden grids.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/site/ClientSite.h"
#include "host/tui/CellGrid.h"
#include "host/tui/Terminal.h"
#include "host/tui/TerminalFrontEnd.h"
#include "platform/crt/Clock.h"
#include "platform/ui/PropertySheet.h"

namespace tuitest {

using host::tui::CellGrid;
using host::tui::InputEvent;
using host::tui::Key;

// Gives its queued input one event per wait; without input it lets the virtual clock run to
// the wait's end, and when nothing is due at all it presses Esc (a sheet then exits).
class FakeTerminal final : public host::tui::Terminal {
  public:
    FakeTerminal(int columns, int rows, platform::crt::VirtualClock& clock)
        : m_columns(columns), m_rows(rows), m_clock(clock) {}

    int Columns() const override { return m_columns; }
    int Rows() const override { return m_rows; }
    void Show(const CellGrid& grid) override;
    std::vector<InputEvent> Wait(std::optional<std::int64_t> timeoutMs) override;
    // Gives what was typed while the front end was busy.
    std::vector<InputEvent> Poll() override;

    void Resize(int columns, int rows) {
        m_columns = columns;
        m_rows = rows;
    }

    std::deque<InputEvent> input;
    std::vector<std::optional<std::int64_t>> timeouts;  // of every wait
    int shows = 0;
    std::string lastRows;  // the characters last shown
    // Called at each wait before input is taken, with the clock's time.
    std::function<void()> onWait;
    // Input that arrives while a handler runs, and a call at each poll before it is taken.
    std::deque<InputEvent> typed;
    std::function<void()> onPoll;

  private:
    int m_columns;
    int m_rows;
    platform::crt::VirtualClock& m_clock;
    int m_idleEscapes = 0;
};

InputEvent Press(Key key);
InputEvent Type(char32_t c);

// The settings sheet on a site as the properties verb opens it, in the terminal front end on a
// fake terminal of 100 x 40. A stop signal (15) is recorded with what it stopped.
class SheetSession {
  public:
    struct Stop {
        std::int64_t at;
        std::string what;
        std::vector<host::HostCall> calls;  // made before the stop
        int signal = 0;                     // 0: Esc or F10 while a call waited
    };

    SheetSession(host::ClientSite& site, platform::crt::VirtualClock& clock,
                 host::tui::StatusInfo status);
    // Runs the sheet at 80 x 24 until it closes; play is the user at each idle wait, from 1.
    void Run(const std::function<void(int wait)>& play);
    // Clicks what shows text on the screen.
    void Click(const std::string& text);

    FakeTerminal terminal;
    std::vector<Stop> stops;
    host::tui::TerminalFrontEnd ui;

  private:
    host::ClientSite& m_site;
    platform::crt::VirtualClock& m_clock;
};

// A sheet of every page in the settings sheet's order, made from the page templates alone:
// controls without page code. Its buttons are as the settings sheet leaves them: "Exit" only.
class TemplateSheet {
  public:
    TemplateSheet();
    ~TemplateSheet();
    CPropertySheet& Sheet() { return m_sheet; }
    void Select(const std::string& caption);
    CWnd& Control(int id);

  private:
    CPropertySheet m_sheet{"QMA7", nullptr, 0};
    std::vector<std::unique_ptr<CPropertyPage>> m_pages;
};

// Compares the grid with tests/tui/golden/NAME.txt: the characters, then the style letters,
// each row closed by "|". QMA7_UPDATE_GOLDEN=1 writes the file instead.
void ExpectGolden(const std::string& name, const CellGrid& grid);

// The cell where text first appears in the grid.
std::optional<host::tui::CellPos> Find(const CellGrid& grid, const std::string& text);

}  // namespace tuitest

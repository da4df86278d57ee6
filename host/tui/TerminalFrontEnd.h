#pragma once
// The terminal front end of the message loop: a person at a terminal plays the user. It paints
// the screen before it waits and whenever a visible window changes (so that a "Wait" caption
// shows before its handler blocks), sleeps in poll until input, a timer's due time or a signal,
// and runs message boxes and file dialogs in loops of their own in which timers keep ticking.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "host/tui/CellGrid.h"
#include "host/tui/Screen.h"
#include "host/tui/Terminal.h"
#include "platform/ui/MessageLoop.h"

namespace platform::crt {
class Clock;
}

namespace host::tui {

class TerminalFrontEnd final : public FrontEnd {
  public:
    struct Hooks {
        // At each wake-up, before the front end sleeps: the application's own work (the live
        // node, saving). Returns when it wants the next wake-up, or nothing.
        std::function<std::optional<std::int64_t>(std::int64_t nowMs)> wake;
        // A signal asks the program to end: keep what must be kept. When this returns, the
        // front end closes every box and window as Cancel and Exit would.
        std::function<void(int signal)> terminate;
    };

    TerminalFrontEnd(Terminal& terminal, platform::crt::Clock& clock, StatusInfo status,
                     const Glyphs& glyphs, Hooks hooks);

    void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) override;
    void ModalStarted(CWnd& dialog) override;
    void ModalEnded(CWnd& dialog) override;
    void Changed(const CWnd& window) override;
    int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) override;
    std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                             const FileDialogRequest& dialog) override;

    // Renders the screen and shows it.
    void Paint();
    Screen& GetScreen() { return m_screen; }
    // The grid last shown.
    const CellGrid& LastGrid() const { return m_grid; }
    // Whether a signal asked the program to end.
    bool Quitting() const { return m_quit; }

  private:
    // The next input: queued already, or waited for until deadline (or the wake hook's wish);
    // nothing when the time came first.
    std::optional<InputEvent> NextEvent(std::optional<std::int64_t> deadline);
    void Dispatch(const InputEvent& event);

    Terminal& m_terminal;
    platform::crt::Clock& m_clock;
    Screen m_screen;
    Hooks m_hooks;
    CellGrid m_grid{0, 0};
    std::deque<InputEvent> m_queue;
    bool m_quit = false;
};

}  // namespace host::tui

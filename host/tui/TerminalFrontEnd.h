#pragma once
// The terminal front end of the message loop: a person at a terminal plays the user. It paints
// the screen before it waits and whenever a visible window changes (so that a "Wait" caption
// shows before its handler blocks), sleeps in poll until input, a timer's due time or a signal,
// and runs message boxes and file dialogs in loops of their own in which timers keep ticking.
//
// While a handler that the user started runs, the status line says what runs, for how long and,
// for the long file actions, how far it is; the screen stays painted while the handler blocks
// (resizes included), keys typed meanwhile are dropped, and a stop signal ends the program at
// the next step: before or after a host call, or within one blocking slice of a pause.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/profile/ActionTally.h"
#include "host/profile/PluginProfile.h"
#include "host/tui/CellGrid.h"
#include "host/tui/Screen.h"
#include "host/tui/Terminal.h"
#include "platform/ui/MessageLoop.h"

#include "platform/crt/Clock.h"

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
        // While a handler blocks, a few times a second: the application's own work that cannot
        // wait for the handler to end (saving the node image). It must not touch the windows.
        std::function<void(std::int64_t nowMs)> busy;
        // The user's own action (a key, a click) is about to run its handler.
        std::function<void()> action;
        // What the link found out meanwhile, for the status line; empty when nothing.
        std::function<std::string()> linkNotice;
    };

    TerminalFrontEnd(Terminal& terminal, platform::crt::Clock& clock, StatusInfo status,
                     const Glyphs& glyphs, Hooks hooks);
    // A stop it asked for (platform::crt::RequestStop) ends with it.
    ~TerminalFrontEnd() override;

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

    // The client site's checkpoints around each host call, and the clock's blocking hook.
    void BeforeHostCall();
    // failure: why the call failed, as the link says it.
    void AfterHostCall(const HostCall& call, const std::string& failure = {});
    void WhileBlocked(platform::crt::Blocked what);

    // What the running handler did when a signal stopped it ("Default settings stopped after
    // 9 of 26 items"); empty while no handler runs.
    std::string Interrupted() const;
    // A failure of the program's own for the status line; empty clears it.
    void SetProblem(std::string text);

  private:
    // The next input: queued already, or waited for until deadline (or the wake hook's wish);
    // nothing when the time came first.
    std::optional<InputEvent> NextEvent(std::optional<std::int64_t> deadline);
    void Dispatch(const InputEvent& event);

    // A handler the user started, while it runs.
    struct Activity {
        // Declared, so that std::optional<Activity> can tell it is default-constructible
        // before this class is complete.
        Activity() {}
        std::int64_t startMs = 0;
        bool known = false;  // label and action found
        bool blocked = false;
        ActionTally tally;
    };
    // Finds what the activity runs, once: the label and the long action, if it is one.
    void Identify(Activity& activity) const;
    // Takes what the terminal holds without waiting: signals are kept, resizes painted, keys
    // dropped while a handler runs or a host call waits, and queued otherwise. Esc and F10
    // meanwhile are never dropped: like a signal, they ask the program to end.
    void Poll(bool waiting = false);
    // Ends the program for the signal that asked for it.
    void Stop(int signal);
    // Shows the busy line when the handler has blocked or run a while, and its text changed.
    void PaintBusy();
    // A box or file dialog of a running handler takes the keys; the handler's clock restarts
    // when it closes.
    class Suspend;

    Terminal& m_terminal;
    platform::crt::Clock& m_clock;
    Screen m_screen;
    Hooks m_hooks;
    CellGrid m_grid{0, 0};
    std::deque<InputEvent> m_queue;
    bool m_quit = false;
    std::optional<Activity> m_activity;
    std::vector<Activity> m_outer;  // activities whose box or file dialog is open
    int m_dropped = 0;
    std::optional<int> m_stopSignal;  // 0: Esc or F10 while busy
    bool m_stopRequested = false;
    std::string m_busyText;
    std::string m_problem;
};

}  // namespace host::tui

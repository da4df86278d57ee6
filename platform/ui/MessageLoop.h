#pragma once
// The thread's message loop: modal dialogs, window timers and the front end that supplies
// input and answers message boxes and file dialogs. There is one thread; handlers, timer ticks
// and host calls run one after another on it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

namespace platform::crt {
class Clock;
class VirtualClock;
}  // namespace platform::crt

class CWnd;
class CDialog;
class MessageLoop;

// A front end shows the windows and plays the user. The dialog model never draws.
class FrontEnd {
  public:
    virtual ~FrontEnd() = default;
    // Waits for the next input, at most until the clock reaches deadline (none: no timer is
    // pending), and delivers it by acting on the windows (click, select a tab, type, close).
    virtual void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) = 0;
    // A modal dialog is about to run its loop (a sheet, the About box).
    virtual void ModalStarted(CWnd& /*dialog*/) {}
    virtual void ModalEnded(CWnd& /*dialog*/) {}
    // A window's text, check, enabled or visible state changed; a front end that paints does
    // so now, so that a caption set by a handler is seen before the handler blocks.
    virtual void Changed(const CWnd& /*window*/) {}
    // Runs a modal message box; returns the answer (IDOK, IDYES, ...).
    virtual int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) = 0;
    // Runs a file dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                                     const FileDialogRequest& dialog) = 0;
};

class MessageLoop {
  public:
    MessageLoop(FrontEnd& frontEnd, platform::crt::Clock& clock);
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The loop of this thread; one must exist while windows run.
    static MessageLoop& Current();
    static bool Exists();

    FrontEnd& GetFrontEnd() { return m_frontEnd; }
    platform::crt::Clock& GetClock() { return m_clock; }

    // Runs until dialog.IsModalEnded(): due timers, then the front end's next input.
    void RunModal(CWnd& dialog);
    // The modal dialogs running now, innermost last.
    const std::vector<CWnd*>& ModalStack() const { return m_modal; }

    // Window timers: the first tick comes one period after SetTimer; ticks stay on that grid.
    void SetTimer(CDialog& window, unsigned id, std::uint32_t periodMs);
    void KillTimer(CDialog& window, unsigned id);
    void KillTimers(CDialog& window);
    // When the earliest timer falls due; none when no timer is set.
    std::optional<std::int64_t> NextDue() const;
    // Runs every timer whose tick is due now, each at most once (late ticks coalesce), in the
    // order of their due times, timers due at the same time in the order they were set.
    void DispatchDueTimers();
    // Moves a virtual clock to target, running each tick at its due time on the way (a tick's
    // host calls may carry the clock further). On the real clock only the due ticks run.
    void AdvanceTo(std::int64_t target);

    // Modal boxes: the ticks already due run first, as the box's own loop would.
    int MessageBox(const MessageBoxRequest& box);
    std::optional<std::string> FileDialog(const FileDialogRequest& dialog);

    void NotifyChanged(const CWnd& window) { m_frontEnd.Changed(window); }

  private:
    struct Timer {
        CDialog* window;
        unsigned id;
        std::int64_t period;
        std::int64_t due;
        std::uint64_t order;
    };
    Timer* EarliestDue(std::int64_t limit);
    void RunTick(Timer& timer);

    FrontEnd& m_frontEnd;
    platform::crt::Clock& m_clock;
    platform::crt::VirtualClock* m_virtualClock;  // null on the real clock
    std::vector<Timer> m_timers;
    std::vector<CWnd*> m_modal;
    std::uint64_t m_nextOrder = 0;
    MessageLoop* m_previous = nullptr;
};

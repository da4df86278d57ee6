#include "host/tui/TerminalFrontEnd.h"

#include <algorithm>

#include "host/profile/PluginProfile.h"
#include "host/tui/FileDialogView.h"
#include "host/tui/MessageBoxView.h"
#include "platform/ui/Wnd.h"

namespace host::tui {

namespace {

constexpr std::int64_t kBusyAfterMs = 100;  // a handler that runs longer shows the busy line

constexpr char kOn[] = " on ";
constexpr char kKeysIgnored[] = " ignored while busy";
constexpr int kQuitFunctionKey = 10;  // F10, like Esc, ends the program

}  // namespace

// A box or file dialog opened by a running handler: its keys are the user's answer, not
// type-ahead, and what the handler does meanwhile is not the handler's progress.
class TerminalFrontEnd::Suspend {
  public:
    explicit Suspend(TerminalFrontEnd& ui) : m_ui(ui), m_held(ui.m_activity.has_value()) {
        if (m_held) {
            m_ui.m_outer.push_back(std::move(*m_ui.m_activity));
            m_ui.m_activity.reset();
            m_ui.m_busyText.clear();
            m_ui.m_screen.SetBusy({});
        }
    }
    ~Suspend() {
        if (m_held) {
            m_ui.m_activity = std::move(m_ui.m_outer.back());
            m_ui.m_outer.pop_back();
            m_ui.m_activity->startMs = m_ui.m_clock.NowMs();
        }
    }
    Suspend(const Suspend&) = delete;
    Suspend& operator=(const Suspend&) = delete;

  private:
    TerminalFrontEnd& m_ui;
    bool m_held;
};

TerminalFrontEnd::TerminalFrontEnd(Terminal& terminal, platform::crt::Clock& clock,
                                   StatusInfo status, const Glyphs& glyphs, Hooks hooks)
    : m_terminal(terminal),
      m_clock(clock),
      m_screen(std::move(status), glyphs),
      m_hooks(std::move(hooks)) {}

TerminalFrontEnd::~TerminalFrontEnd() {
    if (m_stopRequested) {
        platform::crt::ClearStopRequest();
    }
}

void TerminalFrontEnd::Paint() {
    if (m_grid.Width() != m_terminal.Columns() || m_grid.Height() != m_terminal.Rows()) {
        m_grid = CellGrid(m_terminal.Columns(), m_terminal.Rows());
    }
    m_screen.Render(m_grid);
    m_terminal.Show(m_grid);
}

std::optional<InputEvent> TerminalFrontEnd::NextEvent(std::optional<std::int64_t> deadline) {
    if (m_stopSignal) {
        return InputEvent{Key::Terminate, 0, *m_stopSignal};
    }
    if (m_queue.empty()) {
        std::optional<std::int64_t> wakeAt = deadline;
        if (m_hooks.wake) {
            const auto wanted = m_hooks.wake(m_clock.NowMs());
            if (wanted && (!wakeAt || *wanted < *wakeAt)) {
                wakeAt = wanted;
            }
        }
        if (m_hooks.linkNotice) {
            if (std::string notice = m_hooks.linkNotice(); !notice.empty()) {
                m_screen.SetNotice(std::move(notice));
            }
        }
        Paint();
        std::optional<std::int64_t> timeout;
        if (wakeAt) {
            timeout = std::max<std::int64_t>(0, *wakeAt - m_clock.NowMs());
        }
        for (const InputEvent& event : m_terminal.Wait(timeout)) {
            m_queue.push_back(event);
        }
    }
    if (m_queue.empty()) {
        return std::nullopt;
    }
    const InputEvent event = m_queue.front();
    m_queue.pop_front();
    return event;
}

void TerminalFrontEnd::Dispatch(const InputEvent& event) {
    if (event.key == Key::Terminate) {
        Stop(event.number);
        return;
    }
    if (event.key == Key::Resize) {
        return;  // the next paint takes the new size
    }
    if (m_screen.TooSmall(m_grid) && event.key != Key::Escape &&
        !(event.key == Key::Function && event.number == 10)) {
        return;  // the user cannot see what a key would do
    }
    // Whatever handler the event runs is the user's activity until it returns.
    m_activity.emplace();
    m_activity->startMs = m_clock.NowMs();
    if (m_hooks.action) {
        m_hooks.action();
    }
    m_screen.Handle(event);
    if (m_activity && m_activity->blocked) {
        Poll();  // what was typed while it blocked goes
    }
    std::string notice;
    if (m_activity) {
        Identify(*m_activity);  // the label names a failed write
        notice = m_activity->tally.WriteOutcome();
    }
    m_activity.reset();
    if (!m_busyText.empty()) {
        m_busyText.clear();
        m_screen.SetBusy({});
    }
    // Keys dropped while a box of the handler was open are told when the handler ends.
    if (m_dropped > 0 && m_outer.empty()) {
        notice = std::to_string(m_dropped) + (m_dropped == 1 ? " key" : " keys") + kKeysIgnored +
                 (notice.empty() ? "" : "; ") + notice;
        m_dropped = 0;
    }
    if (!notice.empty()) {
        m_screen.SetNotice(notice);
    }
    if (m_stopSignal) {
        Stop(*m_stopSignal);
    }
}

void TerminalFrontEnd::Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) {
    if (m_quit) {
        loop.ModalStack().back()->EndDialog(IDCANCEL);
        return;
    }
    if (const auto event = NextEvent(deadline)) {
        Dispatch(*event);
    }
}

void TerminalFrontEnd::ModalStarted(CWnd& dialog) {
    m_screen.WindowStarted(dialog);
    Paint();
}

void TerminalFrontEnd::ModalEnded(CWnd& dialog) {
    m_screen.WindowEnded(dialog);
}

void TerminalFrontEnd::Changed(const CWnd& window) {
    if (m_screen.Shows(window)) {
        Paint();
    }
}

int TerminalFrontEnd::RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) {
    const Suspend suspend(*this);
    MessageBoxView view(box);
    m_screen.PushOverlay(view);
    while (!view.Answer() && !m_quit) {
        loop.DispatchDueTimers();
        if (const auto event = NextEvent(loop.NextDue())) {
            Dispatch(*event);
        }
    }
    m_screen.PopOverlay(view);
    Paint();  // the box is gone before the handler goes on
    if (view.Answer()) {
        return *view.Answer();
    }
    // Ending: Cancel where the box has it, else its last button.
    const std::vector<int> answers = box.Answers();
    return std::find(answers.begin(), answers.end(), IDCANCEL) != answers.end() ? IDCANCEL
                                                                                : answers.back();
}

std::optional<std::string> TerminalFrontEnd::RunFileDialog(MessageLoop& loop,
                                                           const FileDialogRequest& dialog) {
    const Suspend suspend(*this);
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    FileDialogView view(dialog, error ? std::filesystem::path("/") : folder);
    m_screen.PushOverlay(view);
    while (!view.Done() && !m_quit) {
        loop.DispatchDueTimers();
        if (const auto event = NextEvent(loop.NextDue())) {
            Dispatch(*event);
        }
    }
    m_screen.PopOverlay(view);
    Paint();
    return view.Done() ? view.Result() : std::nullopt;
}

void TerminalFrontEnd::Poll(bool waiting) {
    bool resized = false;
    for (const InputEvent& event : m_terminal.Poll()) {
        const bool quitKey = event.key == Key::Escape ||
                             (event.key == Key::Function && event.number == kQuitFunctionKey);
        if (event.key == Key::Terminate || (quitKey && (waiting || m_activity))) {
            // The call in flight is abandoned, and no other starts: the program ends within
            // a blocking slice, whatever the link's timeout.
            m_stopSignal = m_stopSignal.value_or(event.key == Key::Terminate ? event.number : 0);
            m_stopRequested = true;
            platform::crt::RequestStop();
        } else if (event.key == Key::Resize) {
            resized = true;
        } else if (m_activity || waiting) {
            ++m_dropped;  // typed during a wait: dropped, never replayed later
        } else {
            m_queue.push_back(event);
        }
    }
    if (resized) {
        Paint();
    }
}

void TerminalFrontEnd::Stop(int signal) {
    if (m_quit) {
        return;
    }
    m_quit = true;
    if (m_hooks.terminate) {
        m_hooks.terminate(signal);
    }
}

void TerminalFrontEnd::BeforeHostCall() {
    if (m_quit) {
        return;
    }
    Poll();
    if (m_stopSignal) {
        Stop(*m_stopSignal);
    }
}

void TerminalFrontEnd::AfterHostCall(const HostCall& call, const std::string& failure) {
    if (m_quit) {
        return;
    }
    if (m_activity) {
        Identify(*m_activity);
        m_activity->tally.Count(call, failure);
    }
    Poll();
    if (m_stopSignal) {
        Stop(*m_stopSignal);
        return;
    }
    if (m_hooks.busy) {
        m_hooks.busy(m_clock.NowMs());
    }
    PaintBusy();
}

void TerminalFrontEnd::WhileBlocked(platform::crt::Blocked what) {
    if (m_quit) {
        return;
    }
    Poll(what == platform::crt::Blocked::HostCall);
    // A pause ends at once; a host call in flight ends first (it is bounded by its timeout),
    // and the checkpoint after it stops.
    if (m_stopSignal && what == platform::crt::Blocked::Pause) {
        Stop(*m_stopSignal);
        return;
    }
    if (m_hooks.busy) {
        m_hooks.busy(m_clock.NowMs());
    }
    if (m_activity) {
        m_activity->blocked = true;
        PaintBusy();
    }
}

void TerminalFrontEnd::Identify(Activity& activity) const {
    if (activity.known) {
        return;
    }
    activity.known = true;
    const Screen::Running running = m_screen.RunningAction();
    if (const LongAction* action = Qma7Profile().FindLongAction(running.action)) {
        activity.tally.Identify(running.action, action);
    } else if (!running.action.empty()) {
        activity.tally.Identify(running.action + kOn + running.tab, nullptr);
    } else {
        activity.tally.Identify(running.tab, nullptr);
    }
}

void TerminalFrontEnd::PaintBusy() {
    if (!m_activity) {
        return;
    }
    Activity& activity = *m_activity;
    const std::int64_t elapsed = m_clock.NowMs() - activity.startMs;
    if (!activity.blocked && elapsed < kBusyAfterMs) {
        return;  // a quick handler: no busy line to flash
    }
    Identify(activity);
    const std::string text = activity.tally.BusyText(elapsed);
    if (text != m_busyText) {
        m_busyText = text;
        m_screen.SetBusy(text);
        Paint();
    }
}

std::string TerminalFrontEnd::Interrupted() const {
    const Activity* running = m_activity        ? &*m_activity
                              : m_outer.empty() ? nullptr
                                                : &m_outer.back();
    if (running == nullptr || (running->tally.Calls() == 0 && !running->blocked)) {
        return {};  // nothing of it reached the node yet
    }
    Activity activity = *running;
    Identify(activity);
    return activity.tally.StoppedText();
}

void TerminalFrontEnd::SetProblem(std::string text) {
    if (text != m_problem) {
        m_problem = text;
        m_screen.SetProblem(std::move(text));
        Paint();
    }
}

}  // namespace host::tui

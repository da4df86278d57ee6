#include "host/tui/TerminalFrontEnd.h"

#include <algorithm>

#include "host/tui/FileDialogView.h"
#include "host/tui/MessageBoxView.h"
#include "platform/crt/Clock.h"
#include "platform/ui/Wnd.h"

namespace host::tui {

TerminalFrontEnd::TerminalFrontEnd(Terminal& terminal, platform::crt::Clock& clock,
                                   StatusInfo status, const Glyphs& glyphs, Hooks hooks)
    : m_terminal(terminal),
      m_clock(clock),
      m_screen(std::move(status), glyphs),
      m_hooks(std::move(hooks)) {}

void TerminalFrontEnd::Paint() {
    if (m_grid.Width() != m_terminal.Columns() || m_grid.Height() != m_terminal.Rows()) {
        m_grid = CellGrid(m_terminal.Columns(), m_terminal.Rows());
    }
    m_screen.Render(m_grid);
    m_terminal.Show(m_grid);
}

std::optional<InputEvent> TerminalFrontEnd::NextEvent(std::optional<std::int64_t> deadline) {
    if (m_queue.empty()) {
        std::optional<std::int64_t> wakeAt = deadline;
        if (m_hooks.wake) {
            const auto wanted = m_hooks.wake(m_clock.NowMs());
            if (wanted && (!wakeAt || *wanted < *wakeAt)) {
                wakeAt = wanted;
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
        if (m_hooks.terminate) {
            m_hooks.terminate(event.number);
        }
        m_quit = true;
        return;
    }
    if (event.key == Key::Resize) {
        return;  // the next paint takes the new size
    }
    if (m_screen.TooSmall(m_grid) && event.key != Key::Escape &&
        !(event.key == Key::Function && event.number == 10)) {
        return;  // the user cannot see what a key would do
    }
    m_screen.Handle(event);
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

}  // namespace host::tui

#include "platform/ui/MessageLoop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/crt/Clock.h"
#include "platform/ui/Dialog.h"

namespace {
MessageLoop* g_current = nullptr;
}

MessageLoop::MessageLoop(FrontEnd& frontEnd, platform::crt::Clock& clock)
    : m_frontEnd(frontEnd),
      m_clock(clock),
      m_virtualClock(dynamic_cast<platform::crt::VirtualClock*>(&clock)),
      m_previous(g_current) {
    g_current = this;
}

MessageLoop::~MessageLoop() {
    g_current = m_previous;
}

MessageLoop& MessageLoop::Current() {
    if (g_current == nullptr) {
        std::fputs("qma7: no message loop is running\n", stderr);
        std::abort();
    }
    return *g_current;
}

bool MessageLoop::Exists() {
    return g_current != nullptr;
}

void MessageLoop::RunModal(CWnd& dialog) {
    m_modal.push_back(&dialog);
    m_frontEnd.ModalStarted(dialog);
    while (!dialog.IsModalEnded()) {
        DispatchDueTimers();
        if (dialog.IsModalEnded()) {
            break;
        }
        m_frontEnd.Pump(*this, NextDue());
    }
    m_frontEnd.ModalEnded(dialog);
    m_modal.pop_back();
}

void MessageLoop::SetTimer(CDialog& window, unsigned id, std::uint32_t periodMs) {
    const std::int64_t period = std::max<std::int64_t>(1, periodMs);
    const std::int64_t due = m_clock.NowMs() + period;
    for (Timer& t : m_timers) {
        if (t.window == &window && t.id == id) {
            t.period = period;
            t.due = due;
            return;
        }
    }
    m_timers.push_back({&window, id, period, due, m_nextOrder++});
}

void MessageLoop::KillTimer(CDialog& window, unsigned id) {
    std::erase_if(m_timers, [&](const Timer& t) { return t.window == &window && t.id == id; });
}

void MessageLoop::KillTimers(CDialog& window) {
    std::erase_if(m_timers, [&](const Timer& t) { return t.window == &window; });
}

std::optional<std::int64_t> MessageLoop::NextDue() const {
    std::optional<std::int64_t> next;
    for (const Timer& t : m_timers) {
        if (!next || t.due < *next) {
            next = t.due;
        }
    }
    return next;
}

MessageLoop::Timer* MessageLoop::EarliestDue(std::int64_t limit) {
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (t.due <= limit && (best == nullptr || t.due < best->due ||
                               (t.due == best->due && t.order < best->order))) {
            best = &t;
        }
    }
    return best;
}

void MessageLoop::RunTick(Timer& timer) {
    // A late tick runs once; the next one stays on the timer's grid, after the present time.
    const std::int64_t now = m_clock.NowMs();
    if (timer.due <= now) {
        timer.due += ((now - timer.due) / timer.period + 1) * timer.period;
    }
    CDialog* window = timer.window;
    const unsigned id = timer.id;
    window->OnTimer(id);  // may set or kill timers: `timer` is not used after this
}

void MessageLoop::DispatchDueTimers() {
    // Each timer due now runs once: running a tick moves its due time past now, and ticks that
    // its host calls make due later wait for the next dispatch.
    const std::int64_t now = m_clock.NowMs();
    while (Timer* next = EarliestDue(now)) {
        RunTick(*next);
    }
}

void MessageLoop::AdvanceTo(std::int64_t target) {
    if (m_virtualClock == nullptr) {
        DispatchDueTimers();
        return;
    }
    while (Timer* next = EarliestDue(target)) {
        // The clock moves to the tick's due time, unless host calls already carried it further.
        m_virtualClock->AdvanceTo(next->due);
        RunTick(*next);
    }
    m_virtualClock->AdvanceTo(target);
}

int MessageLoop::MessageBox(const MessageBoxRequest& box) {
    DispatchDueTimers();
    return m_frontEnd.RunMessageBox(*this, box);
}

std::optional<std::string> MessageLoop::FileDialog(const FileDialogRequest& dialog) {
    DispatchDueTimers();
    return m_frontEnd.RunFileDialog(*this, dialog);
}

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
    : m_frontEnd(frontEnd), m_clock(clock), m_previous(g_current) {
    g_current = this;
}

MessageLoop::~MessageLoop() { g_current = m_previous; }

MessageLoop& MessageLoop::Current() {
    if (g_current == nullptr) {
        std::fputs("qma7: no message loop is running\n", stderr);
        std::abort();
    }
    return *g_current;
}

bool MessageLoop::Exists() { return g_current != nullptr; }

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

MessageLoop::Timer* MessageLoop::EarliestDue(std::int64_t limit, std::uint64_t ranBefore) {
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (t.due > limit || t.order >= ranBefore) {
            continue;
        }
        if (best == nullptr || t.due < best->due || (t.due == best->due && t.order < best->order)) {
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
    // Each timer due now runs once; ticks its handlers make due later wait for the next round.
    const std::int64_t now = m_clock.NowMs();
    std::vector<std::pair<CDialog*, unsigned>> ran;
    for (;;) {
        Timer* next = nullptr;
        for (Timer& t : m_timers) {
            const bool done = std::find(ran.begin(), ran.end(), std::pair{t.window, t.id}) !=
                              ran.end();
            if (done || t.due > now) {
                continue;
            }
            if (next == nullptr || t.due < next->due ||
                (t.due == next->due && t.order < next->order)) {
                next = &t;
            }
        }
        if (next == nullptr) {
            return;
        }
        ran.emplace_back(next->window, next->id);
        RunTick(*next);
    }
}

void MessageLoop::AdvanceTo(std::int64_t target) {
    for (;;) {
        Timer* next = EarliestDue(target, m_nextOrder);
        if (next == nullptr) {
            break;
        }
        // The clock moves to the tick's due time, unless host calls already carried it further.
        if (auto* clock = dynamic_cast<platform::crt::VirtualClock*>(&m_clock)) {
            clock->AdvanceTo(next->due);
        }
        RunTick(*next);
    }
    if (auto* clock = dynamic_cast<platform::crt::VirtualClock*>(&m_clock)) {
        clock->AdvanceTo(target);
    }
}

int MessageLoop::MessageBox(const MessageBoxRequest& box) {
    DispatchDueTimers();
    return m_frontEnd.RunMessageBox(*this, box);
}

std::optional<std::string> MessageLoop::FileDialog(const FileDialogRequest& dialog) {
    DispatchDueTimers();
    return m_frontEnd.RunFileDialog(*this, dialog);
}

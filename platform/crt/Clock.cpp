#include "platform/crt/Clock.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <thread>
#include <utility>

namespace platform::crt {

namespace {

Clock* g_clock = nullptr;
std::function<void(Blocked)> g_blockingHook;
// Set from a signal handler too: a lock-free flag.
volatile std::sig_atomic_t g_stopRequested = 0;

std::int64_t SecondsOf(const LocalDateTime& t) {
    using namespace std::chrono;
    const sys_days days{year{t.year} / month{static_cast<unsigned>(t.month)} /
                        day{static_cast<unsigned>(t.day)}};
    return days.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

LocalDateTime FromSeconds(std::int64_t seconds) {
    using namespace std::chrono;
    std::int64_t dayCount = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --dayCount;
    }
    const year_month_day ymd{sys_days{days{dayCount}}};
    LocalDateTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

}  // namespace

std::int64_t RealClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::SleepMs(std::int64_t ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

LocalDateTime RealClock::Local() const {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void VirtualClock::SleepMs(std::int64_t ms) {
    if (ms > 0) {
        m_now += ms;
    }
}

void VirtualClock::AdvanceTo(std::int64_t t) {
    if (t > m_now) {
        m_now = t;
    }
}

LocalDateTime ScriptClock::Local() const {
    return FromSeconds(SecondsOf(m_localBase) + (NowMs() - m_localBaseMs) / 1000);
}

void ScriptClock::SetLocal(const LocalDateTime& now) {
    m_localBase = now;
    m_localBaseMs = NowMs();
}

ElapsedClock::ElapsedClock() : ScriptClock(RealClock().Local()), m_originMs(m_real.NowMs()) {}

Clock& CurrentClock() {
    static RealClock real;
    return g_clock != nullptr ? *g_clock : real;
}

void SetCurrentClock(Clock* clock) {
    g_clock = clock;
}

void SetBlockingHook(std::function<void(Blocked)> hook) {
    g_blockingHook = std::move(hook);
}

void WhileBlocked(Blocked what) {
    if (g_blockingHook) {
        g_blockingHook(what);
    }
}

void RequestStop() {
    g_stopRequested = 1;
}

bool StopRequested() {
    return g_stopRequested != 0;
}

void ClearStopRequest() {
    g_stopRequested = 0;
}

void BlockFor(std::int64_t ms, Blocked what) {
    if (!g_blockingHook) {
        CurrentClock().SleepMs(ms);
        return;
    }
    Clock& clock = CurrentClock();
    const std::int64_t end = clock.NowMs() + std::max<std::int64_t>(ms, 0);
    WhileBlocked(what);
    for (std::int64_t now = clock.NowMs(); now < end && !StopRequested(); now = clock.NowMs()) {
        clock.SleepMs(std::min(kBlockingSliceMs, end - now));
        WhileBlocked(what);
    }
}

void Sleep(std::uint32_t ms) {
    BlockFor(ms, Blocked::Pause);
}

bool ParseLocalDateTime(const char* text, LocalDateTime& out) {
    LocalDateTime t;
    char tail = 0;
    if (std::sscanf(text, "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6) {
        return false;
    }
    using namespace std::chrono;
    const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                             day{static_cast<unsigned>(t.day)}};
    if (!ymd.ok() || t.hour > 23 || t.minute > 59 || t.second > 59 || t.hour < 0 || t.minute < 0 ||
        t.second < 0) {
        return false;
    }
    out = t;
    return true;
}

}  // namespace platform::crt

#pragma once
// The one clock of the process: pauses, timers and the local date and time all go through it.
// The application runs on the real clock; tests and scripts on a virtual one, on which a pause
// takes no real time but still moves the clock by its length.

#include <cstdint>
#include <functional>

namespace platform::crt {

struct LocalDateTime {
    int year = 2026;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale.
    virtual std::int64_t NowMs() const = 0;
    // Blocks the thread for ms milliseconds.
    virtual void SleepMs(std::int64_t ms) = 0;
    virtual LocalDateTime Local() const = 0;
};

class RealClock final : public Clock {
  public:
    std::int64_t NowMs() const override;
    void SleepMs(std::int64_t ms) override;
    LocalDateTime Local() const override;
};

// A clock whose local date and time a script can set; they advance with the clock from there.
class ScriptClock : public Clock {
  public:
    LocalDateTime Local() const override;
    // The local date and time seen from now on.
    void SetLocal(const LocalDateTime& now);

  protected:
    // The clock reads 0 ms at start and the local date and time start.
    explicit ScriptClock(const LocalDateTime& start) : m_localBase(start) {}

  private:
    std::int64_t m_localBaseMs = 0;
    LocalDateTime m_localBase;
};

// Starts at 0 ms and 2026-01-01 00:00:00.
class VirtualClock final : public ScriptClock {
  public:
    VirtualClock() : ScriptClock(LocalDateTime{}) {}
    std::int64_t NowMs() const override { return m_now; }
    void SleepMs(std::int64_t ms) override;

    // Moves the clock forward to t; never backward.
    void AdvanceTo(std::int64_t t);

  private:
    std::int64_t m_now = 0;
};

// Real time, counted from the clock's creation, so that a script run against a real node reads
// its times as milliseconds since it started; the local date and time start as the machine's.
class ElapsedClock final : public ScriptClock {
  public:
    ElapsedClock();
    std::int64_t NowMs() const override { return m_real.NowMs() - m_originMs; }
    void SleepMs(std::int64_t ms) override { m_real.SleepMs(ms); }

  private:
    RealClock m_real;
    std::int64_t m_originMs;
};

// The process-wide clock; the real one unless a test or the script driver set another.
Clock& CurrentClock();
// Sets the clock used from now on (nullptr: the real clock again). Not owned.
void SetCurrentClock(Clock* clock);

// What the one thread is blocked in.
enum class Blocked { Pause, HostCall };

// While the thread blocks (a pause, or a host call that waits for a slow channel or the
// network), the host may keep its screen painted and take note of signals and resizes. The hook
// runs when such a wait begins and at least every kBlockingSliceMs until it ends. Painting only:
// it must not run a handler or a timer tick. It may end the process.
constexpr std::int64_t kBlockingSliceMs = 50;
void SetBlockingHook(std::function<void(Blocked)> hook);
// Runs the hook, if one is set; waits that do not go through BlockFor call it themselves.
void WhileBlocked(Blocked what);
// Blocks for ms milliseconds on the current clock, in slices, running the hook at each.
void BlockFor(std::int64_t ms, Blocked what);
// The user asked the program to end (Esc, F10, a signal): a wait in progress ends at its next
// slice, and no call to a node starts any more. Stays asked for until cleared (tests).
void RequestStop();
bool StopRequested();
void ClearStopRequest();

// The runtime's blocking pause in milliseconds, through the current clock.
void Sleep(std::uint32_t ms);

// Parses "YYYY-MM-DD HH:MM:SS"; false when the text is not such a date and time.
bool ParseLocalDateTime(const char* text, LocalDateTime& out);

}  // namespace platform::crt

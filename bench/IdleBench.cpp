// Idle: the sheet with every tab opened sits in its modal loop on the real clock, each tab's
// refresh timer ticking every 2 s, the front end sleeping until the next tick. The figure is the
// process's CPU time over the measured span, in percent of one core.

#include <sys/resource.h>

#include <chrono>
#include <string>

#include "bench/BenchSheet.h"
#include "bench/Benches.h"
#include "bench/Figure.h"
#include "plugin/shell/CSheet.h"

namespace bench {

namespace {

constexpr double kIdleGoalPercent = 1.0;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void IdleFigures(const Options& options) {
    BenchSheet sheet;
    bool opened = false;
    std::int64_t endMs = 0;
    double cpuStart = 0;
    double wallStart = 0;
    double cpuPercent = -1;
    int tabs = 0;
    sheet.ui.pump = [&](MessageLoop& /*loop*/, std::optional<std::int64_t> deadline) {
        if (!opened) {
            // The user opens every tab once, then leaves the sheet alone.
            tabs = sheet.Sheet().GetPageCount();
            for (int i = 0; i < tabs; ++i) {
                sheet.Sheet().SetActivePage(i);
            }
            opened = true;
            endMs = sheet.clock.NowMs() + options.idleSeconds * 1000LL;
            cpuStart = CpuSeconds();
            wallStart = WallSeconds();
            return;
        }
        if (sheet.clock.NowMs() >= endMs) {
            cpuPercent = (CpuSeconds() - cpuStart) / (WallSeconds() - wallStart) * 100.0;
            sheet.Sheet().PressButton(IDOK);
            return;
        }
        SleepUntil(deadline ? std::min(*deadline, endMs) : endMs);
    };
    sheet.RunModal();

    const std::string name = "idle_cpu_" + std::to_string(tabs) + "_tabs_in_process";
    if (cpuPercent < 0) {
        Unmeasured(name, "the sheet's loop ended early");
    } else {
        Report({name, cpuPercent, "%", kIdleGoalPercent, 3});
    }
}

}  // namespace bench

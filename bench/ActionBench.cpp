// Every action on the real clock: its wall time against the floor that the node imposes, the
// pauses it must make plus the latency of each host call. The clock counts the sleeps asked of
// it (the client site spends its latency through the same clock), so the floor is exact.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/BenchSheet.h"
#include "bench/Benches.h"
#include "bench/Figure.h"
#include "plugin/pages/NodePage.h"
#include "plugin/shell/CSheet.h"

namespace bench {

namespace {

constexpr int kLatenciesMs[] = {0, 20};
// Actions whose floor is shorter than this are run several times; the median counts.
constexpr std::int64_t kShortFloorMs = 1000;
constexpr int kShortRuns = 5;

struct Action {
    std::string tab;
    int control;
    std::string name;  // the figure's name before its latency
};

struct ButtonStep {
    int control;
    const char* suffix;  // appended to the tab's name; empty: the name is the figure's
    const char* name;
};
constexpr ButtonStep kButtons[] = {
    {IDC_READ, "read", nullptr}, {IDC_WRITE, "write", nullptr}, {427, nullptr, "export"},
    {430, nullptr, "import"},    {228, nullptr, "defaults"},
};

std::string FigureName(const std::string& caption) {
    std::string name;
    for (const char c : caption) {
        if (c >= 'A' && c <= 'Z') {
            name += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            name += c;
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    return name;
}

// The buttons of every tab that a node showing all tabs offers, from the pages' templates.
std::vector<Action> Actions() {
    BenchSheet sheet;
    sheet.Open();
    std::vector<Action> actions;
    for (int i = 0; i < sheet.Sheet().GetPageCount(); ++i) {
        const CPropertyPage* page = sheet.Sheet().GetPage(i);
        for (const ButtonStep& step : kButtons) {
            const auto& controls = page->GetTemplate().controls;
            if (std::any_of(controls.begin(), controls.end(), [&](const ControlTemplate& c) {
                    return c.id == step.control && c.kind == ControlKind::PushButton;
                })) {
                actions.push_back({page->GetCaption(), step.control,
                                   step.name != nullptr
                                       ? step.name
                                       : FigureName(page->GetCaption()) + "_" + step.suffix});
            }
        }
    }
    return actions;
}

struct Timing {
    double wallMs = 0;
    std::int64_t floorMs = 0;
    std::size_t calls = 0;
    std::string problem;
};

Timing RunOnce(const Action& action, int latencyMs, const std::string& file) {
    BenchSheet sheet;
    sheet.Open();
    Timing timing;
    if (!sheet.SelectTab(action.tab)) {
        timing.problem = "no tab " + action.tab;
        return timing;
    }
    if (CWnd* password = sheet.Page().GetDlgItem(IDC_PASSWORD);
        password != nullptr && password->IsWindowEnabled()) {
        password->SetWindowText(kPassword);
    }
    if (action.name == "export") {
        std::filesystem::remove(file);
        sheet.ui.files.push_back(file);
    } else if (action.name == "import") {
        sheet.ui.files.push_back(file);
        sheet.ui.answers.push_back(IDYES);
    }
    sheet.site.SetLatency(latencyMs);
    sheet.site.TakeCalls();
    sheet.clock.TakeSleptMs();

    const auto start = std::chrono::steady_clock::now();
    const bool clicked = sheet.Page().ClickControl(action.control);
    const auto end = std::chrono::steady_clock::now();

    timing.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    timing.floorMs = sheet.clock.TakeSleptMs();
    timing.calls = sheet.site.TakeCalls().size();
    sheet.site.SetLatency(0);
    timing.problem = !clicked ? "the button cannot be clicked" : sheet.ui.problem;
    if (timing.problem.empty() && action.name == "export" && !std::filesystem::exists(file)) {
        timing.problem = "no file was saved";
    }
    return timing;
}

}  // namespace

void ActionFigures(const Options& options) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qma7-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "node.txt").string();

    for (const Action& action : Actions()) {
        for (const int latency : kLatenciesMs) {
            const std::string name = action.name + "_L" + std::to_string(latency);
            std::vector<Timing> runs{RunOnce(action, latency, file)};
            if (!runs.front().problem.empty()) {
                Unmeasured(name, runs.front().problem);
                continue;
            }
            if (runs.front().calls == 0 && runs.front().floorMs == 0) {
                std::fprintf(stderr, "bench: %s does nothing yet\n", name.c_str());
                break;
            }
            while (!options.quick && runs.front().floorMs < kShortFloorMs &&
                   runs.size() < kShortRuns) {
                runs.push_back(RunOnce(action, latency, file));
            }
            std::sort(runs.begin(), runs.end(),
                      [](const Timing& a, const Timing& b) { return a.wallMs < b.wallMs; });
            const Timing& median = runs[runs.size() / 2];
            // Within 1 % and 2 ms of the floor.
            Report(
                {name, median.wallMs, "ms", static_cast<double>(median.floorMs) * 1.01 + 2.0, 2});
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace bench

// qma7_bench: measures the figures of bench/run and prints one line per figure,
// "FIGURE VALUE UNIT goal GOAL ok|over"; exits non-zero when a figure could not be measured.
// --smoke measures the quick figures once each, in a few seconds: a check that every one can
// still be measured, not a measurement.
//
//   qma7_bench --bin DIR [--idle-seconds N] [--quick | --smoke] [--lonnode PATH]
//              [--lonusb PEER NODE] [processes] [terminal] [actions] [idle] [lon] [usb]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Benches.h"
#include "bench/Figure.h"

int main(int argc, char** argv) {
    bench::Options options;
    std::vector<std::string> groups;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--bin" && i + 1 < argc) {
            options.binDir = argv[++i];
        } else if (arg == "--idle-seconds" && i + 1 < argc) {
            options.idleSeconds = std::atoi(argv[++i]);
        } else if (arg == "--lonnode" && i + 1 < argc) {
            options.lonnode = argv[++i];
        } else if (arg == "--lonusb" && i + 2 < argc) {
            options.lonusb = argv[++i];
            options.lonusbNode = argv[++i];
        } else if (arg == "--quick") {
            options.quick = true;
            options.startupRuns = 3;
        } else if (arg == "--smoke") {
            options.quick = true;
            options.smoke = true;
            options.startupRuns = 1;
            options.idleSeconds = 1;
        } else if (arg == "actions" || arg == "idle" || arg == "processes" || arg == "terminal" ||
                   arg == "lon" || arg == "usb" || arg == "fleet" || arg == "fleet-usb") {
            groups.push_back(arg);
        } else {
            std::fprintf(stderr,
                         "usage: qma7_bench --bin DIR [--idle-seconds N] [--quick | --smoke] "
                         "[--lonnode PATH] [--lonusb PEER NODE] [processes] [terminal] [actions] "
                         "[idle] [lon] [usb] [fleet] [fleet-usb]\n");
            return 2;
        }
    }
    if (options.binDir.empty()) {
        std::fprintf(stderr, "qma7_bench: --bin DIR names the folder of qma7\n");
        return 2;
    }
    if (groups.empty() && options.smoke) {
        groups = {"processes", "terminal", "idle"};  // the actions take minutes
    } else if (groups.empty()) {
        groups = {"processes", "terminal", "actions", "idle"};
    }
    for (const std::string& group : groups) {
        if (group == "actions") {
            bench::ActionFigures(options);
        } else if (group == "idle") {
            bench::IdleFigures(options);
        } else if (group == "lon") {
            bench::LonFigures(options);
        } else if (group == "usb") {
            bench::UsbFigures(options);
        } else if (group == "fleet") {
            bench::FleetFigures(options);
        } else if (group == "fleet-usb") {
            bench::FleetUsbFigures(options);
        } else if (group == "terminal") {
            bench::TerminalFigures(options);
        } else {
            bench::ProcessFigures(options);
        }
    }
    return bench::AllMeasured() ? 0 : 1;
}

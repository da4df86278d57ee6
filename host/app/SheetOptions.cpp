#include "host/app/SheetOptions.h"

#include <cstdlib>

#include "host/text/ShownText.h"

namespace host {

namespace {

constexpr long long kMaxLatencyMs = 60000;

}  // namespace

bool ParseSheetOptions(int argc, char** argv, SheetOptions& options, std::string& error) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                error = ShownText(arg) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (TakeLonOption(argc, argv, i, options.lon, error)) {
            if (!error.empty()) {
                return false;
            }
        } else if (arg == "--node") {
            const char* v = value();
            if (v == nullptr) {
                return false;
            }
            options.nodeImage = v;
        } else if (arg == "--fresh") {
            options.fresh = true;
        } else if (arg == "--latency") {
            const char* v = value();
            if (v == nullptr) {
                return false;
            }
            char* end = nullptr;
            const long long ms = std::strtoll(v, &end, 10);
            if (*v == '\0' || *end != '\0' || ms < 0 || ms > kMaxLatencyMs) {
                error = "--latency takes milliseconds from 0 to 60000, not " + ShownText(v);
                return false;
            }
            options.latencyMs = ms;
        } else {
            error = "unknown argument " + ShownText(arg) + " (qma7 --help lists the options)";
            return false;
        }
    }
    if (!options.lon.target && !options.lon.needsLon.empty()) {
        error = options.lon.needsLon + " needs --lon";
        return false;
    }
    if (options.lon.target && (options.nodeImage || options.fresh || options.latencyMs != 0)) {
        error = std::string(options.nodeImage ? "--node"
                            : options.fresh   ? "--fresh"
                                              : "--latency") +
                " is for the simulated node; it cannot be used with --lon";
        return false;
    }
    return true;
}

}  // namespace host

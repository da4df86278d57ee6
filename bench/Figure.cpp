#include "bench/Figure.h"

#include <cstdio>

namespace bench {

namespace {
bool g_allMeasured = true;
}

void Report(const Figure& figure) {
    std::printf("%s %.*f %s goal %.*f %s\n", figure.name.c_str(), figure.decimals, figure.value,
                figure.unit.c_str(), figure.decimals, figure.goal,
                figure.value <= figure.goal ? "ok" : "over");
    std::fflush(stdout);
}

void Unmeasured(const std::string& name, const std::string& why) {
    std::fprintf(stderr, "bench: %s could not be measured: %s\n", name.c_str(), why.c_str());
    g_allMeasured = false;
}

bool AllMeasured() {
    return g_allMeasured;
}

}  // namespace bench

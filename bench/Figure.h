#pragma once
// The figures that bench/run prints, one a line: "FIGURE VALUE UNIT goal GOAL ok|over". A
// figure that could not be measured is reported on standard error and makes the run fail.

#include <string>

namespace bench {

struct Figure {
    std::string name;
    double value;
    std::string unit;
    double goal;  // the value must not exceed it
    int decimals = 1;
};

void Report(const Figure& figure);
void Unmeasured(const std::string& name, const std::string& why);
// Whether every figure so far could be measured.
bool AllMeasured();

}  // namespace bench

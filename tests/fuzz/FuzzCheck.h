#pragma once
// A broken property is a finding: the fuzz target says which one and stops, so that libFuzzer
// keeps the input. Each target names itself once: constexpr FuzzCheck Check{"node image"};

#include <cstdio>
#include <cstdlib>

struct FuzzCheck {
    const char* target;

    void operator()(bool ok, const char* what) const {
        if (!ok) {
            std::fprintf(stderr, "%s: %s\n", target, what);
            std::abort();
        }
    }
};

#pragma once
// Whether two simulated nodes hold the same state: name, selector, every NV and every part.

#include <algorithm>

#include "host/node/SimNode.h"

inline bool SameNode(const host::SimNode& a, const host::SimNode& b) {
    if (a.Name() != b.Name() || a.Selector() != b.Selector()) {
        return false;
    }
    for (int nv = 0; nv <= host::SimNode::kSelectorNv; ++nv) {
        const auto x = a.GetNv(nv);
        const auto y = b.GetNv(nv);
        if (!x || !y || !std::ranges::equal(*x, *y)) {
            return false;
        }
    }
    for (int k = 1; k <= host::SimNode::kPartCount; ++k) {
        if (!std::ranges::equal(a.Part(k), b.Part(k))) {
            return false;
        }
    }
    return true;
}

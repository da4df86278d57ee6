#include "host/site/LongAction.h"

#include <algorithm>
#include <iterator>

namespace host {

namespace {

constexpr int kSelectorNv = 42;  // selecting a part is a step of an item, not an item

// 14 single values and 12 parts for the file; 12 parts and 14 values for the factory settings.
constexpr LongAction kLongActions[] = {
    {"Save to file", false, 26},
    {"Read from file", true, 26},
    {"Default settings", true, 26},
};

}  // namespace

bool LongAction::Counts(const HostCall& call) const {
    const HostCall::Kind kind = countsWrites ? HostCall::Kind::Write : HostCall::Kind::Read;
    return call.kind == kind && call.nv != kSelectorNv;
}

const LongAction* LongAction::Find(std::string_view caption) {
    const auto* found = std::find_if(std::begin(kLongActions), std::end(kLongActions),
                                     [&](const LongAction& a) { return caption == a.caption; });
    return found == std::end(kLongActions) ? nullptr : found;
}

}  // namespace host

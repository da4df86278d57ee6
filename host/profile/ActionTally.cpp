#include "host/profile/ActionTally.h"

#include <algorithm>

namespace host {

namespace {

constexpr char kBusy[] = "Busy: ";
constexpr char kOf[] = " of ";
constexpr char kItems[] = " items";
constexpr char kStoppedAfter[] = " stopped after ";
constexpr char kHostCalls[] = " host calls";
constexpr char kNodeRefused[] = "the node refused";

std::string Seconds(std::int64_t ms) {
    const std::int64_t tenths = std::max<std::int64_t>(ms, 0) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

std::string Values(int n) {
    return std::to_string(n) + (n == 1 ? " value" : " values");
}

}  // namespace

void ActionTally::Identify(std::string label, const LongAction* action) {
    m_label = std::move(label);
    m_action = action;
}

void ActionTally::Count(const HostCall& call, std::string_view failure) {
    const PluginProfile& profile = Qma7Profile();
    ++m_calls;
    if (m_action != nullptr && profile.CountsAsItem(*m_action, call)) {
        // Never past the total: an action may read or write an item more than once.
        m_items = std::min(m_items + 1, m_action->items);
    }
    if (call.kind == HostCall::Kind::Write && call.nv != profile.partSelectorNv) {
        ++m_writes;
        if (!call.ok && m_failedWrites++ == 0) {
            m_failure = failure.empty() ? std::string(kNodeRefused) : std::string(failure);
        }
    }
}

std::string ActionTally::BusyText(std::int64_t elapsedMs) const {
    std::string text = kBusy + m_label;
    if (m_action != nullptr) {
        text += ", " + std::to_string(m_items) + kOf + std::to_string(m_action->items) + kItems;
    }
    return text + ", " + Seconds(elapsedMs);
}

std::string ActionTally::WriteOutcome() const {
    if (m_writes == 0) {
        return {};
    }
    if (m_failedWrites == 0) {
        return Values(m_writes) + " written";
    }
    const std::string failed = m_failedWrites == m_writes
                                   ? Values(m_writes)
                                   : std::to_string(m_failedWrites) + kOf + Values(m_writes);
    return m_label + ": " + failed + " not written (" + m_failure + ")";
}

std::string ActionTally::StoppedText() const {
    if (m_action != nullptr) {
        return m_label + kStoppedAfter + std::to_string(m_items) + kOf +
               std::to_string(m_action->items) + kItems;
    }
    return m_label + kStoppedAfter + std::to_string(m_calls) + kHostCalls;
}

}  // namespace host

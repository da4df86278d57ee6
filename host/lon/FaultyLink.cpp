#include "host/lon/FaultyLink.h"

#include <algorithm>
#include <sstream>

#include "platform/crt/Clock.h"

namespace host::lon {

namespace {

bool Number(const std::string& text, long long max, long long& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoll(text);
    return value <= max;
}

}  // namespace

std::optional<Faults> ParseFaults(const std::string& text, std::string& error) {
    Faults faults;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        long long a = 0;
        long long b = 0;
        bool ok = false;
        if (key == "drop" || key == "duplicate") {
            ok = Number(value, 100, a);
            (key == "drop" ? faults.dropPercent : faults.duplicatePercent) = static_cast<int>(a);
        } else if (key == "delay") {
            const std::size_t colon = value.find(':');
            ok = colon != std::string::npos && Number(value.substr(0, colon), 100, a) &&
                 Number(value.substr(colon + 1), 60000, b);
            faults.delayPercent = static_cast<int>(a);
            faults.delayMaxMs = b;
        } else if (key == "seed") {
            ok = Number(value, 999999999, a);
            faults.seed = static_cast<unsigned>(a);
        }
        if (!ok) {
            error = "\"" + word +
                    "\" is no fault: drop=PERCENT, duplicate=PERCENT, delay=PERCENT:MS or "
                    "seed=NUMBER";
            return std::nullopt;
        }
    }
    return faults;
}

FaultyLink::FaultyLink(PacketLink& inner, platform::crt::Clock& clock, const Faults& faults)
    : m_inner(inner), m_clock(clock), m_faults(faults), m_random(faults.seed) {}

bool FaultyLink::Happens(int percent) {
    return std::uniform_int_distribution<int>(0, 99)(m_random) < percent;
}

bool FaultyLink::Send(const Packet& packet) {
    const int copies = Happens(m_faults.duplicatePercent) ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        if (!Happens(m_faults.dropPercent)) {
            m_inner.Send(packet);
        }
    }
    return true;  // what is lost is lost on the way
}

bool FaultyLink::TakeDue(Packet& packet) {
    const auto first =
        std::min_element(m_held.begin(), m_held.end(),
                         [](const Held& a, const Held& b) { return a.dueMs < b.dueMs; });
    if (first == m_held.end() || first->dueMs > m_clock.NowMs()) {
        return false;
    }
    packet = std::move(first->packet);
    m_held.erase(first);
    return true;
}

bool FaultyLink::Receive(std::int64_t waitMs, Packet& packet) {
    const std::int64_t end = m_clock.NowMs() + waitMs;
    for (;;) {
        if (TakeDue(packet)) {
            return true;
        }
        std::int64_t until = end;
        for (const Held& held : m_held) {
            until = std::min(until, held.dueMs);
        }
        const std::int64_t now = m_clock.NowMs();
        if (now >= end) {
            return false;
        }
        if (!m_inner.Receive(until - now, packet) || Happens(m_faults.dropPercent)) {
            continue;
        }
        if (Happens(m_faults.duplicatePercent)) {
            m_held.push_back({m_clock.NowMs(), packet});
        }
        if (Happens(m_faults.delayPercent)) {
            const auto delay = std::uniform_int_distribution<std::int64_t>(
                1, std::max<std::int64_t>(1, m_faults.delayMaxMs))(m_random);
            m_held.push_back({m_clock.NowMs() + delay, std::move(packet)});
            continue;
        }
        return true;
    }
}

}  // namespace host::lon

#include "host/site/CallLog.h"

#include <utility>

#include "host/site/ClientSite.h"

namespace host {

namespace {

// A record: a byte of kind, result and whether the payload repeats, then the time since the
// call before, NV and size as zigzagged varints, then (unless it repeats) the payload's length
// and the payload: the bytes, or a name's text. A refresh tick's read of an unchanged value
// takes five bytes.
constexpr std::uint8_t kKindMask = 0x03;
constexpr std::uint8_t kOkBit = 0x04;
constexpr std::uint8_t kRepeatBit = 0x08;  // the payload of the last call of this kind and NV

std::uint64_t Zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t Unzigzag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

void PutVarint(std::deque<std::uint8_t>& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

CallLog::Key KeyOf(HostCall::Kind kind, std::int32_t nv) {
    return {static_cast<int>(kind), nv};
}

}  // namespace

// Reads records from the start of the log on, from the state before the first one.
class CallLog::Reader {
  public:
    Reader(const std::deque<std::uint8_t>& bytes, State state)
        : m_it(bytes.begin()), m_state(std::move(state)) {}

    HostCall Call() {
        HostCall call;
        const std::uint8_t head = *m_it++;
        call.kind = static_cast<HostCall::Kind>(head & kKindMask);
        call.ok = (head & kOkBit) != 0;
        m_state.timeMs += Unzigzag(Varint());
        call.timeMs = m_state.timeMs;
        call.nv = static_cast<std::int32_t>(Unzigzag(Varint()));
        call.size = static_cast<std::int32_t>(Unzigzag(Varint()));
        std::string& payload = m_state.payloads[KeyOf(call.kind, call.nv)];
        if ((head & kRepeatBit) == 0) {
            const auto length = static_cast<std::ptrdiff_t>(Varint());
            payload.assign(m_it, m_it + length);
            m_it += length;
        }
        if (call.kind == HostCall::Kind::Name) {
            call.text = payload;
        } else {
            call.bytes.assign(payload.begin(), payload.end());
        }
        return call;
    }
    std::deque<std::uint8_t>::const_iterator Position() const { return m_it; }
    State& Now() { return m_state; }

  private:
    std::uint64_t Varint() {
        std::uint64_t value = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t byte = *m_it++;
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) {
                return value;
            }
        }
    }

    std::deque<std::uint8_t>::const_iterator m_it;
    State m_state;
};

void CallLog::Add(const HostCall& call) {
    if (m_limit == 0) {
        ++m_dropped;
        return;
    }
    if (m_count == m_limit) {
        DropOldest();
    }
    const std::string payload = call.kind == HostCall::Kind::Name
                                    ? call.text
                                    : std::string(call.bytes.begin(), call.bytes.end());
    auto [last, added] = m_end.payloads.try_emplace(KeyOf(call.kind, call.nv), payload);
    const bool repeat = !added && last->second == payload;
    m_bytes.push_back(static_cast<std::uint8_t>(
        static_cast<std::uint8_t>(call.kind) | (call.ok ? kOkBit : 0) | (repeat ? kRepeatBit : 0)));
    PutVarint(m_bytes, Zigzag(call.timeMs - m_end.timeMs));
    PutVarint(m_bytes, Zigzag(call.nv));
    PutVarint(m_bytes, Zigzag(call.size));
    if (!repeat) {
        PutVarint(m_bytes, payload.size());
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
        last->second = payload;
    }
    m_end.timeMs = call.timeMs;
    ++m_count;
}

void CallLog::DropOldest() {
    Reader reader(m_bytes, std::move(m_start));
    reader.Call();
    m_start = std::move(reader.Now());
    m_bytes.erase(m_bytes.cbegin(), reader.Position());
    --m_count;
    ++m_dropped;
}

void CallLog::Take(const std::function<void(const HostCall&)>& each) {
    const std::deque<std::uint8_t> bytes = std::exchange(m_bytes, {});
    const std::size_t count = std::exchange(m_count, 0);
    Reader reader(bytes, std::exchange(m_start, m_end));
    for (std::size_t i = 0; i < count; ++i) {
        each(reader.Call());
    }
}

std::size_t CallLog::TakeDropped() {
    return std::exchange(m_dropped, 0);
}

}  // namespace host

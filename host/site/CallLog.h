#pragma once
// The host calls that `trace` prints, in a few bytes each and bounded: past the limit the
// oldest calls are dropped and counted, so that a long run (days of virtual time of refresh
// ticks) keeps its memory in check while the log's format stays what it is.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace host {

struct HostCall;  // ClientSite.h

class CallLog {
  public:
    // Far above any real script: a few MB.
    static constexpr std::size_t kDefaultLimit = 1'000'000;

    explicit CallLog(std::size_t limit = kDefaultLimit) : m_limit(limit) {}

    void Add(const HostCall& call);
    // Hands each call kept to each, oldest first, and forgets them.
    void Take(const std::function<void(const HostCall&)>& each);
    std::size_t Size() const { return m_count; }
    // How many calls were dropped since the last TakeDropped.
    std::size_t TakeDropped();

    using Key = std::pair<int, std::int32_t>;  // a call's kind and NV

  private:
    class Reader;
    // What a record is read against: the time and payloads of the calls before it.
    struct State {
        std::int64_t timeMs = 0;
        std::map<Key, std::string> payloads;
    };

    void DropOldest();

    std::size_t m_limit;
    std::deque<std::uint8_t> m_bytes;  // the calls, one record after the other
    std::size_t m_count = 0;
    std::size_t m_dropped = 0;
    State m_start;  // before the first record kept
    State m_end;    // after the last one
};

}  // namespace host

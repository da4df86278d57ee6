#include "host/site/CallLog.h"

#include <gtest/gtest.h>

#include "host/site/ClientSite.h"

using host::CallLog;
using host::HostCall;

namespace {

std::vector<std::string> Lines(CallLog& log) {
    std::vector<std::string> lines;
    log.Take([&](const HostCall& call) { lines.push_back(host::FormatHostCall(call)); });
    return lines;
}

HostCall Read(std::int64_t timeMs, std::int32_t nv, std::vector<std::uint8_t> bytes) {
    return {HostCall::Kind::Read, timeMs, nv, 31, true, std::move(bytes), {}};
}

}  // namespace

TEST(CallLog, KeepsEveryFieldAndDropsTheOldestPastItsBound) {
    CallLog log(3);
    log.Add(Read(0, 1, {0x12, 0x34}));
    log.Add({HostCall::Kind::Write,
             172800000000,
             -5,
             -1,
             false,
             std::vector<std::uint8_t>(300, 0xAB),
             {}});
    log.Add({HostCall::Kind::Name, 7, 0, 20, true, {}, "R\xC3\xA4um 1"});
    EXPECT_EQ(log.TakeDropped(), 0u);
    const std::vector<std::string> kept = Lines(log);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0], "0 read 1 31 ok 1234");
    std::string written;
    for (int i = 0; i < 300; ++i) {
        written += "AB";
    }
    EXPECT_EQ(kept[1], "172800000000 write -5 -1 fail " + written);
    EXPECT_EQ(kept[2], "7 name 20 ok \"R\\xC3\\xA4um 1\"");
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_TRUE(Lines(log).empty());

    for (int i = 0; i < 5; ++i) {
        log.Add(Read(i, i, {}));
        log.Add({HostCall::Kind::Read, i, i, 2, false, {}, {}});
    }
    EXPECT_EQ(log.Size(), 3u);
    EXPECT_EQ(log.TakeDropped(), 7u);
    EXPECT_EQ(log.TakeDropped(), 0u);
    EXPECT_EQ(Lines(log),
              (std::vector<std::string>{"3 read 3 2 fail", "4 read 4 31 ok -", "4 read 4 2 fail"}));

    // Repeated values are kept once; the calls still read back whole after the first is dropped.
    CallLog repeats(2);
    for (const auto& [time, value] : {std::pair{10, 1}, {20, 1}, {30, 2}, {40, 1}, {50, 1}}) {
        repeats.Add(Read(time, 7, {static_cast<std::uint8_t>(value)}));
    }
    EXPECT_EQ(Lines(repeats),
              (std::vector<std::string>{"40 read 7 31 ok 01", "50 read 7 31 ok 01"}));
    repeats.Add(Read(60, 7, {1}));
    EXPECT_EQ(Lines(repeats), std::vector<std::string>{"60 read 7 31 ok 01"});
}

#include "host/node/LiveModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host/node/FactoryNode.h"

namespace {

using host::FactoryNode;
using host::LiveModel;
using host::SimNode;
using Bytes = std::vector<std::uint8_t>;

int Word(const SimNode& node, int nv, std::size_t offset = 0) {
    const auto value = *node.GetNv(nv);
    return value[offset] << 8 | value[offset + 1];
}

void SetBytes(SimNode& node, int nv, std::size_t offset, const Bytes& bytes) {
    Bytes value(node.GetNv(nv)->begin(), node.GetNv(nv)->end());
    std::copy(bytes.begin(), bytes.end(), value.begin() + static_cast<std::ptrdiff_t>(offset));
    std::string error;
    ASSERT_TRUE(node.SetNv(nv, value, error)) << error;
}

void SetWord(SimNode& node, int nv, std::size_t offset, int value) {
    SetBytes(node, nv, offset,
             {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

// Output words of NV 25 / NV 26: Md4, Mv2, Mv3, Mv4, Mc1, Mp2.
enum Output { kMd4, kMv2, kMv3, kMv4, kMc1, kMp2 };
void SetMode(SimNode& node, Output output, int mode) {
    SetWord(node, 25, 1 + 2 * static_cast<std::size_t>(output), mode);
}

// The node's whole state, or the part of it the model must leave alone.
Bytes Snapshot(const SimNode& node, bool settingsOnly = false) {
    static const std::set<int> live = {6,  7,  8,  9,  15, 16, 17, 18, 19, 21,
                                       28, 30, 31, 32, 33, 36, 38, 39, 40, 41};
    Bytes all(node.Name().begin(), node.Name().end());
    for (int nv = 0; nv <= 42; ++nv) {
        if (!settingsOnly || !live.contains(nv)) {
            Bytes value(node.GetNv(nv)->begin(), node.GetNv(nv)->end());
            if (settingsOnly && nv == 0) {
                value.resize(27);  // bytes 27-28 are the ventilation hours
            }
            all.insert(all.end(), value.begin(), value.end());
        }
    }
    for (int k = 1; k <= 12; ++k) {
        all.insert(all.end(), node.Part(k).begin(), node.Part(k).end());
    }
    return all;
}

// Runs the model second by second from now for the given seconds.
void RunFor(LiveModel& model, std::int64_t& now, int seconds) {
    for (int i = 0; i < seconds; ++i) {
        model.AdvanceTo(now += 1000);
    }
}

}  // namespace

TEST(LiveModel, SameSeedAndClockGiveTheSameNode) {
    SimNode a = FactoryNode::Make();
    SimNode b = FactoryNode::Make();
    SimNode c = FactoryNode::Make();
    LiveModel ma(a, 7);
    LiveModel mb(b, 7);
    LiveModel mc(c, 8);
    for (LiveModel* m : {&ma, &mb, &mc}) {
        m->AdvanceTo(5000);
    }
    EXPECT_EQ(Snapshot(a), Snapshot(FactoryNode::Make()));  // the first call only starts

    // Wake-ups every second, every 370 ms and once at the end step the same whole seconds.
    const std::int64_t end = 5000 + 3600 * 1000 + 999;
    for (std::int64_t t = 5000; t <= end; t += 1000) {
        ma.AdvanceTo(t);
    }
    for (std::int64_t t = 5000; t <= end; t += 370) {
        mb.AdvanceTo(t);
    }
    mb.AdvanceTo(end);
    SimNode d = FactoryNode::Make();
    LiveModel md(d, 7);
    md.AdvanceTo(5000);
    md.AdvanceTo(end);
    mc.AdvanceTo(end);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    EXPECT_EQ(Snapshot(a), Snapshot(d));
    EXPECT_NE(Snapshot(a), Snapshot(c));

    // A clock that goes back restarts from there instead of jumping.
    const Bytes before = Snapshot(a);
    ma.AdvanceTo(1000);
    EXPECT_EQ(Snapshot(a), before);
}

TEST(LiveModel, OutputsFollowTheirModes) {
    SimNode node = FactoryNode::Make();
    SetMode(node, kMd4, 0);
    SetMode(node, kMv2, 1);
    SetWord(node, 26, 3, 100);  // Mv2 manual 50 %
    SetMode(node, kMc1, 0);
    SetMode(node, kMp2, 1);
    LiveModel model(node);
    std::int64_t now = 0;
    model.AdvanceTo(now);
    RunFor(model, now, 1);
    EXPECT_EQ(Word(node, 32), 6800);  // Md4 35 % closing by 1 % a second
    EXPECT_EQ(Word(node, 33), 5200);  // Mv2 25 % opening toward 50 %
    RunFor(model, now, 119);
    EXPECT_EQ(Word(node, 32), 0);
    EXPECT_EQ(Word(node, 33), 10000);
    EXPECT_EQ(Word(node, 36), 2000);  // Mv4 Automatic: idle reheat 10 %
    EXPECT_EQ(node.GetNv(30)->front(), 0);
    EXPECT_EQ(node.GetNv(31)->front(), 1);

    // Mc1 Automatic starts after the 5-minute delay that NV 28 counts down in tenths.
    SetMode(node, kMc1, 2);
    RunFor(model, now, 1);
    EXPECT_EQ(Word(node, 28), 3000);
    RunFor(model, now, 299);
    EXPECT_EQ(Word(node, 28), 10);
    EXPECT_EQ(node.GetNv(30)->front(), 0);
    RunFor(model, now, 1);
    EXPECT_EQ(Word(node, 28), 0);
    EXPECT_EQ(node.GetNv(30)->front(), 1);

    // Without cooling, Automatic closes Mv2 (Mc1 stops) and keeps Md4 at the minimum fresh air.
    SetBytes(node, 0, 22, {0x04});
    SetMode(node, kMd4, 2);
    SetMode(node, kMv2, 2);
    RunFor(model, now, 100);
    EXPECT_EQ(Word(node, 21), 0);
    EXPECT_EQ(Word(node, 33), 0);
    EXPECT_EQ(node.GetNv(30)->front(), 0);
    EXPECT_EQ(Word(node, 32), Word(node, 20));
}

TEST(LiveModel, CountersCountWhileRunningAndAfterAReset) {
    SimNode node = FactoryNode::Make();
    SetMode(node, kMc1, 1);
    SetMode(node, kMp2, 0);
    LiveModel model(node, LiveModel::kDefaultSeed, 60.0);  // a minute counts as an hour
    std::int64_t now = 0;
    model.AdvanceTo(now);
    RunFor(model, now, 59);
    EXPECT_EQ(Word(node, 38), 3000);
    RunFor(model, now, 1);
    EXPECT_EQ(Word(node, 0, 27), 1235);  // ventilation always runs
    EXPECT_EQ(Word(node, 38), 3001);     // Mc1
    RunFor(model, now, 30);
    ASSERT_TRUE(node.Write(29, Bytes{0x00, 0x03}));  // the host resets Mc1's counter
    EXPECT_EQ(Word(node, 38), 0);
    RunFor(model, now, 59);
    EXPECT_EQ(Word(node, 38), 0);  // the half hour before the reset is gone
    RunFor(model, now, 1);
    EXPECT_EQ(Word(node, 38), 1);
    EXPECT_EQ(Word(node, 39), 500);   // no dehumidifying
    EXPECT_EQ(Word(node, 40), 800);   // humidifier closed
    EXPECT_EQ(Word(node, 41), 4000);  // Mp2 off
}

TEST(LiveModel, LongRunStaysInBoundsAndLeavesSettingsAlone) {
    SimNode node = FactoryNode::Make();
    Bytes part1(node.Part(1).begin(), node.Part(1).end());
    part1[10] |= 0x01;  // humidity control in use
    std::string error;
    ASSERT_TRUE(node.SetPart(1, part1, error));
    SetWord(node, 3, 0, 11000);  // humidify below 55 % up to 57 %
    SetWord(node, 4, 0, 400);
    SetWord(node, 8, 0, 0);        // Bh3 absent
    SetWord(node, 18, 0, 0x8000);  // intake wet bulb absent
    node.SetSelector(5);
    const Bytes settings = Snapshot(node, true);
    LiveModel model(node, 3);
    std::int64_t now = 0;
    model.AdvanceTo(now);
    int lowest = 20000;
    int highest = 0;
    std::set<int> states;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        RunFor(model, now, 60);
        for (const int nv : {6, 7}) {
            ASSERT_GE(Word(node, nv), 7000) << minute;
            ASSERT_LE(Word(node, nv), 12000) << minute;
        }
        lowest = std::min(lowest, Word(node, 6));
        highest = std::max(highest, Word(node, 6));
        for (const auto& [nv, factory] : {std::pair{15, 2150}, {16, 1800}, {17, 1520}}) {
            ASSERT_LE(std::abs(Word(node, nv) - factory), 150) << minute;
        }
        for (const int nv : {21, 32, 33, 36}) {
            ASSERT_LE(Word(node, nv), 20000) << minute;
        }
        states.insert(Word(node, 9));
    }
    EXPECT_GT(highest - lowest, 400);          // Bh1 did wander
    EXPECT_EQ(states, (std::set<int>{0, 1}));  // humidified, and reached its setpoint
    EXPECT_EQ(Snapshot(node, true), settings);
    EXPECT_EQ(Word(node, 8), 0);
    EXPECT_EQ(Word(node, 18), 0x8000);
}

TEST(LiveModel, HumidityControlAndAlarms) {
    SimNode node = FactoryNode::Make();
    Bytes part1(node.Part(1).begin(), node.Part(1).end());
    part1[10] |= 0x01;
    std::string error;
    ASSERT_TRUE(node.SetPart(1, part1, error));
    SetWord(node, 1, 0, 6000);  // dehumidify above 30 %
    SetWord(node, 5, 0, 6000);  // max injection humidity 30 %
    SetBytes(node, 19, 0, {0x81, 0xAB});
    LiveModel model(node);
    std::int64_t now = 0;
    model.AdvanceTo(now);
    RunFor(model, now, 120);
    EXPECT_EQ(Word(node, 9), 2);
    EXPECT_EQ(Word(node, 21), 12000);  // dehumidifying asks 60 % cooling
    EXPECT_EQ(Word(node, 36), 8000);   // and 40 % reheat, so Mp2 runs
    EXPECT_EQ(node.GetNv(31)->front(), 1);
    EXPECT_EQ(Word(node, 19), 0x85AB);  // max humidity; bits not the model's stay

    SetMode(node, kMc1, 1);
    SetMode(node, kMv2, 0);
    SetMode(node, kMp2, 1);
    SetMode(node, kMv4, 0);
    SetMode(node, kMv3, 1);
    SetWord(node, 7, 0, 0);  // Bh2 absent while the humidifier is open
    RunFor(model, now, 100);
    EXPECT_EQ(node.GetNv(19)->front(), 0x81 | 0x10 | 0x20 | 0x08);
    EXPECT_EQ(Word(node, 9), 0);  // no control without Bh2

    SetMode(node, kMc1, 0);
    SetMode(node, kMp2, 0);
    SetMode(node, kMv3, 0);
    RunFor(model, now, 60);
    EXPECT_EQ(node.GetNv(19)->front(), 0x81);
}

#pragma once
// The live behaviour of the simulated node for the interactive front end, so that a technician
// sees a node that works: readings drift, outputs follow their mode, cooling starts after its
// delay, running hours count and alarm bits follow their conditions. Scripts never use it, so
// their runs stay exact.
//
// The model changes only live values (readings, outputs, states, counters, alarm bits); it reads
// settings, modes and manual values from the node at every step, so whatever the host writes
// takes effect at once and is never overwritten. It runs on a grid of whole seconds counted from
// the first call: the same seed and the same clock give the same node, however the wake-ups fall.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "host/node/SimNode.h"

namespace host {

class LiveModel {
  public:
    static constexpr std::uint32_t kDefaultSeed = 0x0A7C0DE7;

    // counterSpeed: hours added to a running-hours counter per hour of running (1 = real
    // time); a larger value lets a demonstration show the counters move.
    explicit LiveModel(SimNode& node, std::uint32_t seed = kDefaultSeed, double counterSpeed = 1.0);

    // Brings the node's live values up to nowMs of the caller's clock. The first call only takes
    // the start time and the readings' reference values; a clock that goes back restarts there.
    void AdvanceTo(std::int64_t nowMs);

  private:
    // A running-hours counter: a word of an NV and the running time not yet a whole hour.
    struct Counter {
        int nv;
        std::size_t offset;
        std::uint16_t seen = 0;  // the value last seen, to notice a reset by the host
        std::int64_t ms = 0;
    };
    static constexpr std::size_t kCounterCount = 5;

    void Start();
    void Step();
    void DriftReadings();
    int HumidityState();
    int CoolingDemand(int humidityState);
    int DriveOutput(int output, int present, int automaticTarget);
    bool RunCompressor(int mv2);
    bool RunPump(int mv4);
    void SetAlarms(bool mc1, int mv2, bool mp2, int mv4);
    void Count(std::size_t counter, bool running, std::int64_t steps);

    double Noise(double amplitude);
    int Mode(int output) const;
    int Word(int nv, std::size_t offset = 0) const;
    std::uint8_t Byte(int nv, std::size_t offset) const;
    void PutWord(int nv, std::size_t offset, int value);
    void PutByte(int nv, std::size_t offset, std::uint8_t value);
    void Put(int nv, std::size_t offset, std::span<const std::uint8_t> bytes);

    SimNode& m_node;
    std::uint32_t m_random;
    std::int64_t m_msPerStep;              // running time credited to a counter per step
    std::optional<std::int64_t> m_stepMs;  // clock time of the last whole step
    std::array<int, 3> m_humidityCentre{};
    std::array<int, 4> m_temperatureCentre{};
    int m_mv3 = 0;                            // the humidifier valve has no output NV of its own
    std::optional<std::int64_t> m_delayLeft;  // cooling start delay, tenths of a second
    std::array<Counter, kCounterCount> m_counters;
    std::array<bool, kCounterCount> m_running{};
};

}  // namespace host

#include "host/node/LiveModel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace host {

namespace {

// --- Network variables the model reads (settings) and writes (live values) ---
constexpr int kEquipmentNv = 0;  // byte 22: enable bits; bytes 27-28: ventilation hours
constexpr std::size_t kEnableByte = 22;
constexpr std::uint8_t kRecirculationEnabled = 0x04;
constexpr std::uint8_t kCoolingEnabled = 0x08;
constexpr int kSetptDehumidiNv = 1;
constexpr int kSetptHumidiNv = 3;
constexpr int kDbHumidityNv = 4;
constexpr int kMaxHumidityNv = 5;
constexpr std::array<int, 3> kHumidityNvs = {6, 7, 8};  // Bh1 exhaust, Bh2 injection, Bh3 intake
constexpr std::size_t kBh1 = 0;
constexpr std::size_t kBh2 = 1;
constexpr int kHumidityStateNv = 9;
constexpr int kSecondaryHeatNv = 12;  // byte 0 non-zero: secondary heat enabled
constexpr int kMaxCoolNv = 14;
// Bw3 forward, Bw4 return, wet bulb exhaust, wet bulb intake
constexpr std::array<int, 4> kTemperatureNvs = {15, 16, 17, 18};
constexpr std::size_t kReturn = 1;
constexpr int kAlarmNv = 19;
constexpr int kOAMinPosNv = 20;
constexpr int kCoolingOutputNv = 21;
constexpr int kStartCoolNv = 23;
constexpr int kStopCoolNv = 24;
constexpr int kModeNv = 25;    // nciOffManAuto3: one status word per output
constexpr int kManualNv = 26;  // nciManValue3: one manual value per output, 0.5 % steps
constexpr int kDelayCoolOnNv = 27;
constexpr int kDelayNv = 28;
constexpr int kMc1StateNv = 30;
constexpr int kMp2StateNv = 31;
constexpr int kMd4OutputNv = 32;
constexpr int kMv2OutputNv = 33;
constexpr int kMv4OutputNv = 36;
constexpr int kSettingsPart = 1;
constexpr std::size_t kHumidityControlByte = 10;
constexpr std::uint8_t kHumidityControlInUse = 0x01;

// Outputs in the order of their words in NV 25 and NV 26 (bytes 1-2, 3-4, ...).
constexpr int kMd4 = 0;
constexpr int kMv2 = 1;
constexpr int kMv3 = 2;
constexpr int kMv4 = 3;
constexpr int kMc1 = 4;
constexpr int kMp2 = 5;
constexpr int kOff = 0;
constexpr int kManual = 1;
constexpr int kAutomatic = 2;

// Humidity-control states in NV 9.
constexpr int kIdle = 0;
constexpr int kHumidifying = 1;
constexpr int kDehumidifying = 2;

// Alarm bits of NV 19 byte 0.
constexpr std::uint8_t kMaxHumidityAlarm = 0x04;
constexpr std::uint8_t kHumidifierFault = 0x08;
constexpr std::uint8_t kRefrigeratingAlarm = 0x10;
constexpr std::uint8_t kPumpThermoFault = 0x20;
constexpr std::uint8_t kModelAlarms =
    kMaxHumidityAlarm | kHumidifierFault | kRefrigeratingAlarm | kPumpThermoFault;

// --- Encodings ---
constexpr int kPercent = 200;  // percentages in 0.005 % steps
constexpr int kFull = 100 * kPercent;
constexpr int kHalfPercentSteps = kPercent / 2;     // a manual value step of 0.5 %
constexpr int kTempMax = 10000;                     // hundredths of a degree; above reads negative
constexpr int kAbsentTemperature = -20000;          // below: no sensor
constexpr int kHumidityAbsentLow = 5 * kPercent;    // at or below: no sensor
constexpr int kHumidityAbsentHigh = 90 * kPercent;  // above: no sensor

// --- Behaviour ---
constexpr std::int64_t kStepMs = 1000;
constexpr std::int64_t kMaxStepsPerCall = 3600;  // beyond, only the counters catch up
constexpr std::int64_t kMsPerHour = 3600 * 1000;
constexpr int kTenthsPerStep = 10;
constexpr int kTenthsPerMinute = 600;
// Humidity wanders inside 35-60 %, around a centre kept in 40-55 %.
constexpr int kHumidityLow = 35 * kPercent;
constexpr int kHumidityHigh = 60 * kPercent;
constexpr int kCentreLow = 40 * kPercent;
constexpr int kCentreHigh = 55 * kPercent;
constexpr double kHumidityNoise = 40;  // per step, 0.005 % steps
constexpr double kHumidityPull = 1.0 / 900;
constexpr int kHumidifierGain = 20;  // centre shift per % of humidifier output
constexpr int kDryingGain = 20;      // centre shift per % of cooling while dehumidifying
// Temperatures wander within 1.5 degrees of where they started.
constexpr int kTemperatureBand = 150;
constexpr double kTemperatureNoise = 2.5;  // per step, hundredths of a degree
constexpr double kTemperaturePull = 1.0 / 900;
// Cooling asks 25 % per degree of return temperature above 17.00.
constexpr int kReturnSetpoint = 1700;
constexpr int kCoolingPerHundredth = 25 * kPercent / 100;
constexpr int kDehumidifyCooling = 60 * kPercent;
constexpr int kHumidifierPerStep = 20;  // humidifier output per 0.005 % below setpoint + band
constexpr int kIdleReheat = 10 * kPercent;
constexpr int kDehumidifyReheat = 40 * kPercent;
constexpr int kPumpStart = 20 * kPercent;
constexpr int kPumpStop = 15 * kPercent;
constexpr int kClosed = 1 * kPercent;     // a valve below this counts as closed
constexpr int kValveRate = 1 * kPercent;  // per step: a full stroke takes 100 s

int Signed(int word) {
    return word > kTempMax ? word - 65536 : word;
}

bool HumidityPresent(int value) {
    return value > kHumidityAbsentLow && value <= kHumidityAbsentHigh;
}

// A value that wanders around centre and stays in lo..hi; one found outside is drawn back in.
// The noise also rounds the pull toward the centre, so that a pull of a fraction of a step
// still acts on average.
int Wander(int value, int centre, int lo, int hi, double pull, double noise) {
    const int step = static_cast<int>(std::lround((centre - value) * pull + noise));
    return std::clamp(value + step, std::min(lo, value), std::max(hi, value));
}

int MoveToward(int present, int target) {
    return present + std::clamp(target - present, -kValveRate, kValveRate);
}

}  // namespace

LiveModel::LiveModel(SimNode& node, std::uint32_t seed, double counterSpeed)
    : m_node(node),
      m_random(seed * 0x9E3779B9u ^ 0x5DEECE66u),
      m_counters{{{kEquipmentNv, 27}, {38, 0}, {39, 0}, {40, 0}, {41, 0}}} {
    if (!(counterSpeed >= 0)) {
        throw std::invalid_argument("live model: counter speed must not be negative");
    }
    if (m_random == 0) {
        m_random = 1;  // xorshift never leaves zero
    }
    m_msPerStep = std::llround(static_cast<double>(kStepMs) * counterSpeed);
}

void LiveModel::AdvanceTo(std::int64_t nowMs) {
    if (!m_stepMs || nowMs < *m_stepMs) {
        if (!m_stepMs) {
            Start();
        }
        m_stepMs = nowMs;
        return;
    }
    const std::int64_t steps = (nowMs - *m_stepMs) / kStepMs;
    *m_stepMs += steps * kStepMs;
    for (std::int64_t i = 0; i < std::min(steps, kMaxStepsPerCall); ++i) {
        Step();
    }
    // After a long sleep only the counters catch up, with the equipment as it runs now.
    if (steps > kMaxStepsPerCall) {
        for (std::size_t c = 0; c < kCounterCount; ++c) {
            Count(c, m_running[c], steps - kMaxStepsPerCall);
        }
    }
}

void LiveModel::Start() {
    for (std::size_t i = 0; i < kHumidityNvs.size(); ++i) {
        m_humidityCentre[i] = std::clamp(Word(kHumidityNvs[i]), kCentreLow, kCentreHigh);
    }
    for (std::size_t i = 0; i < kTemperatureNvs.size(); ++i) {
        m_temperatureCentre[i] = Signed(Word(kTemperatureNvs[i]));
    }
    for (Counter& counter : m_counters) {
        counter.seen = static_cast<std::uint16_t>(Word(counter.nv, counter.offset));
    }
    m_mv3 = 0;
    m_delayLeft.reset();
}

void LiveModel::Step() {
    DriftReadings();
    const int state = HumidityState();
    const int cooling = CoolingDemand(state);
    PutWord(kCoolingOutputNv, 0, cooling);

    // Automatic control runs only the functions the configuration enables: the damper keeps
    // at least the minimum fresh air and opens further for free cooling; Mv2 follows the
    // cooling output; the humidifier closes the gap to setpoint + dead band; the secondary heat
    // idles low and reheats while dehumidifying.
    const bool recirculation = (Byte(kEquipmentNv, kEnableByte) & kRecirculationEnabled) != 0;
    const int minFresh = std::min(Word(kOAMinPosNv), kFull);
    const int damper = recirculation ? minFresh + (kFull - minFresh) * cooling / kFull : 0;
    PutWord(kMd4OutputNv, 0, DriveOutput(kMd4, Word(kMd4OutputNv), damper));

    const int mv2 = DriveOutput(kMv2, Word(kMv2OutputNv), cooling);
    PutWord(kMv2OutputNv, 0, mv2);

    int humidify = 0;
    if (state == kHumidifying) {
        const int stop = Word(kSetptHumidiNv) + Word(kDbHumidityNv);
        humidify = std::clamp((stop - Word(kHumidityNvs[kBh2])) * kHumidifierPerStep, 0, kFull);
    }
    m_mv3 = DriveOutput(kMv3, m_mv3, humidify);

    const bool reheat = Byte(kSecondaryHeatNv, 0) != 0;
    const int heat = !reheat ? 0 : state == kDehumidifying ? kDehumidifyReheat : kIdleReheat;
    const int mv4 = DriveOutput(kMv4, Word(kMv4OutputNv), heat);
    PutWord(kMv4OutputNv, 0, mv4);

    const bool mc1 = RunCompressor(mv2);
    const bool mp2 = RunPump(mv4);
    SetAlarms(mc1, mv2, mp2, mv4);

    m_running = {true, mc1, state == kDehumidifying, m_mv3 > 0, mp2};
    for (std::size_t c = 0; c < kCounterCount; ++c) {
        Count(c, m_running[c], 1);
    }
}

void LiveModel::DriftReadings() {
    // The humidifier wets the injection air and cooling while dehumidifying dries it; the
    // exhaust air follows by half.
    int effect = m_mv3 * kHumidifierGain / kPercent;
    if (Word(kHumidityStateNv) == kDehumidifying) {
        effect -= Word(kMv2OutputNv) * kDryingGain / kPercent;
    }
    const std::array<int, 3> shift = {effect / 2, effect, 0};
    for (std::size_t i = 0; i < kHumidityNvs.size(); ++i) {
        const double noise = Noise(kHumidityNoise);  // drawn for absent sensors too: same sequence
        const int value = Word(kHumidityNvs[i]);
        if (HumidityPresent(value)) {
            const int centre =
                std::clamp(m_humidityCentre[i] + shift[i], kHumidityLow, kHumidityHigh);
            PutWord(kHumidityNvs[i], 0,
                    Wander(value, centre, kHumidityLow, kHumidityHigh, kHumidityPull, noise));
        }
    }
    for (std::size_t i = 0; i < kTemperatureNvs.size(); ++i) {
        const double noise = Noise(kTemperatureNoise);
        const int value = Signed(Word(kTemperatureNvs[i]));
        const int centre = m_temperatureCentre[i];
        if (value >= kAbsentTemperature && centre >= kAbsentTemperature) {
            const int lo = centre - kTemperatureBand;
            const int hi = std::min(centre + kTemperatureBand, kTempMax);
            PutWord(kTemperatureNvs[i], 0, Wander(value, centre, lo, hi, kTemperaturePull, noise));
        }
    }
}

// Humidifies while Bh2 is below its setpoint until it reaches setpoint + dead band;
// dehumidifies while Bh1 is above its setpoint until it falls to setpoint - dead band.
int LiveModel::HumidityState() {
    const int bh1 = Word(kHumidityNvs[kBh1]);
    const int bh2 = Word(kHumidityNvs[kBh2]);
    const bool inUse =
        (m_node.Part(kSettingsPart)[kHumidityControlByte] & kHumidityControlInUse) != 0;
    int state = kIdle;
    if (inUse && HumidityPresent(bh1) && HumidityPresent(bh2)) {
        const int band = Word(kDbHumidityNv);
        const int dehumidi = Word(kSetptDehumidiNv);
        const int humidi = Word(kSetptHumidiNv);
        state = Word(kHumidityStateNv);
        if ((state == kDehumidifying && bh1 <= dehumidi - band) ||
            (state == kHumidifying && bh2 >= humidi + band) ||
            (state != kDehumidifying && state != kHumidifying)) {
            state = bh1 > dehumidi ? kDehumidifying : bh2 < humidi ? kHumidifying : kIdle;
        }
    }
    PutWord(kHumidityStateNv, 0, state);
    return state;
}

int LiveModel::CoolingDemand(int humidityState) {
    if ((Byte(kEquipmentNv, kEnableByte) & kCoolingEnabled) == 0) {
        return 0;
    }
    const int ret = Signed(Word(kTemperatureNvs[kReturn]));
    int demand = 0;
    if (ret >= kAbsentTemperature) {
        demand = std::clamp((ret - kReturnSetpoint) * kCoolingPerHundredth, 0, kFull);
    }
    if (humidityState == kDehumidifying) {
        demand = std::max(demand, kDehumidifyCooling);
    }
    return std::min(demand, Word(kMaxCoolNv));
}

// The output's next present value: Off closes it, Manual goes to the manual value, Automatic
// to the control's target, an unknown mode leaves it where it is; it moves gradually.
int LiveModel::DriveOutput(int output, int present, int automaticTarget) {
    switch (Mode(output)) {
        case kOff:
            return MoveToward(present, 0);
        case kManual: {
            const int manual = Word(kManualNv, static_cast<std::size_t>(1 + 2 * output));
            return MoveToward(present, std::min(manual * kHalfPercentSteps, kFull));
        }
        case kAutomatic:
            return MoveToward(present, automaticTarget);
        default:
            return present;
    }
}

// Mc1 runs in Manual; in Automatic it starts when Mv2 has been open at least the start opening
// for the whole start delay (NV 28 shows what is left) and stops below the stop opening.
bool LiveModel::RunCompressor(int mv2) {
    const bool on = Byte(kMc1StateNv, 0) != 0;
    bool run = on;
    std::optional<std::int64_t> left;
    switch (Mode(kMc1)) {
        case kOff:
            run = false;
            break;
        case kManual:
            run = true;
            break;
        case kAutomatic:
            if (on) {
                run = mv2 >= Word(kStopCoolNv);
            } else if (mv2 >= Word(kStartCoolNv)) {
                left = m_delayLeft ? std::max<std::int64_t>(*m_delayLeft - kTenthsPerStep, 0)
                                   : std::int64_t{Word(kDelayCoolOnNv)} * kTenthsPerMinute;
                run = *left == 0;
            }
            break;
        default:
            break;
    }
    m_delayLeft = run ? std::nullopt : left;
    PutWord(kDelayNv, 0, static_cast<int>(std::min<std::int64_t>(m_delayLeft.value_or(0), 0xFFFF)));
    PutByte(kMc1StateNv, 0, run ? 1 : 0);
    return run;
}

// Mp2 runs in Manual; in Automatic while its valve Mv4 is open, with a little hysteresis.
bool LiveModel::RunPump(int mv4) {
    const bool on = Byte(kMp2StateNv, 0) != 0;
    bool run = on;
    switch (Mode(kMp2)) {
        case kOff:
            run = false;
            break;
        case kManual:
            run = true;
            break;
        case kAutomatic:
            run = mv4 >= (on ? kPumpStop : kPumpStart);
            break;
        default:
            break;
    }
    PutByte(kMp2StateNv, 0, run ? 1 : 0);
    return run;
}

// A compressor or pump running against a closed valve trips; a humidifier open without its
// injection sensor is a fault; the injection air above its maximum humidity is an alarm.
void LiveModel::SetAlarms(bool mc1, int mv2, bool mp2, int mv4) {
    const int bh2 = Word(kHumidityNvs[kBh2]);
    std::uint8_t bits = Byte(kAlarmNv, 0) & static_cast<std::uint8_t>(~kModelAlarms);
    if (mc1 && mv2 < kClosed) {
        bits |= kRefrigeratingAlarm;
    }
    if (mp2 && mv4 < kClosed) {
        bits |= kPumpThermoFault;
    }
    if (m_mv3 > 0 && !HumidityPresent(bh2)) {
        bits |= kHumidifierFault;
    }
    if (HumidityPresent(bh2) && bh2 > Word(kMaxHumidityNv)) {
        bits |= kMaxHumidityAlarm;
    }
    PutByte(kAlarmNv, 0, bits);
}

// Adds running time; a counter the host changed (a reset) counts on from its new value.
void LiveModel::Count(std::size_t index, bool running, std::int64_t steps) {
    Counter& counter = m_counters[index];
    int value = Word(counter.nv, counter.offset);
    if (value != counter.seen) {
        counter.ms = 0;
    }
    if (running) {
        counter.ms += steps * m_msPerStep;
        value = (value + static_cast<int>(counter.ms / kMsPerHour % 65536)) & 0xFFFF;
        counter.ms %= kMsPerHour;
        PutWord(counter.nv, counter.offset, value);
    }
    counter.seen = static_cast<std::uint16_t>(value);
}

// Uniform in -amplitude..amplitude, from a generator of our own so that every platform draws
// the same sequence.
double LiveModel::Noise(double amplitude) {
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    return (m_random / 4294967296.0 * 2 - 1) * amplitude;
}

int LiveModel::Mode(int output) const {
    return Word(kModeNv, static_cast<std::size_t>(1 + 2 * output));
}

int LiveModel::Word(int nv, std::size_t offset) const {
    return Byte(nv, offset) << 8 | Byte(nv, offset + 1);
}

std::uint8_t LiveModel::Byte(int nv, std::size_t offset) const {
    return (*m_node.GetNv(nv))[offset];
}

void LiveModel::PutWord(int nv, std::size_t offset, int value) {
    const std::array<std::uint8_t, 2> bytes = {static_cast<std::uint8_t>(value >> 8 & 0xFF),
                                               static_cast<std::uint8_t>(value & 0xFF)};
    Put(nv, offset, bytes);
}

void LiveModel::PutByte(int nv, std::size_t offset, std::uint8_t value) {
    Put(nv, offset, std::span(&value, 1));
}

// Stores only a change, so that a node at rest does not look modified.
void LiveModel::Put(int nv, std::size_t offset, std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> current = *m_node.GetNv(nv);
    if (std::equal(bytes.begin(), bytes.end(),
                   current.begin() + static_cast<std::ptrdiff_t>(offset))) {
        return;
    }
    std::array<std::uint8_t, SimNode::kLongSize> value{};
    std::copy(current.begin(), current.end(), value.begin());
    std::copy(bytes.begin(), bytes.end(), value.begin() + static_cast<std::ptrdiff_t>(offset));
    std::string error;
    if (!m_node.SetNv(nv, std::span(value).first(current.size()), error)) {
        throw std::logic_error("live model: " + error);
    }
}

}  // namespace host

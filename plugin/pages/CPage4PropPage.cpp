#include "plugin/pages/CPage4PropPage.h"

#include <array>

#include "plugin/codec/NvCodec.h"

namespace {

// One humidity sensor: its reading, its offset field and the wet-bulb field that depends on
// it (0: none).
struct Sensor {
    int nv;      // bytes 0-1: PercentFromBytes, shown "%.0f"
    int actual;  // display field, refreshed
    int offset;  // editable field, a word of part 5
    int wetBulb;
};

//                                       NV  actual offset wet bulb
constexpr std::array<Sensor, 3> kSensors{{{6, 221, 224, 227},    // exhaust Bh1
                                          {7, 222, 225, 0},      // injection Bh2
                                          {8, 223, 226, 228}}};  // intake Bh3

// Wet-bulb temperatures, refreshed after the sensors: bytes 0-1 TempFromBytes, shown "%.1f".
struct WetBulb {
    int nv;
    int field;
};
constexpr std::array<WetBulb, 2> kWetBulbs{{{17, 227},    // exhaust
                                            {18, 228}}};  // intake

// Settings: words of configuration part 5, in 0.005 % steps, whole bytes.
struct Setting {
    int field;
    std::size_t byte;  // first byte of the word
};
constexpr std::array<Setting, 5> kSettings{{{219, 1},    // "Min humidity (RH)"
                                            {220, 3},    // "Max humidity (RH)"
                                            {224, 5},    // Bh1 offset
                                            {225, 7},    // Bh2 offset
                                            {226, 9}}};  // Bh3 offset

constexpr int kPart = 5;
constexpr int kPercentScale = 200;

}  // namespace

CPage4PropPage::CPage4PropPage() : CNodePage(203) {
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage4PropPage::OnInitDialog() {
    Refresh();
    // The settings are read once here; showing the tab again only repeats the sensor test.
    OnRead();
    StartRefreshTimer();
    return false;
}

void CPage4PropPage::Refresh() {
    const NvCodec codec;
    for (const Sensor& sensor : kSensors) {
        if (ReadBuffer buffer{}; ReadNv(sensor.nv, buffer)) {
            ShowNumber(sensor.actual, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
        }
    }
    for (const WetBulb& wetBulb : kWetBulbs) {
        if (ReadBuffer buffer{}; ReadNv(wetBulb.nv, buffer)) {
            ShowNumber(wetBulb.field, codec.TempFromBytes(buffer[0], buffer[1]), 1);
        }
    }
}

void CPage4PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Setting& setting : kSettings) {
            ShowNumber(setting.field,
                       codec.PercentFromBytes(buffer[setting.byte], buffer[setting.byte + 1]), 0);
        }
    }
}

void CPage4PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Setting& setting : kSettings) {
            const double x = FieldNumber(setting.field);
            buffer[setting.byte] = codec.ScaledHighByte(x, kPercentScale);
            buffer[setting.byte + 1] = codec.ScaledLowByte(x, kPercentScale);
        }
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage4PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    // Each sensor's own reading decides whether its fields apply; the range fields always do.
    // A sensor is present while it reads 5 % < v <= 90 %.
    for (const Sensor& sensor : kSensors) {
        if (const auto present = HumidityPresent(sensor.nv)) {
            EnableControls({sensor.offset, sensor.actual}, *present);
            if (sensor.wetBulb != 0) {
                EnableControls({sensor.wetBulb}, *present);
            }
        }
    }
}

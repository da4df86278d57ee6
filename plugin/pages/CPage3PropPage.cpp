#include "plugin/pages/CPage3PropPage.h"

#include <array>

#include "plugin/codec/NvCodec.h"

namespace {

// One temperature sensor: its reading, and its offset as a word of configuration part 2.
struct Sensor {
    int nv;                  // bytes 0-1: TempFromBytes, shown "%.1f"
    int actual;              // display field, refreshed
    int offset;              // editable field
    std::size_t offsetByte;  // first byte of the offset's word in part 2
};

//                                       NV  actual offset byte
constexpr std::array<Sensor, 2> kSensors{{{15, 256, 255, 11},    // forward Bw3
                                          {16, 258, 205, 13}}};  // return Bw4

constexpr int kPart = 2;                 // configuration part 2 in NV 43, whole bytes
constexpr int kOffsetScale = 100;        // offsets in hundredths of a degree
constexpr double kAbsentBelow = -200.0;  // a reading below this: no sensor connected

}  // namespace

CPage3PropPage::CPage3PropPage() : CNodePage(202) {
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage3PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage3PropPage::Refresh() {
    const NvCodec codec;
    for (const Sensor& sensor : kSensors) {
        if (ReadBuffer buffer{}; ReadNv(sensor.nv, buffer)) {
            ShowNumber(sensor.actual, codec.TempFromBytes(buffer[0], buffer[1]), 1);
        }
    }
}

void CPage3PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Sensor& sensor : kSensors) {
            const std::size_t at = sensor.offsetByte;
            ShowNumber(sensor.offset, codec.TempFromBytes(buffer[at], buffer[at + 1]), 1);
        }
    }
}

void CPage3PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Sensor& sensor : kSensors) {
            const double x = FieldNumber(sensor.offset);
            buffer[sensor.offsetByte] = codec.ScaledHighByte(x, kOffsetScale);
            buffer[sensor.offsetByte + 1] = codec.ScaledLowByte(x, kOffsetScale);
        }
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage3PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    // Each sensor's own reading decides whether its fields apply; the timer's refresh keeps
    // filling them either way.
    const NvCodec codec;
    for (const Sensor& sensor : kSensors) {
        if (ReadBuffer buffer{}; ReadNv(sensor.nv, buffer)) {
            const bool present = !(codec.TempFromBytes(buffer[0], buffer[1]) < kAbsentBelow);
            EnableControls({sensor.actual, sensor.offset}, present);
        }
    }
}

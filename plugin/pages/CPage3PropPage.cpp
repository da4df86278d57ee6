#include "plugin/pages/CPage3PropPage.h"

#include <array>

#include "plugin/codec/NvCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_BW3_ACTUAL = 256;  // "Actual" °C: forward temperature, refreshed
constexpr int IDC_BW3_OFFSET = 255;  // "Offset" °C: forward offset
constexpr int IDC_BW4_ACTUAL = 258;  // "Actual" °C: return temperature, refreshed
constexpr int IDC_BW4_OFFSET = 205;  // "Offset" °C: return offset

// One temperature sensor: its reading, and its offset as a word of configuration part 2.
struct Sensor {
    int nv;                  // bytes 0-1: TempFromBytes, shown "%.1f"
    int actual;              // display field, refreshed
    int offset;              // editable field
    std::size_t offsetByte;  // first byte of the offset's word in part 2
};

constexpr std::array<Sensor, 2> kSensors{{
    {15, IDC_BW3_ACTUAL, IDC_BW3_OFFSET, 11},  // forward Bw3
    {16, IDC_BW4_ACTUAL, IDC_BW4_OFFSET, 13},  // return Bw4
}};

constexpr int kPart = 2;                 // configuration part 2 in NV 43, whole bytes
constexpr int kOffsetScale = 100;        // offsets in hundredths of a degree
constexpr double kAbsentBelow = -200.0;  // a reading below this: no sensor connected

}  // namespace

DialogTemplate TemperaturesTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_TEMPERATURES);
    dialog.controls = {
        Group("Temp sensor forward (Bw3)", 66, 20, 123, 49),
        Label(kTextActual, 89, 38, 21),
        DisplayField(IDC_BW3_ACTUAL, 119, 35),
        Unit(kTextDegreesCelsius, 154, 38),
        Label(kTextOffset, 89, 53, 20),
        EditField(IDC_BW3_OFFSET, 119, 50),
        Unit(kTextDegreesCelsius, 154, 53),
        Group("Temp sensor return (Bw4)", 66, 75, 123, 49),
        Label(kTextActual, 89, 94, 21),
        DisplayField(IDC_BW4_ACTUAL, 119, 91),
        Unit(kTextDegreesCelsius, 154, 94),
        Label(kTextOffset, 89, 108, 20),
        EditField(IDC_BW4_OFFSET, 119, 106),
        Unit(kTextDegreesCelsius, 154, 108),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage3PropPage::CPage3PropPage() : CNodePage(IDD_PAGE_TEMPERATURES) {
    BindControls({IDC_BW3_ACTUAL, IDC_BW3_OFFSET, IDC_BW4_ACTUAL, IDC_BW4_OFFSET});
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

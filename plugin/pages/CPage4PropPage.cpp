#include "plugin/pages/CPage4PropPage.h"

#include <array>

#include "plugin/codec/NvCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_BH1_ACTUAL = 221;        // "Actual" %: exhaust humidity, refreshed
constexpr int IDC_BH2_ACTUAL = 222;        // "Actual" %: injection humidity, refreshed
constexpr int IDC_BH3_ACTUAL = 223;        // "Actual" %: intake humidity, refreshed
constexpr int IDC_BH1_OFFSET = 224;        // "Offset" %: exhaust offset
constexpr int IDC_BH2_OFFSET = 225;        // "Offset" %: injection offset
constexpr int IDC_BH3_OFFSET = 226;        // "Offset" %: intake offset
constexpr int IDC_WET_BULB_EXHAUST = 227;  // "Wet Bulb Temperature exhaust" °C, refreshed
constexpr int IDC_WET_BULB_INTAKE = 228;   // "Wet Bulb Temperature intake" °C, refreshed
constexpr int IDC_MIN_HUMIDITY = 219;      // "Min humidity (RH)" %
constexpr int IDC_MAX_HUMIDITY = 220;      // "Max humidity (RH)" %

// One humidity sensor: its reading, its offset field and the wet-bulb field that depends on
// it (0: none).
struct Sensor {
    int nv;      // bytes 0-1: PercentFromBytes, shown "%.0f"
    int actual;  // display field, refreshed
    int offset;  // editable field, a word of part 5
    int wetBulb;
};

constexpr std::array<Sensor, 3> kSensors{{
    {6, IDC_BH1_ACTUAL, IDC_BH1_OFFSET, IDC_WET_BULB_EXHAUST},  // exhaust Bh1
    {7, IDC_BH2_ACTUAL, IDC_BH2_OFFSET, 0},                     // injection Bh2
    {8, IDC_BH3_ACTUAL, IDC_BH3_OFFSET, IDC_WET_BULB_INTAKE},   // intake Bh3
}};

// Wet-bulb temperatures, refreshed after the sensors: bytes 0-1 TempFromBytes, shown "%.1f".
struct WetBulb {
    int nv;
    int field;
};
constexpr std::array<WetBulb, 2> kWetBulbs{{{17, IDC_WET_BULB_EXHAUST}, {18, IDC_WET_BULB_INTAKE}}};

// Settings: words of configuration part 5, in 0.005 % steps, whole bytes.
struct Setting {
    int field;
    std::size_t byte;  // first byte of the word
};
constexpr std::array<Setting, 5> kSettings{{{IDC_MIN_HUMIDITY, 1},
                                            {IDC_MAX_HUMIDITY, 3},
                                            {IDC_BH1_OFFSET, 5},
                                            {IDC_BH2_OFFSET, 7},
                                            {IDC_BH3_OFFSET, 9}}};

constexpr int kPart = 5;
constexpr int kPercentScale = 200;

}  // namespace

DialogTemplate HumiditySensorTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_HUMIDITY_SENSOR);
    dialog.controls = {
        Group(kTextHumiditySensor, 36, 16, 228, 73),
        Label("Air humidity exhaust (Bh1)", 45, 38, 82),
        Label(kTextAirHumidityInjection, 45, 53, 83),
        Label("Air humidity intake (Bh3)", 45, 69, 76),
        Group(kTextActual, 132, 24, 58, 60),
        DisplayField(IDC_BH1_ACTUAL, 142, 35),
        Unit(kTextPercent, 178, 38),
        DisplayField(IDC_BH2_ACTUAL, 142, 51),
        Unit(kTextPercent, 178, 53),
        DisplayField(IDC_BH3_ACTUAL, 142, 67),
        Unit(kTextPercent, 178, 69),
        Group(kTextOffset, 199, 24, 58, 60),
        EditField(IDC_BH1_OFFSET, 209, 35),
        Unit(kTextPercent, 244, 38),
        EditField(IDC_BH2_OFFSET, 209, 51),
        Unit(kTextPercent, 244, 53),
        EditField(IDC_BH3_OFFSET, 209, 67),
        Unit(kTextPercent, 244, 69),
        Group("Wet Bulb Temperature", 36, 93, 165, 45),
        Label("Wet Bulb Temperature exhaust", 45, 106, 99),
        EditField(IDC_WET_BULB_EXHAUST, 152, 103),  // live value; editable, though never read
        Unit(kTextDegreesCelsius, 187, 106),
        Label("Wet Bulb Temperature intake", 45, 122, 94),
        EditField(IDC_WET_BULB_INTAKE, 152, 119),
        Unit(kTextDegreesCelsius, 187, 122),
        Group("Settings humidity sensor", 36, 140, 149, 45),
        Label("Min humidity (RH)", 45, 153, 56),
        EditField(IDC_MIN_HUMIDITY, 139, 150),
        Unit(kTextPercent, 174, 153),
        Label("Max humidity (RH)", 45, 169, 58),
        EditField(IDC_MAX_HUMIDITY, 139, 166),
        Unit(kTextPercent, 174, 169),
        Button(IDC_WRITE, kTextWrite, 243, 163),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage4PropPage::CPage4PropPage() : CNodePage(IDD_PAGE_HUMIDITY_SENSOR) {
    BindControls({IDC_BH1_ACTUAL, IDC_BH2_ACTUAL, IDC_BH3_ACTUAL, IDC_BH1_OFFSET, IDC_BH2_OFFSET,
                  IDC_BH3_OFFSET, IDC_WET_BULB_EXHAUST, IDC_WET_BULB_INTAKE, IDC_MIN_HUMIDITY,
                  IDC_MAX_HUMIDITY});
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

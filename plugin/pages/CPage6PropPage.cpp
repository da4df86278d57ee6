#include "plugin/pages/CPage6PropPage.h"

#include <array>

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_HUMIDITY_CONTROL = 283;    // "Dehumidifier/Humidifier": enables the setpoints
constexpr int IDC_SETPT_DEHUMIDIFIER = 230;  // "Setpt dehumidifier" %
constexpr int IDC_SETPT_HUMIDITY = 231;      // "Setpt humidity" %
constexpr int IDC_SETPT_HUMIDIFIER = 234;    // "Setpt humidifier" %
constexpr int IDC_DB_HUMIDITY = 284;         // "DB humidity" %
constexpr int IDC_MAX_INJECTION = 285;       // "Max air humidity injection" %
constexpr int IDC_INJECTION = 222;           // Bh2 present humidity %, refreshed
constexpr int IDC_STATE = 211;               // humidity-control state, refreshed

// The setpoints: 16-bit variables of their own, 0.005 % steps.
struct Setpoint {
    int nv;
    int field;
};
constexpr std::array<Setpoint, 5> kSetpoints{{{1, IDC_SETPT_DEHUMIDIFIER},  // nciSetptDehumidi
                                              {2, IDC_SETPT_HUMIDITY},      // nciSetptHumidity
                                              {3, IDC_SETPT_HUMIDIFIER},    // nciSetptHumidi
                                              {4, IDC_DB_HUMIDITY},         // nciDbHumidity
                                              {5, IDC_MAX_INJECTION}}};     // nciMaxHumidity

// Network variables and their bytes.
constexpr int NV_INJECTION = 7;           // bytes 0-1: PercentFromBytes
constexpr int NV_STATE = 9;               // bytes 0-1: MakeWord, see StateText
constexpr int NV_SECONDARY_HEAT = 12;     // byte 0 non-zero: the page's controls enabled
constexpr int kPart = 1;                  // configuration part 1 in NV 43
constexpr std::size_t kControlByte = 10;  // page bit 0: set = humidity control in use
constexpr int kControlBit = 0;
constexpr int kPercentScale = 200;

// The humidity-control state word: 0 and 1 have their own texts, any other value the last.
constexpr int kStateOff = 0;
constexpr int kStateHumidifying = 1;
constexpr char kTextDehumidifying[] = "Dehumidifer";  // sic: the text the product shows

const char* StateText(int word) {
    switch (word) {
        case kStateOff:
            return kTextOff;
        case kStateHumidifying:
            return kTextHumidifier;
        default:
            return kTextDehumidifying;
    }
}

}  // namespace

DialogTemplate SettingsHumidityTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_SETTINGS_HUMIDITY);
    dialog.controls = {
        Group("Humidity", 41, 12, 165, 103),
        Check(IDC_HUMIDITY_CONTROL, "Dehumidifier/Humidifier", 52, 21, 89),
        Label("Setpt dehumidifier", 49, 34, 57),
        EditField(IDC_SETPT_DEHUMIDIFIER, 157, 31),
        Unit(kTextPercent, 191, 34),
        Label("Setpt humidity", 49, 50, 45),
        EditField(IDC_SETPT_HUMIDITY, 157, 47),
        Unit(kTextPercent, 191, 50),
        Label("Setpt humidifier", 49, 66, 49),
        EditField(IDC_SETPT_HUMIDIFIER, 157, 63),
        Unit(kTextPercent, 191, 66),
        Label("DB humidity", 49, 81, 38),
        EditField(IDC_DB_HUMIDITY, 157, 79),
        Unit(kTextPercent, 191, 82),
        Label("Max air humidity injection", 49, 98, 79),
        EditField(IDC_MAX_INJECTION, 157, 95),
        Unit(kTextPercent, 191, 98),
        Group("Actual ", 41, 121, 165, 43),
        Label(kTextAirHumidityInjection, 50, 133, 83),
        DisplayField(IDC_INJECTION, 157, 129),
        Unit(kTextPercent, 192, 132),
        Label("Status ", 50, 149, 23),
        DisplayField(IDC_STATE, 149, 145, 40, 14),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage6PropPage::CPage6PropPage() : CNodePage(IDD_PAGE_SETTINGS_HUMIDITY) {
    BindControls({IDC_SETPT_DEHUMIDIFIER, IDC_SETPT_HUMIDITY, IDC_SETPT_HUMIDIFIER, IDC_DB_HUMIDITY,
                  IDC_MAX_INJECTION, IDC_INJECTION, IDC_STATE});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
    OnClicked(IDC_HUMIDITY_CONTROL, [this] { OnHumidityControl(); });
}

bool CPage6PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage6PropPage::Refresh() {
    const NvCodec codec;
    if (ReadBuffer buffer{}; ReadNv(NV_INJECTION, buffer)) {
        ShowNumber(IDC_INJECTION, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_STATE, buffer)) {
        SetDlgItemText(IDC_STATE, StateText(codec.MakeWord(buffer[0], buffer[1])));
    }
}

void CPage6PropPage::OnHumidityControl() {
    const bool inUse = IsDlgButtonChecked(IDC_HUMIDITY_CONTROL);
    for (const Setpoint& setpoint : kSetpoints) {
        EnableDlgItem(setpoint.field, inUse);
    }
}

void CPage6PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvBitCodec codec;

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        CheckDlgButton(IDC_HUMIDITY_CONTROL, TestPageBit(buffer, kControlByte, kControlBit));
        OnHumidityControl();
    }
    for (const Setpoint& setpoint : kSetpoints) {
        if (ReadBuffer buffer{}; ReadNv(setpoint.nv, buffer)) {
            ShowNumber(setpoint.field, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
        }
    }
}

void CPage6PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvBitCodec codec;

    // The setpoints go out whether their fields are enabled or not.
    for (const Setpoint& setpoint : kSetpoints) {
        if (ModifyBuffer buffer{}; ReadNv(setpoint.nv, buffer)) {
            const double x = FieldNumber(setpoint.field);
            buffer[0] = codec.ScaledHighByte(x, kPercentScale);
            buffer[1] = codec.ScaledLowByte(x, kPercentScale);
            WriteNv(setpoint.nv, buffer, kWordLength);
        }
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        PutPageBit(buffer, kControlByte, kControlBit, IsDlgButtonChecked(IDC_HUMIDITY_CONTROL));
        codec.MirrorBits(buffer);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage6PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    if (ReadBuffer buffer{}; ReadNv(NV_SECONDARY_HEAT, buffer)) {
        EnableControls({IDC_HUMIDITY_CONTROL, IDC_STATE, IDC_INJECTION},
                       NvCodec().SignedByteOf(buffer[0]) != 0);
    }
    // The setpoints follow the check box, not the test above.
    OnHumidityControl();
}

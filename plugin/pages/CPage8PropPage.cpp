#include "plugin/pages/CPage8PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_OFF = 239;           // "Off": status code 0
constexpr int IDC_MANUAL = 337;        // "Manual": status code 1
constexpr int IDC_AUTOMATIC = 338;     // "Automatic": status code 2
constexpr int IDC_IN = 238;            // "In" %: manual opening, enabled only in Manual
constexpr int IDC_OUT = 211;           // "Out" %: valve output, refreshed
constexpr int IDC_RANGE_0_10 = 262;    // "0-10 V": range bit clear
constexpr int IDC_RANGE_2_10 = 263;    // "2-10 V": range bit set
constexpr int IDC_INVERT = 264;        // "Invert": inversion bit
constexpr int IDC_VALVE_ON_OFF = 258;  // "On / Off": valve-type bit clear
constexpr int IDC_VALVE_0_10 = 259;    // "0 - 10 V": valve-type bit set
constexpr int IDC_MIN_TIME_ON = 242;   // "Min time on" sec
constexpr int IDC_MAX_TIME_ON = 243;   // "Max time on" sec

const StatusGroup kMv3{IDC_OFF, IDC_MANUAL, IDC_AUTOMATIC, IDC_IN};

// Network variables and their bytes.
// The valve output, bytes 0-1: PercentFromBytes. The node also reports Mv4 in NV 36; should
// its documentation name an Mv3 output of its own, this is the line to change.
constexpr int NV_MV3_OUTPUT = 36;
constexpr int NV_MIN_TIME_ON = 11;     // nciMinTimeOn_Mv3, bytes 0-1: tenths of a second
constexpr int NV_MAX_TIME_ON = 13;     // nciMaxTimeOn_Mv3, bytes 0-1: tenths of a second
constexpr std::size_t kMv3Word = 5;    // NV 25 and NV 26: bytes 5-6
constexpr int kPart = 1;               // configuration part 1 in NV 43
constexpr std::size_t kTypeByte = 10;  // page bit 1: set = 0 - 10 V valve
constexpr int kTypeBit = 1;
constexpr std::size_t kRangeByte = 14;   // page bit 6: set = 2-10 V
constexpr std::size_t kInvertByte = 16;  // page bit 6: set = Invert
constexpr int kMv3Bit = 6;
constexpr int NV_EXHAUST_HUMIDITY = 6;  // Bh1, bytes 0-1: PercentFromBytes

}  // namespace

DialogTemplate HumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_HUMIDIFIER);
    dialog.controls = {
        Group("Status valve (Mv3)", 28, 14, 112, 71),
        Radio(IDC_OFF, kTextOff, 34, 24, 25),
        Radio(IDC_MANUAL, kTextManual, 34, 34, 39),
        Radio(IDC_AUTOMATIC, kTextAutomatic, 34, 44, 47),
        CentredLabel(kTextIn, 97, 22, 25),
        EditField(IDC_IN, 93, 31),
        Unit(kTextPercent, 128, 34),
        CentredLabel(kTextOut, 95, 53, 25),
        DisplayField(IDC_OUT, 93, 63),
        Unit(kTextPercent, 127, 66),
        Group("Settings valve (Mv3)", 28, 89, 112, 49),
        Radio(IDC_RANGE_0_10, kTextRange0To10V, 39, 100, 37),
        Radio(IDC_RANGE_2_10, kTextRange2To10V, 39, 110, 37),
        Check(IDC_INVERT, kTextInvert, 39, 121, 34),
        Group("Valve type (Mv3)", 156, 14, 116, 39),
        Radio(IDC_VALVE_ON_OFF, "On / Off", 174, 25, 42),
        Radio(IDC_VALVE_0_10, "0 - 10 V", 174, 38, 41),
        Group("Valve open (Mv3)", 156, 59, 117, 49),
        Label("Min time on", 168, 73, 37),
        EditField(IDC_MIN_TIME_ON, 221, 70),
        Unit(kTextSeconds, 256, 73),
        Label("Max time on", 168, 89, 39),
        EditField(IDC_MAX_TIME_ON, 221, 86),
        Unit(kTextSeconds, 256, 89),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage8PropPage::CPage8PropPage() : CNodePage(IDD_PAGE_HUMIDIFIER) {
    BindControls({IDC_OUT, IDC_MIN_TIME_ON, IDC_MAX_TIME_ON});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
    OnStatusClicks(kMv3);
    OnClicked(IDC_RANGE_0_10, [this] { CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10); });
    OnClicked(IDC_RANGE_2_10, [this] { CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10); });
    OnClicked(IDC_VALVE_ON_OFF, [this] { OnOnOffValve(); });
    OnClicked(IDC_VALVE_0_10, [this] { OnAnalogueValve(); });
    // The box toggles by itself; the click only records that the user has chosen.
    OnClicked(IDC_INVERT, [this] { m_filled.insert(IDC_INVERT); });
}

bool CPage8PropPage::OnInitDialog() {
    m_filled.clear();
    for (const int id : {IDC_IN, IDC_MIN_TIME_ON, IDC_MAX_TIME_ON}) {
        m_createdText[id] = GetDlgItemText(id);
    }
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage8PropPage::Refresh() {
    if (ReadBuffer buffer{}; ReadNv(NV_MV3_OUTPUT, buffer)) {
        ShowNumber(IDC_OUT, NvCodec().PercentFromBytes(buffer[0], buffer[1]), 0);
    }
}

void CPage8PropPage::OnOnOffValve() {
    CheckOneOf(IDC_VALVE_ON_OFF, IDC_VALVE_0_10);
    EnableControls({IDC_MIN_TIME_ON, IDC_MAX_TIME_ON}, true);
    EnableControls({IDC_RANGE_0_10, IDC_RANGE_2_10, IDC_INVERT}, false);
}

void CPage8PropPage::OnAnalogueValve() {
    CheckOneOf(IDC_VALVE_0_10, IDC_VALVE_ON_OFF);
    EnableControls({IDC_RANGE_0_10, IDC_RANGE_2_10, IDC_INVERT}, true);
    EnableControls({IDC_MIN_TIME_ON, IDC_MAX_TIME_ON}, false);
}

// Besides a read, typing is the only way a field's text changes.
bool CPage8PropPage::FieldSet(int id) const {
    return m_filled.contains(id) || GetDlgItemText(id) != m_createdText.at(id);
}

// Only a read or a click checks a button of a pair, and nothing unchecks both.
bool CPage8PropPage::PairSet(int first, int second) const {
    return IsDlgButtonChecked(first) || IsDlgButtonChecked(second);
}

void CPage8PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvBitCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_MIN_TIME_ON, buffer)) {
        ShowNumber(IDC_MIN_TIME_ON, codec.TenthsOf(buffer[0], buffer[1]), 0);
        m_filled.insert(IDC_MIN_TIME_ON);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_MAX_TIME_ON, buffer)) {
        ShowNumber(IDC_MAX_TIME_ON, codec.TenthsOf(buffer[0], buffer[1]), 0);
        m_filled.insert(IDC_MAX_TIME_ON);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        ShowNumber(IDC_IN, codec.HalfFromBytes(buffer[kMv3Word], buffer[kMv3Word + 1]), 0);
        m_filled.insert(IDC_IN);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        ShowStatus(kMv3, codec.MakeWord(buffer[kMv3Word], buffer[kMv3Word + 1]));
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        if (TestPageBit(buffer, kTypeByte, kTypeBit)) {
            OnAnalogueValve();
        } else {
            OnOnOffValve();
        }
        if (TestPageBit(buffer, kRangeByte, kMv3Bit)) {
            CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10);
        } else {
            CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10);
        }
        CheckDlgButton(IDC_INVERT, TestPageBit(buffer, kInvertByte, kMv3Bit));
        m_filled.insert(IDC_INVERT);
    }
}

void CPage8PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvBitCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_MIN_TIME_ON, buffer)) {
        if (FieldSet(IDC_MIN_TIME_ON)) {
            const double x = FieldNumber(IDC_MIN_TIME_ON);
            buffer[0] = codec.ScaledHighByte(x, 10);
            buffer[1] = codec.ScaledLowByte(x, 10);
        }
        WriteNv(NV_MIN_TIME_ON, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_MAX_TIME_ON, buffer)) {
        if (FieldSet(IDC_MAX_TIME_ON)) {
            const double x = FieldNumber(IDC_MAX_TIME_ON);
            buffer[0] = codec.ScaledHighByte(x, 10);
            buffer[1] = codec.ScaledLowByte(x, 10);
        }
        WriteNv(NV_MAX_TIME_ON, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        if (FieldSet(IDC_IN)) {
            buffer[kMv3Word] = 0;
            buffer[kMv3Word + 1] = codec.ScaledLowByte(FieldNumber(IDC_IN), 2);
        }
        WriteNv(NV_MAN_VALUE3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        PutStatus(kMv3, buffer, kMv3Word);
        WriteNv(NV_OFF_MAN_AUTO3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        if (PairSet(IDC_VALVE_ON_OFF, IDC_VALVE_0_10)) {
            PutPageBit(buffer, kTypeByte, kTypeBit, IsDlgButtonChecked(IDC_VALVE_0_10));
        }
        if (PairSet(IDC_RANGE_0_10, IDC_RANGE_2_10)) {
            PutPageBit(buffer, kRangeByte, kMv3Bit, IsDlgButtonChecked(IDC_RANGE_2_10));
        }
        if (m_filled.contains(IDC_INVERT)) {
            PutPageBit(buffer, kInvertByte, kMv3Bit, IsDlgButtonChecked(IDC_INVERT));
        }
        codec.MirrorBits(buffer);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

// This tab skips the default processing of the notification and reads no settings on show.
void CPage8PropPage::OnShowWindow(bool show, unsigned /*status*/) {
    if (!show) {
        return;
    }
    // The settings apply while the exhaust sensor reads 5 % < Bh1 <= 90 %.
    if (const auto present = HumidityPresent(NV_EXHAUST_HUMIDITY)) {
        EnableControls(
            {IDC_OUT, IDC_VALVE_ON_OFF, IDC_OFF, IDC_MANUAL, IDC_AUTOMATIC, IDC_MIN_TIME_ON,
             IDC_MAX_TIME_ON, IDC_INVERT, IDC_RANGE_2_10, IDC_VALVE_0_10, IDC_RANGE_0_10},
            *present);
    }
    // The status group keeps whatever it holds: nothing here forces Automatic.
}

#include "plugin/pages/CPage5PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls. Mv4's "Off" has the id that other tabs give their password field.
constexpr int IDC_MV4_OFF = 221;        // "Off": Mv4 status code 0
constexpr int IDC_MV4_MANUAL = 276;     // "Manual": Mv4 status code 1
constexpr int IDC_MV4_AUTOMATIC = 277;  // "Automatic": Mv4 status code 2
constexpr int IDC_MV4_IN = 278;         // "In" %: Mv4 manual value, enabled only in Manual
constexpr int IDC_MV4_OUT = 279;        // "Out" %: Mv4 present output, refreshed
constexpr int IDC_RANGE_0_10 = 262;     // "0-10 V": Mv4 range bit clear
constexpr int IDC_RANGE_2_10 = 263;     // "2-10 V": Mv4 range bit set
constexpr int IDC_INVERT = 264;         // "Invert": Mv4 inversion bit
constexpr int IDC_MP2_OFF = 339;        // "Off": Mp2 status code 0
constexpr int IDC_MP2_MANUAL = 340;     // "Manual": Mp2 status code 1
constexpr int IDC_MP2_AUTOMATIC = 341;  // "Automatic": Mp2 status code 2
constexpr int IDC_MP2_OUT = 212;        // "Out": Mp2 present state "On" / "Off", refreshed

const StatusGroup kMv4{IDC_MV4_OFF, IDC_MV4_MANUAL, IDC_MV4_AUTOMATIC, IDC_MV4_IN};
const StatusGroup kMp2{IDC_MP2_OFF, IDC_MP2_MANUAL, IDC_MP2_AUTOMATIC, 0};

// Network variables and their bytes.
constexpr int NV_MV4_OUTPUT = 36;        // bytes 0-1: PercentFromBytes
constexpr int NV_MP2_STATE = 31;         // byte 0: non-zero = on
constexpr std::size_t kMv4Word = 7;      // NV 25 and NV 26: bytes 7-8
constexpr std::size_t kMp2Word = 11;     // NV 25: bytes 11-12
constexpr int kPart = 1;                 // configuration part 1 in NV 43
constexpr std::size_t kRangeByte = 14;   // page bit 7: set = 2-10 V
constexpr std::size_t kInvertByte = 16;  // page bit 7: set = Invert
constexpr int kMv4Bit = 7;
constexpr int NV_SECONDARY_HEAT = 12;  // byte 0: non-zero = secondary heat fitted, tab enabled

}  // namespace

DialogTemplate SecondaryHeatTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_SECONDARY_HEAT);
    dialog.controls = {
        Group("Status valve (Mv4)", 31, 18, 112, 71),
        Radio(IDC_MV4_OFF, kTextOff, 37, 28, 25),
        Radio(IDC_MV4_MANUAL, kTextManual, 37, 38, 39),
        Radio(IDC_MV4_AUTOMATIC, kTextAutomatic, 37, 48, 47),
        CentredLabel(kTextIn, 100, 26, 25),
        EditField(IDC_MV4_IN, 95, 35),
        Unit(kTextPercent, 130, 37),
        CentredLabel(kTextOut, 98, 57, 25),
        DisplayField(IDC_MV4_OUT, 95, 67),
        Unit(kTextPercent, 129, 69),
        Group("Settings valve (Mv4)", 31, 93, 112, 49),
        Radio(IDC_RANGE_0_10, kTextRange0To10V, 42, 104, 37),
        Radio(IDC_RANGE_2_10, kTextRange2To10V, 42, 114, 37),
        Check(IDC_INVERT, kTextInvert, 42, 125, 34),
        Group("Status pump (Mp2)", 157, 18, 112, 71),
        Radio(IDC_MP2_OFF, kTextOff, 163, 28, 25),
        Radio(IDC_MP2_MANUAL, kTextManual, 163, 38, 39),
        Radio(IDC_MP2_AUTOMATIC, kTextAutomatic, 163, 48, 47),
        CentredLabel(kTextOut, 225, 58, 25),
        DisplayField(IDC_MP2_OUT, 221, 67),
        Button(IDC_WRITE, kTextWrite, 243, 161),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage5PropPage::CPage5PropPage() : CNodePage(IDD_PAGE_SECONDARY_HEAT) {
    BindControls({IDC_MV4_OUT, IDC_MP2_OUT, IDC_INVERT});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
    OnStatusClicks(kMv4);
    OnStatusClicks(kMp2);
    OnClicked(IDC_RANGE_0_10, [this] { CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10); });
    OnClicked(IDC_RANGE_2_10, [this] { CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10); });
}

bool CPage5PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage5PropPage::Refresh() {
    const NvCodec codec;
    if (ReadBuffer buffer{}; ReadNv(NV_MV4_OUTPUT, buffer)) {
        ShowNumber(IDC_MV4_OUT, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_MP2_STATE, buffer)) {
        SetDlgItemText(IDC_MP2_OUT, codec.SignedByteOf(buffer[0]) != 0 ? kTextOn : kTextOff);
    }
}

void CPage5PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvBitCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        ShowNumber(IDC_MV4_IN, codec.HalfFromBytes(buffer[kMv4Word], buffer[kMv4Word + 1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        ShowStatus(kMv4, codec.MakeWord(buffer[kMv4Word], buffer[kMv4Word + 1]));
        ShowStatus(kMp2, codec.MakeWord(buffer[kMp2Word], buffer[kMp2Word + 1]));
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        if (TestPageBit(buffer, kRangeByte, kMv4Bit)) {
            CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10);
        } else {
            CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10);
        }
        CheckDlgButton(IDC_INVERT, TestPageBit(buffer, kInvertByte, kMv4Bit));
    }
}

void CPage5PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvBitCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        buffer[kMv4Word] = 0;
        buffer[kMv4Word + 1] = codec.ScaledLowByte(FieldNumber(IDC_MV4_IN), 2);
        WriteNv(NV_MAN_VALUE3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        PutStatus(kMv4, buffer, kMv4Word);
        PutStatus(kMp2, buffer, kMp2Word);
        WriteNv(NV_OFF_MAN_AUTO3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        PutPageBit(buffer, kRangeByte, kMv4Bit, IsDlgButtonChecked(IDC_RANGE_2_10));
        PutPageBit(buffer, kInvertByte, kMv4Bit, IsDlgButtonChecked(IDC_INVERT));
        codec.MirrorBits(buffer);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage5PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    if (ReadBuffer buffer{}; ReadNv(NV_SECONDARY_HEAT, buffer)) {
        EnableControls(
            {IDC_MP2_AUTOMATIC, IDC_MV4_AUTOMATIC, IDC_MV4_OUT, IDC_MV4_OFF, IDC_MV4_MANUAL,
             IDC_MP2_OUT, IDC_MP2_OFF, IDC_MP2_MANUAL, IDC_INVERT, IDC_RANGE_2_10, IDC_RANGE_0_10},
            NvCodec().SignedByteOf(buffer[0]) != 0);
    }
    // Both status groups keep what OnRead showed: the node's status, not a forced Automatic.
}

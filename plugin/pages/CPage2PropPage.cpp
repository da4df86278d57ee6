#include "plugin/pages/CPage2PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_MV2_OFF = 267;        // "Off": Mv2 status code 0
constexpr int IDC_MV2_MANUAL = 268;     // "Manual": Mv2 status code 1
constexpr int IDC_MV2_AUTOMATIC = 269;  // "Automatic": Mv2 status code 2
constexpr int IDC_MV2_IN = 273;         // "In" %: Mv2 manual value, enabled only in Manual
constexpr int IDC_MV2_OUT = 274;        // "Out" %: Mv2 present output, refreshed
constexpr int IDC_RANGE_0_10 = 262;     // "0-10 V": Mv2 range bit clear
constexpr int IDC_RANGE_2_10 = 263;     // "2-10 V": Mv2 range bit set
constexpr int IDC_INVERT = 264;         // "Invert": Mv2 inversion bit
constexpr int IDC_MC1_OFF = 270;        // "Off": Mc1 status code 0
constexpr int IDC_MC1_MANUAL = 271;     // "Manual": Mc1 status code 1
constexpr int IDC_MC1_AUTOMATIC = 272;  // "Automatic": Mc1 status code 2
constexpr int IDC_MC1_OUT = 275;        // "Out": Mc1 present state "On" / "Off", refreshed
constexpr int IDC_EXPANSION = 327;      // "Expansion": cooling-type bit clear
constexpr int IDC_WATER_COOLING = 328;  // "Water cooling": cooling-type bit set

const StatusGroup kMv2{IDC_MV2_OFF, IDC_MV2_MANUAL, IDC_MV2_AUTOMATIC, IDC_MV2_IN};
const StatusGroup kMc1{IDC_MC1_OFF, IDC_MC1_MANUAL, IDC_MC1_AUTOMATIC, 0};

// Network variables and their bytes.
constexpr int NV_MV2_OUTPUT = 33;     // bytes 0-1: PercentFromBytes
constexpr int NV_MC1_STATE = 30;      // byte 0: non-zero = on
constexpr std::size_t kMv2Word = 3;   // NV 25 and NV 26: bytes 3-4
constexpr std::size_t kMc1Word = 9;   // NV 25: bytes 9-10
constexpr int kPart = 1;              // configuration part 1 in NV 43
constexpr std::size_t kTypeByte = 2;  // page bit 5: set = water cooling
constexpr int kTypeBit = 5;
constexpr std::size_t kRangeByte = 14;   // page bit 1: set = 2-10 V
constexpr std::size_t kInvertByte = 16;  // page bit 1: set = Invert
constexpr int kMv2Bit = 1;
constexpr int kEquipmentBit = 3;  // EquipmentFlags byte 22: the cooling controls enabled

}  // namespace

DialogTemplate CoolingTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_COOLING);
    dialog.controls = {
        Group("Status cool (Mv2)", 23, 18, 112, 71),
        Radio(IDC_MV2_OFF, kTextOff, 29, 28, 25),
        Radio(IDC_MV2_MANUAL, kTextManual, 29, 38, 39),
        Radio(IDC_MV2_AUTOMATIC, kTextAutomatic, 29, 48, 47),
        CentredLabel(kTextIn, 92, 26, 25),
        EditField(IDC_MV2_IN, 89, 35),
        Unit(kTextPercent, 124, 38),
        CentredLabel(kTextOut, 91, 57, 25),
        DisplayField(IDC_MV2_OUT, 89, 67),
        Unit(kTextPercent, 123, 70),
        Group("Settings cool (Mv2)", 23, 93, 112, 49),
        Radio(IDC_RANGE_0_10, kTextRange0To10V, 34, 104, 37),
        Radio(IDC_RANGE_2_10, kTextRange2To10V, 34, 114, 37),
        Check(IDC_INVERT, kTextInvert, 34, 125, 34),
        Group("Status cool (Mc1)", 149, 18, 112, 71),
        Radio(IDC_MC1_OFF, kTextOff, 155, 28, 25),
        Radio(IDC_MC1_MANUAL, kTextManual, 155, 38, 39),
        Radio(IDC_MC1_AUTOMATIC, kTextAutomatic, 155, 48, 47),
        CentredLabel(kTextOut, 217, 58, 25),
        DisplayField(IDC_MC1_OUT, 215, 67),
        Group("Type cool", 149, 93, 112, 42),
        Radio(IDC_EXPANSION, "Expansion", 159, 105, 49),
        Radio(IDC_WATER_COOLING, "Water cooling", 159, 119, 60),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage2PropPage::CPage2PropPage() : CNodePage(IDD_PAGE_COOLING) {
    BindControls({IDC_MV2_OUT, IDC_MC1_OUT, IDC_INVERT});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
    OnStatusClicks(kMv2);
    OnStatusClicks(kMc1);
    OnClicked(IDC_RANGE_0_10, [this] { CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10); });
    OnClicked(IDC_RANGE_2_10, [this] { CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10); });
    OnClicked(IDC_EXPANSION, [this] { CheckOneOf(IDC_EXPANSION, IDC_WATER_COOLING); });
    OnClicked(IDC_WATER_COOLING, [this] { CheckOneOf(IDC_WATER_COOLING, IDC_EXPANSION); });
}

bool CPage2PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage2PropPage::Refresh() {
    const NvCodec codec;
    if (ReadBuffer buffer{}; ReadNv(NV_MV2_OUTPUT, buffer)) {
        ShowNumber(IDC_MV2_OUT, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_MC1_STATE, buffer)) {
        SetDlgItemText(IDC_MC1_OUT, codec.SignedByteOf(buffer[0]) != 0 ? kTextOn : kTextOff);
    }
}

void CPage2PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvBitCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        ShowNumber(IDC_MV2_IN, codec.HalfFromBytes(buffer[kMv2Word], buffer[kMv2Word + 1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        ShowStatus(kMv2, codec.MakeWord(buffer[kMv2Word], buffer[kMv2Word + 1]));
        ShowStatus(kMc1, codec.MakeWord(buffer[kMc1Word], buffer[kMc1Word + 1]));
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        if (TestPageBit(buffer, kTypeByte, kTypeBit)) {
            CheckOneOf(IDC_WATER_COOLING, IDC_EXPANSION);
        } else {
            CheckOneOf(IDC_EXPANSION, IDC_WATER_COOLING);
        }
        if (TestPageBit(buffer, kRangeByte, kMv2Bit)) {
            CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10);
        } else {
            CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10);
        }
        CheckDlgButton(IDC_INVERT, TestPageBit(buffer, kInvertByte, kMv2Bit));
    }
}

void CPage2PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvBitCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        buffer[kMv2Word] = 0;
        buffer[kMv2Word + 1] = codec.ScaledLowByte(FieldNumber(IDC_MV2_IN), 2);
        WriteNv(NV_MAN_VALUE3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        PutStatus(kMc1, buffer, kMc1Word);
        PutStatus(kMv2, buffer, kMv2Word);
        WriteNv(NV_OFF_MAN_AUTO3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        PutPageBit(buffer, kTypeByte, kTypeBit, IsDlgButtonChecked(IDC_WATER_COOLING));
        PutPageBit(buffer, kRangeByte, kMv2Bit, IsDlgButtonChecked(IDC_RANGE_2_10));
        PutPageBit(buffer, kInvertByte, kMv2Bit, IsDlgButtonChecked(IDC_INVERT));
        codec.MirrorBits(buffer);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage2PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    if (const auto enabled = EquipmentBit(kEquipmentBit)) {
        EnableControls({IDC_WATER_COOLING, IDC_EXPANSION, IDC_MV2_OUT, IDC_MV2_OFF, IDC_MV2_MANUAL,
                        IDC_MV2_AUTOMATIC, IDC_MC1_OUT, IDC_MC1_OFF, IDC_MC1_MANUAL,
                        IDC_MC1_AUTOMATIC, IDC_INVERT, IDC_RANGE_2_10, IDC_RANGE_0_10},
                       *enabled);
    }
    // Both status groups keep what OnRead showed: the node's status, not a forced Automatic.
}

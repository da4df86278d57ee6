#include "plugin/pages/CQMA7PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_OFF = 202;            // "Off": status code 0
constexpr int IDC_MANUAL = 260;         // "Manual": status code 1
constexpr int IDC_AUTOMATIC = 261;      // "Automatic": status code 2
constexpr int IDC_IN = 266;             // "In" %: manual position, enabled only in Manual
constexpr int IDC_OUT = 265;            // "Out" %: present output, refreshed
constexpr int IDC_RANGE_0_10 = 262;     // "0-10 V": range bit clear
constexpr int IDC_RANGE_2_10 = 263;     // "2-10 V": range bit set
constexpr int IDC_INVERT = 264;         // "Invert": inversion bit
constexpr int IDC_MIN_FRESH_AIR = 209;  // "Min. fresh air" %

const StatusGroup kMd4{IDC_OFF, IDC_MANUAL, IDC_AUTOMATIC, IDC_IN};

// Network variables and their bytes.
constexpr int NV_OUTPUT = 32;            // bytes 0-1: PercentFromBytes
constexpr std::size_t kMd4Word = 1;      // NV 25 and NV 26: bytes 1-2
constexpr int NV_OA_MIN_POS = 20;        // nciOAMinPos, bytes 0-1: 0.005 % steps
constexpr int kPart = 1;                 // configuration part 1 in NV 43
constexpr std::size_t kRangeByte = 14;   // page bit 5: set = 2-10 V
constexpr std::size_t kInvertByte = 16;  // page bit 5: set = Invert
constexpr int kMd4Bit = 5;
constexpr int kEquipmentBit = 2;  // EquipmentFlags byte 22: the page's settings enabled

}  // namespace

DialogTemplate RecirculationTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_RECIRCULATION);
    dialog.controls = {
        Group("Status recirculation (Md4)", 23, 18, 112, 71),
        Radio(IDC_OFF, kTextOff, 29, 28, 25),
        Radio(IDC_MANUAL, kTextManual, 29, 38, 39),
        Radio(IDC_AUTOMATIC, kTextAutomatic, 29, 48, 47),
        CentredLabel(kTextIn, 92, 26, 25),
        EditField(IDC_IN, 89, 35),
        Unit(kTextPercent, 124, 38),
        CentredLabel(kTextOut, 91, 57, 25),
        DisplayField(IDC_OUT, 89, 67),
        Unit(kTextPercent, 123, 70),
        Group("Settings recirculation (Md4)", 23, 93, 112, 49),
        Radio(IDC_RANGE_0_10, kTextRange0To10V, 34, 104, 37),
        Radio(IDC_RANGE_2_10, kTextRange2To10V, 34, 114, 37),
        Check(IDC_INVERT, kTextInvert, 34, 125, 34),
        Label("Min. fresh air", 155, 38, 46),
        EditField(IDC_MIN_FRESH_AIR, 205, 35),
        Unit(kTextPercent, 240, 38),
        Button(IDC_READ, kTextRead, 243, 179),
        Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

CQMA7PropPage::CQMA7PropPage() : CNodePage(IDD_PAGE_RECIRCULATION) {
    BindControls({IDC_OUT, IDC_INVERT, IDC_MIN_FRESH_AIR});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
    OnStatusClicks(kMd4);
    OnClicked(IDC_RANGE_0_10, [this] { CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10); });
    OnClicked(IDC_RANGE_2_10, [this] { CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10); });
}

bool CQMA7PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return true;
}

void CQMA7PropPage::Refresh() {
    ReadBuffer buffer{};
    if (ReadNv(NV_OUTPUT, buffer)) {
        ShowNumber(IDC_OUT, NvCodec().PercentFromBytes(buffer[0], buffer[1]), 0);
    }
}

void CQMA7PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvBitCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        ShowNumber(IDC_IN, codec.HalfFromBytes(buffer[kMd4Word], buffer[kMd4Word + 1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_OA_MIN_POS, buffer)) {
        ShowNumber(IDC_MIN_FRESH_AIR, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        ShowStatus(kMd4, codec.MakeWord(buffer[kMd4Word], buffer[kMd4Word + 1]));
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        if (TestPageBit(buffer, kRangeByte, kMd4Bit)) {
            CheckOneOf(IDC_RANGE_2_10, IDC_RANGE_0_10);
        } else {
            CheckOneOf(IDC_RANGE_0_10, IDC_RANGE_2_10);
        }
        CheckDlgButton(IDC_INVERT, TestPageBit(buffer, kInvertByte, kMd4Bit));
    }
}

void CQMA7PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvBitCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_MAN_VALUE3, buffer)) {
        buffer[kMd4Word] = 0;
        buffer[kMd4Word + 1] = codec.ScaledLowByte(FieldNumber(IDC_IN), 2);
        WriteNv(NV_MAN_VALUE3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_OA_MIN_POS, buffer)) {
        const double x = FieldNumber(IDC_MIN_FRESH_AIR);
        buffer[0] = codec.ScaledHighByte(x, 200);
        buffer[1] = codec.ScaledLowByte(x, 200);
        WriteNv(NV_OA_MIN_POS, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_OFF_MAN_AUTO3, buffer)) {
        PutStatus(kMd4, buffer, kMd4Word);
        WriteNv(NV_OFF_MAN_AUTO3, buffer, kLongLength);
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        codec.MirrorBits(buffer);
        PutPageBit(buffer, kRangeByte, kMd4Bit, IsDlgButtonChecked(IDC_RANGE_2_10));
        PutPageBit(buffer, kInvertByte, kMd4Bit, IsDlgButtonChecked(IDC_INVERT));
        codec.MirrorBits(buffer);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CQMA7PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    if (const auto enabled = EquipmentBit(kEquipmentBit)) {
        EnableControls({IDC_OFF, IDC_MANUAL, IDC_AUTOMATIC, IDC_RANGE_2_10, IDC_RANGE_0_10, IDC_OUT,
                        IDC_INVERT, IDC_MIN_FRESH_AIR},
                       *enabled);
    }
    // The status group keeps what OnRead showed: the node's status, not a forced Automatic.
}

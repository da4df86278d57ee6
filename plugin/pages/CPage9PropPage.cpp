#include "plugin/pages/CPage9PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_START_COOL = 249;     // "Start cool min open (Mv2)" %
constexpr int IDC_STOP_COOL = 248;      // "Stop cool min open (Mv2)" %
constexpr int IDC_DELAY_START = 246;    // "Delay start" min
constexpr int IDC_ACTUAL_DELAY = 247;   // "Actual delay" sec, refreshed
constexpr char kTextMinutes[] = "min";  // the unit of "Delay start"

// Network variables and their bytes.
constexpr int NV_START_COOL = 23;     // nciStartCool_Mc1, bytes 0-1: 0.005 % steps
constexpr int NV_STOP_COOL = 24;      // nciStopCool_Mc1, bytes 0-1: 0.005 % steps
constexpr int NV_DELAY_COOL_ON = 27;  // nciDelayCoolOn, bytes 0-1: whole minutes
constexpr int NV_ACTUAL_DELAY = 28;   // bytes 0-1: tenths of a second
constexpr int kEquipmentBit = 3;      // EquipmentFlags byte 22: the node has cooling
constexpr int kPart = 1;              // configuration part 1 in NV 43, read by the show handler
constexpr std::size_t kCoolingTypeByte = 2;  // page bit 5: set = water cooling
constexpr int kCoolingTypeBit = 5;
constexpr int kPercentScale = 200;

}  // namespace

DialogTemplate DelayCoolingTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_DELAY_COOLING);
    dialog.controls = {
        Group("Start cooling", 66, 19, 167, 99),
        Label("Start cool min open (Mv2)", 76, 36, 82),
        EditField(IDC_START_COOL, 176, 34),
        Unit(kTextPercent, 211, 36),
        Label("Stop cool min open (Mv2)", 75, 53, 82),
        EditField(IDC_STOP_COOL, 176, 51),
        Unit(kTextPercent, 211, 54),
        Group("Time before start", 69, 69, 159, 45),
        Label("Delay start", 81, 81, 34),
        EditField(IDC_DELAY_START, 175, 79),
        Unit(kTextMinutes, 210, 81),
        Label("Actual delay", 81, 97, 40),
        DisplayField(IDC_ACTUAL_DELAY, 175, 95),
        Unit(kTextSeconds, 210, 97),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage9PropPage::CPage9PropPage() : CNodePage(IDD_PAGE_DELAY_COOLING) {
    BindControls({IDC_START_COOL, IDC_STOP_COOL, IDC_DELAY_START, IDC_ACTUAL_DELAY});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage9PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage9PropPage::Refresh() {
    if (ReadBuffer buffer{}; ReadNv(NV_ACTUAL_DELAY, buffer)) {
        // Whole seconds: the tenths are dropped.
        ShowNumber(IDC_ACTUAL_DELAY, NvCodec().TenthsOf(buffer[0], buffer[1]), 0);
    }
}

void CPage9PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_START_COOL, buffer)) {
        ShowNumber(IDC_START_COOL, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_STOP_COOL, buffer)) {
        ShowNumber(IDC_STOP_COOL, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_DELAY_COOL_ON, buffer)) {
        ShowNumber(IDC_DELAY_START, codec.MakeWord(buffer[0], buffer[1]), 0);
    }
}

void CPage9PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_START_COOL, buffer)) {
        const double x = FieldNumber(IDC_START_COOL);
        buffer[0] = codec.ScaledHighByte(x, kPercentScale);
        buffer[1] = codec.ScaledLowByte(x, kPercentScale);
        WriteNv(NV_START_COOL, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_STOP_COOL, buffer)) {
        const double x = FieldNumber(IDC_STOP_COOL);
        buffer[0] = codec.ScaledHighByte(x, kPercentScale);
        buffer[1] = codec.ScaledLowByte(x, kPercentScale);
        WriteNv(NV_STOP_COOL, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; ReadNv(NV_DELAY_COOL_ON, buffer)) {
        const double x = FieldNumber(IDC_DELAY_START);
        buffer[0] = codec.HighByteOf(x);
        buffer[1] = codec.LowByteOf(x);
        WriteNv(NV_DELAY_COOL_ON, buffer, kWordLength);
    }
    OnRead();
}

void CPage9PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();

    // Two steps: a node without cooling disables the fields without touching the part
    // selector; with cooling, water cooling (part 1's cooling type) disables them too.
    const auto cooling = EquipmentBit(kEquipmentBit);
    if (!cooling) {
        return;
    }
    if (!*cooling) {
        EnableControls({IDC_STOP_COOL, IDC_START_COOL, IDC_DELAY_START, IDC_ACTUAL_DELAY}, false);
        return;
    }
    ReadBuffer buffer{};
    if (!PartCheck(kPart) || !ReadNv(NV_PLUGIN_CNF, buffer)) {
        return;
    }
    const NvBitCodec bits;
    bits.MirrorBits(buffer);
    const bool waterCooling = TestPageBit(buffer, kCoolingTypeByte, kCoolingTypeBit);
    EnableControls({IDC_STOP_COOL, IDC_START_COOL, IDC_DELAY_START, IDC_ACTUAL_DELAY},
                   !waterCooling);
}

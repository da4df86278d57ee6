#include "plugin/pages/CPage11PropPage.h"

#include <array>

#include "platform/crt/Clock.h"
#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls, row by row: the counter's field and its Reset button with the command it sends.
constexpr int IDC_VENTILATING = 210;         // "Ventilating": no Reset button
constexpr int IDC_MP2 = 217;                 // "Circulation pump heating surface (Mp2)"
constexpr int IDC_RESET_MP2 = 242;           // command 4
constexpr int IDC_MC1 = 218;                 // "Compressor/pump cooling surface (Mc1)"
constexpr int IDC_RESET_MC1 = 249;           // command 3
constexpr int IDC_MV3 = 219;                 // "Humidifier (Mv3)"
constexpr int IDC_RESET_MV3 = 248;           // command 2
constexpr int IDC_DEHUMIDIFIER = 220;        // "Dehumidifier"
constexpr int IDC_RESET_DEHUMIDIFIER = 245;  // command 1
constexpr char kTextReset[] = "Reset";       // the Reset buttons' caption

struct ResetButton {
    int button;
    std::uint8_t command;
};
constexpr ResetButton kResetButtons[] = {
    {IDC_RESET_MP2, 4},
    {IDC_RESET_MC1, 3},
    {IDC_RESET_MV3, 2},
    {IDC_RESET_DEHUMIDIFIER, 1},
};

// Network variables and their bytes; counters are unsigned words, high byte first.
constexpr std::size_t kVentilatingByte = 27;  // NV 0 (EquipmentFlags) bytes 27-28
struct Counter {
    int nv;
    int field;
};
constexpr Counter kCounters[] = {
    {41, IDC_MP2},
    {38, IDC_MC1},
    {40, IDC_MV3},
    {39, IDC_DEHUMIDIFIER},
};
constexpr int NV_RESET_COMMAND = 29;           // bytes 0-1: 0x00, the command; later 0x00 0x00
constexpr std::uint32_t kResetPauseMs = 2500;  // how long the node is given to see the command
constexpr int NV_HUMIDITY_INJECTION = 7;       // Bh2: the humidifier rows are enabled while present
constexpr int kEquipmentBit = 3;               // EquipmentFlags byte 22: Mc1 present
constexpr int kPart = 1;                       // configuration part 1 in NV 43
constexpr std::size_t kMp2Byte = 10;           // page bit 0: Mp2 present
constexpr int kMp2Bit = 0;

}  // namespace

// No positions are given for this page: it is laid out in the style of the others (labels left
// of their fields, group boxes around what belongs together), its controls in the order of its
// control table.
DialogTemplate RunningHoursTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_RUNNING_HOURS);
    dialog.controls = {
        Label("Ventilating", 20, 30, 130),
        DisplayField(IDC_VENTILATING, 160, 27),
        Label("Circulation pump heating surface (Mp2)", 20, 50, 130),
        DisplayField(IDC_MP2, 160, 47),
        Button(IDC_RESET_MP2, kTextReset, 200, 46),
        Label("Compressor/pump cooling surface (Mc1)", 20, 70, 130),
        DisplayField(IDC_MC1, 160, 67),
        Button(IDC_RESET_MC1, kTextReset, 200, 66),
        Label("Humidifier (Mv3)", 20, 90, 130),
        DisplayField(IDC_MV3, 160, 87),
        Button(IDC_RESET_MV3, kTextReset, 200, 86),
        Label(kTextDehumidifier, 20, 110, 130),
        DisplayField(IDC_DEHUMIDIFIER, 160, 107),
        Button(IDC_RESET_DEHUMIDIFIER, kTextReset, 200, 106),
    };
    return dialog;
}

CPage11PropPage::CPage11PropPage() : CNodePage(IDD_PAGE_RUNNING_HOURS) {
    BindControls({IDC_VENTILATING, IDC_MP2, IDC_MC1, IDC_MV3, IDC_DEHUMIDIFIER});
    for (const ResetButton& reset : kResetButtons) {
        OnClicked(reset.button, [this, reset] { OnReset(reset.button, reset.command); });
    }
}

bool CPage11PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage11PropPage::Refresh() {
    const NvCodec codec;
    if (ReadBuffer buffer{}; ReadNv(NV_EQUIPMENT_FLAGS, buffer)) {
        ShowNumber(IDC_VENTILATING,
                   codec.MakeWord(buffer[kVentilatingByte], buffer[kVentilatingByte + 1]), 0);
    }
    for (const Counter& counter : kCounters) {
        if (ReadBuffer buffer{}; ReadNv(counter.nv, buffer)) {
            ShowNumber(counter.field, codec.MakeWord(buffer[0], buffer[1]), 0);
        }
    }
}

void CPage11PropPage::OnReset(int button, std::uint8_t command) {
    WriteNv(NV_RESET_COMMAND, std::array<std::uint8_t, 2>{0x00, command});
    const Caption wait(*this, button, kTextWait, kTextReset);
    // Blocks the thread, timer ticks included: the counters are read again after the reset.
    platform::crt::Sleep(kResetPauseMs);
    WriteNv(NV_RESET_COMMAND, std::array<std::uint8_t, 2>{0x00, 0x00});
}

void CPage11PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    if (const auto present = HumidityPresent(NV_HUMIDITY_INJECTION)) {
        EnableControls({IDC_MV3, IDC_RESET_MV3, IDC_DEHUMIDIFIER, IDC_RESET_DEHUMIDIFIER},
                       *present);
    }
    if (const auto enabled = EquipmentBit(kEquipmentBit)) {
        EnableControls({IDC_MC1, IDC_RESET_MC1}, *enabled);
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        NvBitCodec().MirrorBits(buffer);
        EnableControls({IDC_MP2, IDC_RESET_MP2}, TestPageBit(buffer, kMp2Byte, kMp2Bit));
    }
}

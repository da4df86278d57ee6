#include "plugin/pages/CPage10PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"

namespace {

// Controls (display fields) and the state texts they show.
constexpr int IDC_REFRIGERATING = 280;           // "Refrigerating (Mc1)"
constexpr int IDC_THERMO_FAULT_PUMP = 281;       // "Thermo fault pump (Ff6)"
constexpr int IDC_FAULT_HUMIDIFIER = 282;        // "Fault humidifier (Ff8)"
constexpr int IDC_MAX_INJECTION_HUMIDITY = 212;  // "Max injection humidity (Ff7)"
const char* const kAlarmText = "Alarm";          // the bit is set
const char* const kOkText = "OK";                // the bit is clear

// Network variables, bytes and bits (bit 0 is the most significant, as the node sends it).
constexpr int NV_ALARMS = 19;  // byte 0: the alarm bits
struct AlarmBit {
    int field;
    int bit;
};
constexpr AlarmBit kAlarmBits[] = {
    {IDC_REFRIGERATING, 3},           // mask 0x10
    {IDC_THERMO_FAULT_PUMP, 2},       // mask 0x20
    {IDC_FAULT_HUMIDIFIER, 4},        // mask 0x08
    {IDC_MAX_INJECTION_HUMIDITY, 5},  // mask 0x04
};
constexpr int NV_HUMIDITY_INJECTION = 7;  // Bh2: the humidifier rows are enabled while present
constexpr int kEquipmentBit = 3;          // EquipmentFlags byte 22: Mc1 present
constexpr int kPart = 1;                  // configuration part 1 in NV 43
constexpr std::size_t kPumpByte = 10;     // page bit 0: the pump Ff6 monitors is present
constexpr int kPumpBit = 0;

}  // namespace

// No positions are given for this page: it is laid out in the style of the others (labels left
// of their fields, group boxes around what belongs together), its controls in the order of its
// control table.
DialogTemplate AlarmsTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_ALARMS);
    dialog.controls = {
        Group("Injection", 12, 20, 152, 84),
        Label("Refrigerating (Mc1)", 20, 38, 100),
        DisplayField(IDC_REFRIGERATING, 125, 35),
        Label("Thermo fault pump (Ff6)", 20, 54, 100),
        DisplayField(IDC_THERMO_FAULT_PUMP, 125, 51),
        Label("Fault humidifier (Ff8)", 20, 70, 100),
        DisplayField(IDC_FAULT_HUMIDIFIER, 125, 67),
        Label("Max injection humidity (Ff7)", 20, 86, 100),
        DisplayField(IDC_MAX_INJECTION_HUMIDITY, 125, 83),
        Group("Exhaust", 172, 20, 116, 84),
    };
    return dialog;
}

CPage10PropPage::CPage10PropPage() : CNodePage(IDD_PAGE_ALARMS) {
    BindControls({IDC_REFRIGERATING, IDC_THERMO_FAULT_PUMP, IDC_FAULT_HUMIDIFIER,
                  IDC_MAX_INJECTION_HUMIDITY});
}

bool CPage10PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage10PropPage::Refresh() {
    ReadBuffer buffer{};
    if (!ReadNv(NV_ALARMS, buffer)) {
        return;
    }
    const NvBitCodec bits;
    for (const AlarmBit& alarm : kAlarmBits) {
        SetDlgItemText(alarm.field, bits.TestBit(buffer[0], alarm.bit) != 0 ? kAlarmText : kOkText);
    }
}

void CPage10PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    if (const auto present = HumidityPresent(NV_HUMIDITY_INJECTION)) {
        EnableControls({IDC_FAULT_HUMIDIFIER, IDC_MAX_INJECTION_HUMIDITY}, *present);
    }
    if (const auto enabled = EquipmentBit(kEquipmentBit)) {
        EnableControls({IDC_REFRIGERATING}, *enabled);
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        NvBitCodec().MirrorBits(buffer);
        EnableControls({IDC_THERMO_FAULT_PUMP}, TestPageBit(buffer, kPumpByte, kPumpBit));
    }
}

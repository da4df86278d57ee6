#include "plugin/pages/CPage18PropPage.h"

#include <array>

#include "plugin/codec/NvCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls: hours, each an unsigned word of configuration part 6.
constexpr int IDC_PUMP_MC1 = 218;      // "Time before pump (Mc1)"
constexpr int IDC_VALVE_MV2 = 337;     // "Time before valve (Mv2)"
constexpr int IDC_PUMP_MP2 = 217;      // "Time before pump (Mp2)"
constexpr int IDC_VALVE_MV4 = 338;     // "Time before valve (Mv4)"
constexpr char kTextHours[] = "hour";  // their unit

struct Hours {
    int field;
    std::size_t byte;  // first byte of the word
};
// In the order in which they are read and written.
constexpr std::array<Hours, 4> kHours{
    {{IDC_PUMP_MP2, 11}, {IDC_VALVE_MV4, 13}, {IDC_PUMP_MC1, 15}, {IDC_VALVE_MV2, 17}}};

// Network variables.
constexpr int kPart = 6;               // configuration part 6 in NV 43, whole bytes
constexpr int kEquipmentBit = 3;       // EquipmentFlags byte 22: the cooling fields apply
constexpr int NV_SECONDARY_HEAT = 12;  // byte 0 non-zero: the secondary-heat fields apply

}  // namespace

DialogTemplate ExerciseTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_EXERCISE);
    dialog.controls = {
        Group(kTextCooling, 67, 23, 167, 49),
        Label("Time before pump (Mc1)", 78, 38, 82, 11),
        EditField(IDC_PUMP_MC1, 172, 34),
        Unit(kTextHours, 207, 38),
        Label("Time before valve (Mv2)", 77, 55, 81, 11),
        EditField(IDC_VALVE_MV2, 172, 50),
        Unit(kTextHours, 207, 53),
        Group(kTextSecondaryHeat, 67, 82, 167, 49),
        Label("Time before pump (Mp2)", 78, 97, 82, 11),
        EditField(IDC_PUMP_MP2, 172, 93),
        Unit(kTextHours, 207, 97),
        Label("Time before valve (Mv4)", 77, 114, 81, 11),
        EditField(IDC_VALVE_MV4, 172, 110),
        Unit(kTextHours, 207, 113),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage18PropPage::CPage18PropPage() : CNodePage(IDD_PAGE_EXERCISE) {
    BindControls({IDC_PUMP_MC1, IDC_VALVE_MV2, IDC_PUMP_MP2, IDC_VALVE_MV4});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage18PropPage::OnInitDialog() {
    OnRead();
    return false;
}

void CPage18PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Hours& hours : kHours) {
            ShowNumber(hours.field, codec.MakeWord(buffer[hours.byte], buffer[hours.byte + 1]), 0);
        }
    }
}

void CPage18PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        for (const Hours& hours : kHours) {
            const double x = FieldNumber(hours.field);
            buffer[hours.byte] = codec.HighByteOf(x);
            buffer[hours.byte + 1] = codec.LowByteOf(x);
        }
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage18PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    // Each circuit's fields follow their own test.
    if (const auto cooling = EquipmentBit(kEquipmentBit)) {
        EnableControls({IDC_PUMP_MC1, IDC_VALVE_MV2}, *cooling);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_SECONDARY_HEAT, buffer)) {
        EnableControls({IDC_PUMP_MP2, IDC_VALVE_MV4}, NvCodec().SignedByteOf(buffer[0]) != 0);
    }
}

#include "plugin/pages/CPage7PropPage.h"

#include "plugin/codec/NvCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_STEP_PRIMARY_HEAT = 286;  // "Step primary heat" %
constexpr int IDC_DELAY_STEP_TIME = 287;    // "Delay step time" sec
constexpr int IDC_SETPT_SECONDARY = 236;    // "Setpt secondary heat" %
constexpr int IDC_DB_SECONDARY = 288;       // "DB secondary heat" %
constexpr int IDC_ACTUAL_SECONDARY = 237;   // "Actual secondary heat" %, refreshed
constexpr int IDC_MAX_COOLING = 234;        // "Max cooling" %
constexpr int IDC_ACTUAL_COOLING = 235;     // "Actual cooling" %, refreshed

// Network variables and their bytes.
constexpr int NV_MAX_COOL = 14;                  // nciMaxCool, bytes 0-1: 0.005 % steps
constexpr int NV_COOLING = 21;                   // bytes 0-1: PercentFromBytes
constexpr int NV_SECONDARY_OUTPUT = 36;          // bytes 0-1: PercentFromBytes
constexpr int NV_SECONDARY_HEAT = 12;            // byte 0 non-zero: the page's fields enabled
constexpr int kPart = 5;                         // configuration part 5 in NV 43, whole bytes
constexpr std::size_t kStepPrimaryByte = 11;     // bytes 11-12: 0.005 % steps
constexpr std::size_t kSetptSecondaryByte = 13;  // bytes 13-14: 0.005 % steps
constexpr std::size_t kDbSecondaryByte = 15;     // bytes 15-16: 0.005 % steps
constexpr std::size_t kDelayStepByte = 17;       // bytes 17-18: tenths of a second
constexpr int kPercentScale = 200;
constexpr int kTenthsScale = 10;

}  // namespace

DialogTemplate DehumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_DEHUMIDIFIER);
    dialog.controls = {
        Group("Heat", 31, 24, 118, 117),
        Label("Step primary heat", 35, 38, 56),
        EditField(IDC_STEP_PRIMARY_HEAT, 95, 35),
        Unit(kTextPercent, 130, 38),
        Label("Delay step time", 35, 70, 49),
        EditField(IDC_DELAY_STEP_TIME, 95, 67),
        Unit(kTextSeconds, 130, 70),
        Label("Setpt secondary\nheat", 35, 81, 55, 16),
        EditField(IDC_SETPT_SECONDARY, 95, 85),
        Unit(kTextPercent, 130, 89),
        Label("DB secondary\nheat", 35, 98, 51, 19),
        EditField(IDC_DB_SECONDARY, 95, 103),
        Unit(kTextPercent, 130, 105),
        Label("Actual secondary\nheat", 35, 119, 56, 16),
        DisplayField(IDC_ACTUAL_SECONDARY, 95, 120),
        Unit(kTextPercent, 130, 122),
        Group(kTextCooling, 157, 24, 112, 46),
        Label("Max cooling", 162, 36, 39),
        EditField(IDC_MAX_COOLING, 215, 34),
        Unit(kTextPercent, 251, 37),
        Label("Actual cooling", 163, 54, 46),
        DisplayField(IDC_ACTUAL_COOLING, 215, 51),
        Unit(kTextPercent, 251, 54),
        Button(IDC_WRITE, kTextWrite, 243, 162),
        Button(IDC_READ, kTextRead, 243, 179),
    };
    return dialog;
}

CPage7PropPage::CPage7PropPage() : CNodePage(IDD_PAGE_DEHUMIDIFIER) {
    BindControls({IDC_STEP_PRIMARY_HEAT, IDC_DELAY_STEP_TIME, IDC_SETPT_SECONDARY, IDC_DB_SECONDARY,
                  IDC_ACTUAL_SECONDARY, IDC_MAX_COOLING, IDC_ACTUAL_COOLING});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage7PropPage::OnInitDialog() {
    Refresh();
    StartRefreshTimer();
    return false;
}

void CPage7PropPage::Refresh() {
    const NvCodec codec;
    if (ReadBuffer buffer{}; ReadNv(NV_COOLING, buffer)) {
        ShowNumber(IDC_ACTUAL_COOLING, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; ReadNv(NV_SECONDARY_OUTPUT, buffer)) {
        ShowNumber(IDC_ACTUAL_SECONDARY, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
}

void CPage7PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; ReadNv(NV_MAX_COOL, buffer)) {
        ShowNumber(IDC_MAX_COOLING, codec.PercentFromBytes(buffer[0], buffer[1]), 0);
    }
    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        const auto percentAt = [&](std::size_t at) {
            return codec.PercentFromBytes(buffer[at], buffer[at + 1]);
        };
        ShowNumber(IDC_STEP_PRIMARY_HEAT, percentAt(kStepPrimaryByte), 0);
        ShowNumber(IDC_SETPT_SECONDARY, percentAt(kSetptSecondaryByte), 0);
        ShowNumber(IDC_DB_SECONDARY, percentAt(kDbSecondaryByte), 0);
        // Whole seconds: the tenths are dropped.
        ShowNumber(IDC_DELAY_STEP_TIME,
                   codec.TenthsOf(buffer[kDelayStepByte], buffer[kDelayStepByte + 1]), 0);
    }
}

void CPage7PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (ModifyBuffer buffer{}; ReadNv(NV_MAX_COOL, buffer)) {
        const double x = FieldNumber(IDC_MAX_COOLING);
        buffer[0] = codec.ScaledHighByte(x, kPercentScale);
        buffer[1] = codec.ScaledLowByte(x, kPercentScale);
        WriteNv(NV_MAX_COOL, buffer, kWordLength);
    }
    if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        const auto put = [&](std::size_t at, int field, int scale) {
            const double x = FieldNumber(field);
            buffer[at] = codec.ScaledHighByte(x, scale);
            buffer[at + 1] = codec.ScaledLowByte(x, scale);
        };
        put(kStepPrimaryByte, IDC_STEP_PRIMARY_HEAT, kPercentScale);
        put(kSetptSecondaryByte, IDC_SETPT_SECONDARY, kPercentScale);
        put(kDbSecondaryByte, IDC_DB_SECONDARY, kPercentScale);
        put(kDelayStepByte, IDC_DELAY_STEP_TIME, kTenthsScale);
        WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
    }
    OnRead();
}

void CPage7PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    OnRead();
    if (ReadBuffer buffer{}; ReadNv(NV_SECONDARY_HEAT, buffer)) {
        EnableControls(
            {IDC_STEP_PRIMARY_HEAT, IDC_SETPT_SECONDARY, IDC_DELAY_STEP_TIME, IDC_DB_SECONDARY,
             IDC_ACTUAL_SECONDARY, IDC_MAX_COOLING, IDC_ACTUAL_COOLING},
            NvCodec().SignedByteOf(buffer[0]) != 0);
    }
}

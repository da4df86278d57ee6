#include "plugin/pages/CPage15PropPage.h"

#include "plugin/codec/NvCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls.
constexpr int IDC_P = 222;  // "P": one decimal
constexpr int IDC_I = 223;  // "I": whole number
constexpr int IDC_D = 224;  // "D": whole number

// Network variables and their bytes.
constexpr int kPart = 5;            // configuration part 5 in NV 43
constexpr std::size_t kPByte = 25;  // bytes 25-26: P in tenths
constexpr int kPScale = 10;
constexpr double kPStep = 0.1;
constexpr std::size_t kIByte = 27;        // bytes 27-28: I
constexpr std::size_t kDByte = 29;        // bytes 29-30: D
constexpr int NV_HUMIDITY_INJECTION = 7;  // Bh2: the loop's sensor; P, I, D enabled while present

}  // namespace

// No positions are given for this page: it is laid out in the style of the others (labels left
// of 31 x 12 fields, Write above Read at the bottom right).
DialogTemplate PidHumidifierTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_PID_HUMIDIFIER);
    dialog.controls = {
        Group(kTextHumidifier, 66, 20, 123, 66),
        Label("P", 89, 37, 20),
        EditField(IDC_P, 119, 34),
        Label("I", 89, 53, 20),
        EditField(IDC_I, 119, 50),
        Label("D", 89, 69, 20),
        EditField(IDC_D, 119, 66),
        Label(kTextPassword, 70, 104, 40),
        PasswordField(IDC_PASSWORD, 119, 102),
        Button(IDC_READ, kTextRead, 243, 179),
        Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

CPage15PropPage::CPage15PropPage() : CNodePage(IDD_PAGE_PID_HUMIDIFIER) {
    BindControls({IDC_P, IDC_I, IDC_D, IDC_PASSWORD});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

bool CPage15PropPage::OnInitDialog() {
    OnRead();
    return true;
}

void CPage15PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);
    const NvCodec codec;

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        ShowNumber(IDC_P, codec.MakeWord(buffer[kPByte], buffer[kPByte + 1]) * kPStep, 1);
        ShowNumber(IDC_I, codec.MakeWord(buffer[kIByte], buffer[kIByte + 1]), 0);
        ShowNumber(IDC_D, codec.MakeWord(buffer[kDByte], buffer[kDByte + 1]), 0);
    }
}

void CPage15PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);
    const NvCodec codec;

    if (PasswordAccepted()) {
        if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
            const double p = FieldNumber(IDC_P);
            buffer[kPByte] = codec.ScaledHighByte(p, kPScale);
            buffer[kPByte + 1] = codec.ScaledLowByte(p, kPScale);
            const double i = FieldNumber(IDC_I);
            buffer[kIByte] = codec.HighByteOf(i);
            buffer[kIByte + 1] = codec.LowByteOf(i);
            const double d = FieldNumber(IDC_D);
            buffer[kDByte] = codec.HighByteOf(d);
            buffer[kDByte + 1] = codec.LowByteOf(d);
            WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
        }
        OnRead();
    }
    SetDlgItemText(IDC_PASSWORD, "");
}

void CPage15PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (!show) {
        return;
    }
    if (const auto present = HumidityPresent(NV_HUMIDITY_INJECTION)) {
        EnableControls({IDC_P, IDC_I, IDC_D}, *present);
    }
}

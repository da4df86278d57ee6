#include "plugin/pages/CPage20PropPage.h"

#include "plugin/codec/NvBitCodec.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"

namespace {

// Controls: check boxes, one per mode.
constexpr int IDC_HVAC_HEAT = 274;         // "HVAC_HEAT"
constexpr int IDC_HVAC_MRNG_WRMUP = 275;   // "HVAC_MRNG_WRMUP"
constexpr int IDC_HVAC_COOL = 276;         // "HVAC_COOL"
constexpr int IDC_HVAC_NIGHT_PURGE = 277;  // "HVAC_NIGHT_PURGE"
constexpr int IDC_HVAC_FREE_COOL = 280;    // "HVAC_FREE_COOL"

// Check boxes and their mode bits. Bytes 5-6 of part 10 are a mask, byte 5 high: bit k stands
// for the SNVT_hvac_mode code k. Page bit n is the raw byte's bit of value 1 << n.
struct ModeBit {
    int check;
    std::size_t byte;
    int bit;
};
constexpr ModeBit kModes[] = {
    {IDC_HVAC_HEAT, 6, 1},         // code 1: byte 6, 0x02
    {IDC_HVAC_MRNG_WRMUP, 6, 2},   // code 2: byte 6, 0x04
    {IDC_HVAC_COOL, 6, 3},         // code 3: byte 6, 0x08
    {IDC_HVAC_NIGHT_PURGE, 6, 4},  // code 4: byte 6, 0x10
    {IDC_HVAC_FREE_COOL, 5, 2},    // code 10: byte 5, 0x04
};

constexpr int kPart = 10;  // configuration part 10 in NV 43

}  // namespace

// No positions are given for this page: it is laid out in the style of the others (Write above
// Read at the bottom right).
DialogTemplate ConfigHvacTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_CONFIG_HVAC);
    dialog.controls = {
        Check(IDC_HVAC_HEAT, "HVAC_HEAT", 80, 34, 100),
        Check(IDC_HVAC_MRNG_WRMUP, "HVAC_MRNG_WRMUP", 80, 48, 100),
        Check(IDC_HVAC_COOL, "HVAC_COOL", 80, 62, 100),
        Check(IDC_HVAC_NIGHT_PURGE, "HVAC_NIGHT_PURGE", 80, 76, 100),
        Check(IDC_HVAC_FREE_COOL, "HVAC_FREE_COOL", 80, 90, 100),
        Group("Genv", 66, 20, 130, 86),
        Label(kTextPassword, 70, 124, 40),
        PasswordField(IDC_PASSWORD, 119, 122),
        Button(IDC_READ, kTextRead, 243, 179),
        Button(IDC_WRITE, kTextWrite, 243, 162),
    };
    return dialog;
}

CPage20PropPage::CPage20PropPage() : CNodePage(IDD_PAGE_CONFIG_HVAC) {
    BindControls({IDC_HVAC_HEAT, IDC_HVAC_MRNG_WRMUP, IDC_HVAC_COOL, IDC_HVAC_NIGHT_PURGE,
                  IDC_HVAC_FREE_COOL, IDC_PASSWORD});
    OnClicked(IDC_READ, [this] { OnRead(); });
    OnClicked(IDC_WRITE, [this] { OnWrite(); });
}

void CPage20PropPage::OnRead() {
    const Caption wait(*this, IDC_READ, kTextWait, kTextRead);

    if (ReadBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
        NvBitCodec().MirrorBits(buffer);
        for (const ModeBit& mode : kModes) {
            CheckDlgButton(mode.check, TestPageBit(buffer, mode.byte, mode.bit));
        }
    }
}

void CPage20PropPage::OnWrite() {
    const Caption wait(*this, IDC_WRITE, kTextWait, kTextWrite);

    if (PasswordAccepted()) {
        if (ModifyBuffer buffer{}; PartCheck(kPart) && ReadNv(NV_PLUGIN_CNF, buffer)) {
            const NvBitCodec bits;
            bits.MirrorBits(buffer);
            for (const ModeBit& mode : kModes) {
                PutPageBit(buffer, mode.byte, mode.bit, IsDlgButtonChecked(mode.check));
            }
            bits.MirrorBits(buffer);
            WriteNv(NV_PLUGIN_CNF, buffer, kLongLength);
        }
        OnRead();
    }
    SetDlgItemText(IDC_PASSWORD, "");
}

void CPage20PropPage::OnShowWindow(bool show, unsigned status) {
    CNodePage::OnShowWindow(show, status);
    if (show) {
        // Unsaved changes to the boxes give way to what the node holds now.
        OnRead();
    }
}

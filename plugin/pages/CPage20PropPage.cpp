#include "plugin/pages/CPage20PropPage.h"

#include "plugin/codec/NvBitCodec.h"

namespace {

// Check boxes and their mode bits. Bytes 5-6 of part 10 are a mask, byte 5 high: bit k stands
// for the SNVT_hvac_mode code k. Page bit n is the raw byte's bit of value 1 << n.
struct ModeBit {
    int check;
    std::size_t byte;
    int bit;
};
constexpr ModeBit kModes[] = {
    {274, 6, 1},  // "HVAC_HEAT", code 1: byte 6, 0x02
    {275, 6, 2},  // "HVAC_MRNG_WRMUP", code 2: byte 6, 0x04
    {276, 6, 3},  // "HVAC_COOL", code 3: byte 6, 0x08
    {277, 6, 4},  // "HVAC_NIGHT_PURGE", code 4: byte 6, 0x10
    {280, 5, 2},  // "HVAC_FREE_COOL", code 10: byte 5, 0x04
};

constexpr int kPart = 10;  // configuration part 10 in NV 43

}  // namespace

CPage20PropPage::CPage20PropPage() : CNodePage(216) {
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

#include "plugin/pages/NodePage.h"

#include "platform/crt/CRuntime.h"
#include "platform/crt/Clock.h"
#include "platform/ui/MessageBox.h"
#include "plugin/codec/NvBitCodec.h"
#include "plugin/shell/CSheet.h"

const char* const kPassword = "Talvik";
const char* const kWrongPassword = "Wrong Password";

namespace {
constexpr std::size_t kEquipmentByte = 22;
// A humidity reading outside (5 %, 90 %] means the sensor is absent.
constexpr double kHumidityAbsentAtOrBelow = 5.0;
constexpr double kHumidityAbsentAbove = 90.0;
}  // namespace

CNodePage::CNodePage(int resourceId)
    : CPropertyPage(DialogResource(resourceId), std::string(StringResource(resourceId))) {}

void CNodePage::OnTimer(unsigned /*id*/) {
    Refresh();
}

void CNodePage::OnControlsCreated() {
    for (const int field : m_manualFields) {
        EnableDlgItem(field, false);
    }
}

void CNodePage::StartRefreshTimer() {
    SetTimer(kRefreshTimer, kRefreshPeriodMs);
}

CSheet* CNodePage::Sheet() const {
    return static_cast<CSheet*>(GetParent());
}

bool CNodePage::ReadNv(int nv, std::span<std::uint8_t> buffer) const {
    INvRead* read = Sheet()->m_pNvRead.Get();
    return read != nullptr &&
           read->ReadNv(nv, buffer.data(), static_cast<std::int32_t>(buffer.size())) == 0;
}

bool CNodePage::WriteNv(int nv, std::span<const std::uint8_t> data) const {
    INvWrite* write = Sheet()->m_pNvWrite.Get();
    return write != nullptr &&
           write->WriteNv(nv, data.data(), static_cast<std::int32_t>(data.size())) == 0;
}

bool CNodePage::WriteNv(int nv, std::span<const std::uint8_t> buffer, std::int32_t length) const {
    return WriteNv(nv, buffer.first(static_cast<std::size_t>(length)));
}

std::optional<std::string> CNodePage::ReadNodeName(std::size_t bufferSize) const {
    INvRead* read = Sheet()->m_pNvRead.Get();
    std::string buffer(bufferSize, '\0');
    if (read == nullptr ||
        read->ReadNodeName(buffer.data(), static_cast<std::int32_t>(bufferSize)) != 0) {
        return std::nullopt;
    }
    // A name that fills the whole buffer has no NUL: it ends with the buffer.
    return buffer.substr(0, buffer.find('\0'));
}

int CNodePage::CurrentPart() const {
    ReadBuffer buffer{};
    if (!ReadNv(NV_PART_SELECTOR, buffer)) {
        return 0;
    }
    return NvCodec().MakeWord(buffer[0], buffer[1]);
}

bool CNodePage::SelectPart(int part) const {
    const NvCodec codec;
    platform::crt::Sleep(kSelectPauseMs);
    const std::array<std::uint8_t, 2> selector{codec.HighByteOf(part), codec.LowByteOf(part)};
    const bool written = WriteNv(NV_PART_SELECTOR, selector);
    platform::crt::Sleep(kSelectPauseMs);
    return written;
}

bool CNodePage::PartCheck(int part) const {
    return CurrentPart() == part || SelectPart(part);
}

CNodePage::Caption::Caption(CNodePage& page, int id, const char* during, const char* after)
    : m_page(page), m_id(id), m_after(after) {
    m_page.SetDlgItemText(m_id, during);
}

CNodePage::Caption::~Caption() {
    m_page.SetDlgItemText(m_id, m_after);
}

void CNodePage::OnOff(const StatusGroup& group) {
    CheckDlgButton(group.off, true);
    CheckDlgButton(group.manual, false);
    CheckDlgButton(group.automatic, false);
    if (group.manualField != 0) {
        EnableDlgItem(group.manualField, false);
    }
}

void CNodePage::OnManual(const StatusGroup& group) {
    CheckDlgButton(group.manual, true);
    CheckDlgButton(group.off, false);
    CheckDlgButton(group.automatic, false);
    if (group.manualField != 0) {
        EnableDlgItem(group.manualField, true);
    }
}

void CNodePage::OnAutomatic(const StatusGroup& group) {
    CheckDlgButton(group.automatic, true);
    CheckDlgButton(group.off, false);
    CheckDlgButton(group.manual, false);
    if (group.manualField != 0) {
        EnableDlgItem(group.manualField, false);
    }
}

void CNodePage::ShowStatus(const StatusGroup& group, int code) {
    switch (code) {
        case 0:
            OnOff(group);
            break;
        case 1:
            OnManual(group);
            break;
        case 2:
            OnAutomatic(group);
            break;
        default:
            break;
    }
}

std::optional<int> CNodePage::CheckedStatus(const StatusGroup& group) const {
    // Tested in this order; a later match replaces an earlier one.
    std::optional<int> code;
    if (IsDlgButtonChecked(group.off)) {
        code = 0;
    }
    if (IsDlgButtonChecked(group.manual)) {
        code = 1;
    }
    if (IsDlgButtonChecked(group.automatic)) {
        code = 2;
    }
    return code;
}

void CNodePage::PutStatus(const StatusGroup& group, std::span<std::uint8_t> buffer,
                          std::size_t at) const {
    if (const auto code = CheckedStatus(group)) {
        const NvCodec codec;
        buffer[at] = codec.HighByteOf(*code);
        buffer[at + 1] = codec.LowByteOf(*code);
    }
}

void CNodePage::OnStatusClicks(const StatusGroup& group) {
    OnClicked(group.off, [this, group] { OnOff(group); });
    OnClicked(group.manual, [this, group] { OnManual(group); });
    OnClicked(group.automatic, [this, group] { OnAutomatic(group); });
    if (group.manualField != 0) {
        BindControls({group.manualField});
        m_manualFields.push_back(group.manualField);
    }
}

void CNodePage::CheckOneOf(int on, int off) {
    CheckDlgButton(on, true);
    CheckDlgButton(off, false);
}

bool CNodePage::TestPageBit(std::span<const std::uint8_t> mirrored, std::size_t byte, int bit) {
    return NvBitCodec().TestBit(mirrored[byte], bit) != 0;
}

void CNodePage::PutPageBit(std::span<std::uint8_t> mirrored, std::size_t byte, int bit, bool set) {
    const NvBitCodec bits;
    mirrored[byte] = set ? bits.SetBit(mirrored[byte], bit) : bits.ClearBit(mirrored[byte], bit);
}

void CNodePage::EnableControls(std::initializer_list<int> ids, bool enable) {
    for (const int id : ids) {
        EnableDlgItem(id, enable);
    }
}

double CNodePage::FieldNumber(int id) const {
    return platform::crt::Atof(GetDlgItemText(id));
}

void CNodePage::ShowNumber(int id, double value, int decimals) {
    SetDlgItemText(id, platform::crt::FormatFixed(value, decimals));
}

std::optional<bool> CNodePage::EquipmentBit(int bit) const {
    ModifyBuffer buffer{};
    if (!ReadNv(NV_EQUIPMENT_FLAGS, std::span(buffer).first(kReadSize))) {
        return std::nullopt;
    }
    const NvBitCodec bits;
    bits.MirrorBits(buffer);
    return bits.TestBit(buffer[kEquipmentByte], bit) != 0;
}

std::optional<bool> CNodePage::HumidityPresent(int nv) const {
    ReadBuffer buffer{};
    if (!ReadNv(nv, buffer)) {
        return std::nullopt;
    }
    const double v = NvCodec().PercentFromBytes(buffer[0], buffer[1]);
    return v > kHumidityAbsentAtOrBelow && v <= kHumidityAbsentAbove;
}

bool CNodePage::PasswordAccepted() {
    if (GetDlgItemText(IDC_PASSWORD) == kPassword) {
        return true;
    }
    AfxMessageBox(kWrongPassword, MB_OK);
    return false;
}

#include "plugin/settingsfile/NodeSettingsWriter.h"

#include "plugin/codec/NvTextCodec.h"
#include "plugin/settingsfile/ProgramId.h"
#include "plugin/settingsfile/SettingsItem.h"

namespace settingsfile {

namespace {

// The header block: titles padded to one width, each followed by its value line.
constexpr std::size_t kTitleWidth = 43;
constexpr std::size_t kRuleLength = 41;
constexpr char kRuleChar = '/';
constexpr std::string_view kExportedFrom = "/ Exported from";
constexpr std::string_view kProgramIdTitle = "/ Program ID";
constexpr std::string_view kNodenameTitle = "/ Nodename";
constexpr std::string_view kTimestampTitle = "/ Export timestamp";
constexpr std::string_view kDataTitle = "/ Network variable data ";
constexpr std::string_view kValuePrefix = "- ";
constexpr char kReplacement = '?';

std::string Padded(std::string_view title) {
    std::string line(title);
    line.resize(kTitleWidth, ' ');
    return line;
}

std::string Printable(std::string_view name) {
    std::string text(name);
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = kReplacement;
        }
    }
    return text;
}

}  // namespace

NodeSettingsWriter::NodeSettingsWriter(std::string_view nodeName) {
    const NvTextCodec codec;
    std::string rule(kRuleLength, kRuleChar);
    AddLine(Padded(rule));
    AddLine(Padded(kExportedFrom));
    AddLine(Padded(kProgramIdTitle));
    AddLine(std::string(kValuePrefix).append(kProgramId));
    AddLine(Padded(kNodenameTitle));
    AddLine(std::string(kValuePrefix).append(Printable(nodeName)));
    AddLine(Padded(kTimestampTitle));
    // DateStamp ends with a blank of its own: date and time stand two blanks apart.
    AddLine(std::string(kValuePrefix) + codec.DateStamp() + " " + codec.TimeStamp());
    AddLine("");
    AddLine(kDataTitle);
    AddLine("");
}

void NodeSettingsWriter::AddValue(std::span<const std::uint8_t> bytes) {
    if (m_next >= kFileItems.size()) {
        return;
    }
    const FileItem& item = kFileItems[m_next++];
    AddLine(item.HeaderLine());
    AddLine(item.item->ValueLine(bytes));
    AddLine("");
}

void NodeSettingsWriter::AddUnreadable() {
    if (m_next >= kFileItems.size()) {
        return;
    }
    AddLine(kFileItems[m_next++].HeaderLine());
    ++m_unreadable;
}

void NodeSettingsWriter::AddLine(std::string_view line) {
    m_text.append(line);
    m_text += '\n';
}

}  // namespace settingsfile

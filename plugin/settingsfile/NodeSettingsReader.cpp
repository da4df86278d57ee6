#include "plugin/settingsfile/NodeSettingsReader.h"

#include "plugin/settingsfile/ProgramId.h"

namespace settingsfile {

namespace {

constexpr char kProgramIdMark = '-';
constexpr char kItemMark = '*';
constexpr char kCommentMark = '/';
// The program ID starts at a line's third character.
constexpr std::size_t kProgramIdOffset = 2;
// An item's name starts at the third character and ends at the first space at or after the
// fourth.
constexpr std::size_t kNameOffset = 2;
constexpr std::size_t kNameEndSearch = 3;

bool StartsNumber(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

// A line after an item header that cannot be its value: another header or comment, a
// program ID or name line ("-" and no number after it). "-1, 0, ..." is a value.
bool IsNoValueLine(std::string_view line) {
    if (line.empty()) {
        return false;
    }
    switch (line[0]) {
        case kItemMark:
        case kCommentMark:
            return true;
        case kProgramIdMark:
            return line.size() < 2 || !StartsNumber(line[1]);
        default:
            return false;
    }
}

}  // namespace

void NodeSettingsReader::Feed(std::string_view bytes) {
    if (m_finished) {
        return;
    }
    for (const char c : bytes) {
        Take(c);
    }
}

void NodeSettingsReader::Finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    // A CR as the file's last byte ends the last line as CR LF would.
    if (m_pendingCr || m_length > 0) {
        m_pendingCr = false;
        EndLine();
    }
    if (m_awaitingValue) {
        SkipPendingItem();
    }
}

void NodeSettingsReader::Take(char c) {
    if (m_pendingCr) {
        m_pendingCr = false;
        if (c == '\n') {
            EndLine();
            return;
        }
        Append('\r');  // a CR not followed by LF is an ordinary character
    }
    if (c == '\r') {
        m_pendingCr = true;
    } else if (c == '\n') {
        EndLine();
    } else {
        Append(c);
    }
}

void NodeSettingsReader::Append(char c) {
    ++m_length;
    // What lies beyond the longest line that can be used only needs counting.
    if (m_line.size() < kMaxValueLine) {
        m_line += c;
    }
}

void NodeSettingsReader::EndLine() {
    if (m_awaitingValue) {
        HandleValueLine(m_line, m_length);
    } else {
        HandleLine(m_line, m_length);
    }
    m_line.clear();
    m_length = 0;
}

void NodeSettingsReader::HandleLine(std::string_view line, std::size_t length) {
    if (length > kMaxLine || line.empty()) {
        return;
    }
    if (line[0] == kProgramIdMark) {
        if (line.size() == kProgramIdOffset + kProgramId.size()) {
            const std::string_view programId = line.substr(kProgramIdOffset);
            m_accepted = programId == kProgramId || m_sink.AcceptForeignProgramId(programId);
        }
        return;
    }
    if (line[0] == kItemMark && m_accepted) {
        const std::size_t end = line.find(' ', kNameEndSearch);
        const std::string_view name = end == std::string_view::npos
                                          ? std::string_view{}
                                          : line.substr(kNameOffset, end - kNameOffset);
        m_item = FindItem(name);
        m_itemPart = m_item != nullptr && m_item->isPart ? ++m_parts : 0;
        m_awaitingValue = true;
    }
}

void NodeSettingsReader::HandleValueLine(std::string_view line, std::size_t length) {
    const bool tooLong = length > kMaxValueLine;
    if (tooLong || IsNoValueLine(line)) {
        SkipPendingItem();
        // Too long a line is consumed whole; any other is read as a line of its own.
        if (!tooLong) {
            HandleLine(line, length);
        }
        return;
    }
    const SettingsItem* item = m_item;
    const int part = m_itemPart;
    m_awaitingValue = false;
    m_item = nullptr;
    if (item == nullptr) {
        return;  // an unknown item's value line
    }
    const ItemBytes bytes = item->BytesOf(line);
    if (item->isPart) {
        m_sink.WritePart(part, bytes.Span());
    } else {
        m_sink.WriteItem(*item, bytes.Span());
    }
}

void NodeSettingsReader::SkipPendingItem() {
    const SettingsItem* item = m_item;
    const int part = m_itemPart;
    m_awaitingValue = false;
    m_item = nullptr;
    if (item != nullptr) {
        m_sink.ItemWithoutValue(*item, part);
    }
}

bool ReadNodeSettings(std::string_view text, NodeSettingsSink& sink) {
    NodeSettingsReader reader(sink);
    reader.Feed(text);
    reader.Finish();
    return reader.Accepted();
}

}  // namespace settingsfile

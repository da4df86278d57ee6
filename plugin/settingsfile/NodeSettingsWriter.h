#pragma once
// Builds the text of a node settings file in memory, with LF line ends: the header block
// (program ID, node name, date and time) when constructed, then the 26 items in file order as
// the export reads them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace settingsfile {

class NodeSettingsWriter {
  public:
    // Builds the header block now, with the current clock's local date and time. Characters
    // of nodeName below 0x20 and 0x7F become "?", so that the name stays on its line.
    explicit NodeSettingsWriter(std::string_view nodeName);

    // The next item of kFileItems (in that order): the bytes read from its NV (at least the
    // item's size; bytes beyond it are ignored) give its header, value and empty line.
    void AddValue(std::span<const std::uint8_t> bytes);
    // The next item could not be read: its header line only.
    void AddUnreadable();

    // Items added so far (calls beyond the 26th add nothing).
    std::size_t ItemCount() const { return m_next; }
    int UnreadableCount() const { return m_unreadable; }
    // The file's text so far, lines ended by LF.
    const std::string& Text() const { return m_text; }

  private:
    void AddLine(std::string_view line);

    std::string m_text;
    std::size_t m_next = 0;
    int m_unreadable = 0;
};

}  // namespace settingsfile

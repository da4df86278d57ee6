#pragma once
// Reads a node settings file line by line and applies it to a NodeSettingsSink. Bytes come in
// chunks of any size; CR LF and a bare LF end a line. Memory stays bounded whatever the
// file holds, and every byte is consumed: the reader always reaches the end.
//
// Rules:
// - A line that begins with "-" and has exactly 23 characters after its second is a program
//   ID line: ours accepts the items that follow; another asks the sink.
// - While accepted, a line that begins with "*" is an item header; the item's name runs from
//   its third character to the first space at or after its fourth. The next line is its
//   value line, unless it begins with "*", "/", or "-" not followed by a digit or ".", is
//   longer than 114 characters, or the file ends: then the item has no value and that line
//   (unless it was too long) is read as a line of its own. This holds for unknown names too,
//   which are skipped with their value line and never reported.
// - Any line longer than 99 characters (114 for a value line) is consumed whole and ignored.
// - Every other line is ignored.

#include <cstddef>
#include <string>
#include <string_view>

#include "plugin/settingsfile/NodeSettingsSink.h"

namespace settingsfile {

class NodeSettingsReader {
  public:
    static constexpr std::size_t kMaxLine = 99;
    static constexpr std::size_t kMaxValueLine = 114;

    explicit NodeSettingsReader(NodeSettingsSink& sink) : m_sink(sink) {}

    // The file's next bytes.
    void Feed(std::string_view bytes);
    // The end of the file: ends the last line and an item still waiting for its value.
    // Feeding after Finish starts nothing new; a second Finish does nothing.
    void Finish();

    // Whether items were accepted at the point reached (at the end: the import's result).
    bool Accepted() const { return m_accepted; }
    // nviPluginCnf items met while accepted, with or without a value.
    int PartCount() const { return m_parts; }

  private:
    void Take(char c);
    void Append(char c);
    void EndLine();
    void HandleLine(std::string_view line, std::size_t length);
    void HandleValueLine(std::string_view line, std::size_t length);
    void SkipPendingItem();

    NodeSettingsSink& m_sink;
    std::string m_line;        // the current line's first kMaxValueLine + 1 characters
    std::size_t m_length = 0;  // the current line's full length
    bool m_pendingCr = false;  // a CR that ends the line if an LF follows
    bool m_finished = false;
    bool m_accepted = false;
    int m_parts = 0;
    // An item header was read: the next line is its value line.
    bool m_awaitingValue = false;
    const SettingsItem* m_item = nullptr;  // nullptr for an unknown name
    int m_itemPart = 0;
};

// Reads a whole file held in memory; the result is Accepted() at its end.
bool ReadNodeSettings(std::string_view text, NodeSettingsSink& sink);

}  // namespace settingsfile

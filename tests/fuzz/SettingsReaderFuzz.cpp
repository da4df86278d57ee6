// The settings file reader on any bytes: it ends, never crashes, gives the same result however
// the file is cut into chunks, and writes only values that came whole from one value line: each
// write is the decoding of a line that follows an item header, after a program ID line, in file
// order. nviPluginCnf items are numbered 1, 2, ... in the order they are met.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/settingsfile/NodeSettingsReader.h"
#include "plugin/settingsfile/SettingsItem.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using settingsfile::ItemBytes;
using settingsfile::NodeSettingsReader;
using settingsfile::SettingsItem;

constexpr FuzzCheck Check{"settings reader"};

struct Event {
    enum class Kind { Ask, Write, Missing } kind;
    const SettingsItem* item = nullptr;
    int part = 0;
    ItemBytes bytes;
    std::string programId;

    bool operator==(const Event& other) const {
        return kind == other.kind && item == other.item && part == other.part &&
               bytes == other.bytes && programId == other.programId;
    }
};

// Records every call; foreign program IDs are accepted on every other question.
class Recorder final : public settingsfile::NodeSettingsSink {
  public:
    std::vector<Event> events;

    bool AcceptForeignProgramId(std::string_view programId) override {
        events.push_back({Event::Kind::Ask, nullptr, 0, {}, std::string(programId)});
        return ++m_questions % 2 == 1;
    }
    void WriteItem(const SettingsItem& item, std::span<const std::uint8_t> bytes) override {
        Check(!item.isPart && bytes.size() == item.size, "an item written with a wrong size");
        events.push_back({Event::Kind::Write, &item, 0, Copy(bytes), {}});
    }
    void WritePart(int part, std::span<const std::uint8_t> bytes) override {
        Check(bytes.size() == settingsfile::kPluginCnf.size, "a part written with a wrong size");
        events.push_back({Event::Kind::Write, &settingsfile::kPluginCnf, part, Copy(bytes), {}});
    }
    void ItemWithoutValue(const SettingsItem& item, int part) override {
        events.push_back({Event::Kind::Missing, &item, part, {}, {}});
    }

  private:
    static ItemBytes Copy(std::span<const std::uint8_t> bytes) {
        ItemBytes copy;
        copy.size = bytes.size();
        for (std::size_t i = 0; i < bytes.size() && i < copy.data.size(); ++i) {
            copy.data[i] = bytes[i];
        }
        return copy;
    }
    int m_questions = 0;
};

// The lines as a text-mode stream gives them: LF ends a line and a CR right before it (or at
// the very end of the file) is dropped; an empty rest after the last LF is no line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

bool IsProgramIdLine(std::string_view line) {
    return line.size() == 25 && line[0] == '-';
}

// The name of an item header: from the third character to the first space at or after the
// fourth.
std::string_view HeaderName(std::string_view header) {
    const std::size_t end = header.find(' ', 3);
    return end == std::string_view::npos ? std::string_view{} : header.substr(2, end - 2);
}

// A line that may serve as the value of item, after the line header.
bool CanBeValue(const SettingsItem& item, std::string_view header, std::string_view line) {
    if (!header.starts_with('*') || header.size() > NodeSettingsReader::kMaxLine ||
        HeaderName(header) != item.Name() || line.size() > NodeSettingsReader::kMaxValueLine) {
        return false;
    }
    if (line.starts_with('*') || line.starts_with('/')) {
        return false;
    }
    return !line.starts_with('-') ||
           (line.size() > 1 && ((line[1] >= '0' && line[1] <= '9') || line[1] == '.'));
}

std::vector<Event> ReadWhole(std::string_view text) {
    Recorder sink;
    NodeSettingsReader reader(sink);
    reader.Feed(text);
    reader.Finish();
    reader.Finish();  // a second end changes nothing
    return sink.events;
}

std::vector<Event> ReadInChunks(std::string_view text) {
    Recorder sink;
    NodeSettingsReader reader(sink);
    // Chunk lengths from the text itself, so that a finding replays exactly.
    std::uint32_t state = static_cast<std::uint32_t>(text.size()) * 2654435761u + 1;
    for (std::size_t at = 0; at < text.size();) {
        state = state * 1103515245u + 12345u;
        const std::size_t n = 1 + (state >> 16) % 97;
        reader.Feed(text.substr(at, n));
        at += n;
    }
    reader.Finish();
    reader.Feed("- 90 51 4D 41 37 5F 31 6A\n* nciDelayCoolOn \n5\n");  // after the end: ignored
    reader.Finish();
    return sink.events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<Event> events = ReadWhole(text);
    Check(ReadInChunks(text) == events, "chunks give another result than the whole file");

    const std::vector<std::string_view> lines = Lines(text);
    std::size_t next = 1;  // the earliest line that the next write may come from
    bool programIdSeen = false;
    std::size_t programIdLine = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsProgramIdLine(lines[i])) {
            programIdSeen = true;
            programIdLine = i;
            break;
        }
    }
    int parts = 0;
    for (const Event& event : events) {
        if (event.kind == Event::Kind::Ask) {
            continue;
        }
        Check(programIdSeen, "an item taken from a file without a program ID line");
        if (event.item->isPart) {
            Check(event.part == ++parts, "parts not numbered in file order");
        } else {
            Check(event.part == 0, "a configuration item with a part number");
        }
        if (event.kind == Event::Kind::Missing) {
            continue;
        }
        next = std::max(next, programIdLine + 2);
        while (next < lines.size() && !(CanBeValue(*event.item, lines[next - 1], lines[next]) &&
                                        event.item->BytesOf(lines[next]) == event.bytes)) {
            ++next;
        }
        Check(next < lines.size(), "a value written that came whole from no value line");
        ++next;  // a line is the value of one item only
    }
    return 0;
}

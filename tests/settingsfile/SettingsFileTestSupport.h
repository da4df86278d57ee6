#pragma once
// Shared helpers of the settings file tests: a sink that records what a file does to the
// node, and hex texts.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/text/Hex.h"
#include "plugin/settingsfile/NodeSettingsSink.h"
#include "tests/support/Files.h"

namespace settingsfile::test {

inline std::string Hex(std::span<const std::uint8_t> bytes) {
    return host::FormatHex(bytes);
}

// Records every call as one line of text: "nv 1 36B0", "part 3 <hex>", "missing nciMaxCool 0",
// "ask <program id>".
class RecordingSink : public NodeSettingsSink {
  public:
    std::vector<std::string> events;
    // Answers to the program ID question, in turn; false once they run out.
    std::vector<bool> answers;

    bool AcceptForeignProgramId(std::string_view programId) override {
        events.push_back("ask " + std::string(programId));
        const bool answer = m_asked < answers.size() && answers[m_asked];
        ++m_asked;
        return answer;
    }
    void WriteItem(const SettingsItem& item, std::span<const std::uint8_t> bytes) override {
        events.push_back("nv " + std::to_string(item.nv) + " " + Hex(bytes));
    }
    void WritePart(int part, std::span<const std::uint8_t> bytes) override {
        events.push_back("part " + std::to_string(part) + " " + Hex(bytes));
    }
    void ItemWithoutValue(const SettingsItem& item, int part) override {
        events.push_back("missing " + std::string(item.Name()) + " " + std::to_string(part));
    }

  private:
    std::size_t m_asked = 0;
};

}  // namespace settingsfile::test

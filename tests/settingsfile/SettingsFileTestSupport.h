#pragma once
// Shared helpers of the settings file tests: a sink that records what a file does to the
// node, the built-in factory node's values, hex texts and a scratch folder.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/settingsfile/NodeSettingsSink.h"

namespace settingsfile::test {

inline std::string Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

inline std::vector<std::uint8_t> FromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
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

// The built-in factory node's configuration items, in file order: NV and its first bytes.
struct NodeValue {
    int nv;
    std::string_view hex;
};
inline constexpr NodeValue kFactoryNodeItems[] = {
    {1, "36B0"},
    {2, "2EE0"},
    {3, "2328"},
    {4, "0320"},
    {5, "4268"},
    {11, "0032"},
    {13, "012C"},
    {14, "4E20"},
    {20, "3A98"},
    {23, "07D0"},
    {24, "03E8"},
    {25, "00000200020002000200020002000200020002000200020002000200000000"},
    {26, "00003200320032003200000000000000000000000000000000000000000000"},
    {27, "0005"},
};

// A folder of its own, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(std::string_view name) const { return (m_path / name).string(); }
    // The names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

}  // namespace settingsfile::test

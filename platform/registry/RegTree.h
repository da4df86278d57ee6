#pragma once
// The keys and values under HKEY_CLASSES_ROOT in memory, and their text in the .reg format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\CLSID\{...}\Node\TestID]
//   @="%1"
//   "Count"=dword:0000002a
//
// Key paths are relative to HKEY_CLASSES_ROOT, components joined by '\'; "" is the root itself.
// Names compare without regard to ASCII case but keep the spelling they were created with.
// Sections come out in key order (parents before their children, siblings by name), so that
// the same registry always gives the same text.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

enum class ValueKind { String, Dword };

struct RegValue {
    std::string name;  // "" is the key's default value
    ValueKind kind = ValueKind::String;
    std::string text;
    std::uint32_t dword = 0;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegTree {
  public:
    // The first line of every registry file.
    static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

    // Reads a registry file's text. On failure returns nullopt and sets error to
    // "line N: what is wrong".
    static std::optional<RegTree> Parse(std::string_view text, std::string& error);
    std::string Format() const;

    bool HasKey(std::string_view path) const;
    // Creates the key and any missing ancestors; existing keys keep their spelling.
    void CreateKey(std::string_view path);
    enum class DeleteResult { Deleted, NotFound, HasSubkeys };
    // Deletes a key that has no subkeys, with its values. The root cannot be deleted.
    DeleteResult DeleteKey(std::string_view path);
    // The names of the key's direct subkeys, in key order; empty for a missing key.
    std::vector<std::string> SubkeyNames(std::string_view path) const;

    const RegValue* FindValue(std::string_view path, std::string_view name) const;
    // Sets a value of an existing key; false when the key does not exist.
    bool SetValue(std::string_view path, RegValue value);
    // Deletes a value; false when the key or the value does not exist.
    bool DeleteValue(std::string_view path, std::string_view name);

    // A key name has at most 255 characters and keys nest at most 512 levels deep, as on the
    // platform the registry comes from; the limits also bound the work a hostile file causes.
    static constexpr std::size_t kMaxKeyNameLength = 255;
    static constexpr std::size_t kMaxKeyDepth = 512;

    // True when every component of path is non-empty and within the limits (the root "" is
    // valid).
    static bool IsValidPath(std::string_view path);
    // What is wrong with path; empty when it is valid.
    static std::string PathProblem(std::string_view path);

  private:
    struct Key {
        std::string path;                        // as spelled
        std::map<std::string, RegValue> values;  // by lower-case name; "" sorts first
    };
    // Orders lower-case paths so that a parent comes right before its subtree.
    struct PathOrder {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    std::map<std::string, Key, PathOrder> m_keys{{"", Key{}}};  // by lower-case path
};

}  // namespace platform::registry

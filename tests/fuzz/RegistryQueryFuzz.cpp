// The registry's query API on a file of its own, driven by a sequence of calls: keys made,
// values set and read with buffers of every size, keys listed and deleted, and the file
// replaced behind the registry's back. The answers follow the Win32 buffer rules, a value
// reads back as it was set, and what the calls see is always what the file holds, however
// often it changed (the registry reads it again only when it changed).

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry/RegTree.h"
#include "platform/registry/Registry.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/Files.h"

namespace {

using platform::registry::RegTree;

constexpr FuzzCheck Check{"registry queries"};

std::string g_file;

// Key paths the calls pick from, a few of them invalid.
constexpr std::array<const char*, 10> kPaths = {
    "A", "a\\B", "A\\B\\C", "CLSID", "CLSID\\{1}", "CLSID\\{1}\\Node", "", "x\\\\y", "\\A", "Z"};
constexpr std::array<const char*, 4> kNames = {"", "Count", "count", "Other"};

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_at < m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::string Text() {
        std::string text;
        for (std::size_t n = Byte() % 8; n > 0 && More(); --n) {
            text += static_cast<char>(Byte());
        }
        return text;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// Every pool key exists for the calls exactly when the file has it.
void CheckAgainstFile() {
    std::string error;
    const bool present = std::filesystem::exists(g_file);
    const std::optional<RegTree> tree =
        present ? RegTree::Parse(ReadFile(g_file), error) : std::optional<RegTree>(RegTree());
    for (const char* path : kPaths) {
        HKEY key = nullptr;
        const LONG result = RegOpenKey(HKEY_CLASSES_ROOT, path, &key);
        if (result == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
        if (!tree) {
            Check(result == ERROR_BADDB || result == ERROR_INVALID_PARAMETER,
                  "a malformed file was not reported");
        } else if (RegTree::IsValidPath(path)) {
            Check((result == ERROR_SUCCESS) == tree->HasKey(path), "the calls and the file differ");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const ScratchFolder scratch;
    g_file = scratch.Path("registry.reg");
    RegistrySetFile(g_file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::filesystem::remove(g_file);
    Input in(data, size);
    std::vector<HKEY> open;
    const auto keyOf = [&](std::uint8_t pick) {
        return open.empty() || pick % 2 == 0 ? HKEY_CLASSES_ROOT : open[pick / 2 % open.size()];
    };
    for (int step = 0; step < 64 && in.More(); ++step) {
        const std::uint8_t op = in.Byte() % 10;
        const HKEY key = keyOf(in.Byte());
        const char* path = kPaths[in.Byte() % kPaths.size()];
        const char* name = kNames[in.Byte() % kNames.size()];
        switch (op) {
            case 0:
            case 1: {
                HKEY made = nullptr;
                const LONG result =
                    op == 0 ? RegCreateKey(key, path, &made) : RegOpenKey(key, path, &made);
                if (result == ERROR_SUCCESS) {
                    open.push_back(made);
                }
                break;
            }
            case 2: {
                const std::string text = in.Text();
                if (RegSetValue(key, path, text.c_str()) == ERROR_SUCCESS) {
                    std::array<char, 16> buffer{};
                    LONG length = static_cast<LONG>(buffer.size());
                    Check(RegQueryValue(key, path, buffer.data(), &length) == ERROR_SUCCESS &&
                              std::string(buffer.data()) == text.substr(0, text.find('\0')),
                          "a value set does not read back");
                }
                break;
            }
            case 3: {
                const std::uint32_t dword = in.Byte() * 0x01010101u;
                if (RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                                  sizeof dword) == ERROR_SUCCESS) {
                    DWORD type = 0;
                    std::uint32_t back = 0;
                    DWORD length = sizeof back;
                    Check(RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&back),
                                          &length) == ERROR_SUCCESS &&
                              type == REG_DWORD && back == dword,
                          "a dword set does not read back");
                }
                break;
            }
            case 4: {
                // Buffer rules: too small gives the size needed, which then is enough.
                std::array<char, 16> buffer{};
                LONG length = in.Byte() % 17;
                const LONG result = RegQueryValue(key, path, buffer.data(), &length);
                if (result == ERROR_MORE_DATA) {
                    std::vector<char> bigger(static_cast<std::size_t>(length));
                    LONG needed = length;
                    Check(RegQueryValue(key, path, bigger.data(), &needed) == ERROR_SUCCESS &&
                              needed == length && bigger.back() == '\0',
                          "the size asked for is not the size needed");
                } else if (result == ERROR_SUCCESS) {
                    Check(length > 0 && buffer[static_cast<std::size_t>(length) - 1] == '\0',
                          "a text without its NUL");
                }
                break;
            }
            case 5: {
                DWORD length = 0;
                DWORD type = 0;
                if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &length) == ERROR_SUCCESS) {
                    std::vector<BYTE> value(length);
                    Check(RegQueryValueEx(key, name, nullptr, &type, value.data(), &length) ==
                              ERROR_SUCCESS,
                          "the size given is not enough");
                }
                break;
            }
            case 6:
                RegDeleteKey(key, path);
                break;
            case 7:
                RegDeleteValue(key, name);
                break;
            case 8: {
                std::array<char, 8> buffer{};
                for (DWORD i = 0; i < 8; ++i) {
                    const LONG result = RegEnumKey(key, i, buffer.data(), in.Byte() % 9);
                    Check(result != ERROR_SUCCESS || std::strlen(buffer.data()) < buffer.size(),
                          "a name past its buffer");
                    if (result == ERROR_NO_MORE_ITEMS) {
                        break;
                    }
                }
                break;
            }
            case 9: {
                // Another program replaces or rewrites the file.
                const std::string text =
                    in.Byte() % 2 == 0
                        ? "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\" +
                              std::string(path) + "]\n@=\"" + in.Text() + "\"\n"
                        : in.Text();
                WriteFile(g_file + ".new", text);
                std::filesystem::rename(g_file + ".new", g_file);
                break;
            }
        }
        CheckAgainstFile();
    }
    for (const HKEY key : open) {
        RegCloseKey(key);
    }
    return 0;
}

#include "platform/crt/LockPlace.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace platform::crt {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxNameBytes = 64;  // of the guarded file's name, in the lock's name
constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a: the same for the same path in every process and every build.
std::uint64_t PathHash(const std::string& text) {
    std::uint64_t hash = kFnvOffset;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
    }
    return hash;
}

std::optional<fs::path> Absolute(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] != '/') {
        return std::nullopt;  // unset or relative, which is invalid
    }
    return fs::path(value);
}

// Makes each missing folder of path, the new ones for the user alone.
bool MakeFolders(const fs::path& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return true;
    }
    if (!path.has_parent_path() || path.parent_path() == path || !MakeFolders(path.parent_path())) {
        return false;
    }
    return ::mkdir(path.c_str(), 0700) == 0 || fs::is_directory(path, error);
}

std::optional<fs::path> LockFolder() {
    if (const auto runtime = Absolute("XDG_RUNTIME_DIR");
        runtime && MakeFolders(*runtime / "qma7")) {
        return *runtime / "qma7";
    }
    std::optional<fs::path> state = Absolute("XDG_STATE_HOME");
    if (!state) {
        if (const auto home = Absolute("HOME")) {
            state = *home / ".local" / "state";
        }
    }
    if (state && MakeFolders(*state / "qma7" / "locks")) {
        return *state / "qma7" / "locks";
    }
    return std::nullopt;
}

}  // namespace

std::string LockFilePath(const std::string& path) {
    const std::optional<fs::path> folder = LockFolder();
    if (!folder) {
        return path + ".lock";
    }
    std::error_code error;
    fs::path full = fs::weakly_canonical(fs::absolute(path, error), error);
    if (error) {
        full = fs::absolute(path, error);
    }
    std::string name = fs::path(path).filename().string().substr(0, kMaxNameBytes);
    char hash[17];
    static constexpr const char* kDigits = "0123456789abcdef";
    std::uint64_t value = PathHash(full.string());
    for (int k = 15; k >= 0; --k, value >>= 4) {
        hash[k] = kDigits[value & 0xF];
    }
    hash[16] = '\0';
    return (*folder / (name + "-" + hash + ".lock")).string();
}

}  // namespace platform::crt

#include "host/tui/TypedFileName.h"

#include <cstdlib>

namespace host::tui {

namespace fs = std::filesystem;

namespace {

constexpr char kNoSuchFile[] = "There is no file ";
constexpr char kNoSuchFolder[] = "There is no folder ";
constexpr char kCannotRead[] = "Cannot read the folder: ";

// "*.txt", ".txt" or "txt": the extension without its dot.
std::string BareExtension(const std::string& extension) {
    std::size_t start = 0;
    while (start < extension.size() && (extension[start] == '*' || extension[start] == '.')) {
        ++start;
    }
    return extension.substr(start);
}

}  // namespace

TypedFileName TypedFileName::Resolve(const std::string& typed, const fs::path& folder,
                                     const FileDialogRequest& request) {
    std::string name = TrimBlanks(typed);
    if (name.empty()) {
        return {};
    }
    if (name == "~" || name.rfind("~/", 0) == 0) {
        if (const char* home = std::getenv("HOME")) {
            name = std::string(home) + name.substr(1);
        }
    }
    fs::path path = fs::path(name).is_absolute() ? fs::path(name) : folder / name;
    path = path.lexically_normal();
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return {Kind::Folder, path, {}};
    }
    const std::string extension = BareExtension(request.defaultExtension);
    if (!extension.empty() && !path.has_extension()) {
        path += "." + extension;
    }
    if (!fs::is_directory(path.parent_path(), error)) {
        return {Kind::Problem, {}, kNoSuchFolder + path.parent_path().string()};
    }
    if (!request.save && !fs::exists(path, error)) {
        return {Kind::Problem, {}, kNoSuchFile + path.string()};
    }
    return {Kind::File, path, {}};
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string CannotReadFolder(const std::string& reason) {
    return kCannotRead + reason;
}

}  // namespace host::tui

#include "plugin/settingsfile/NodeSettingsFile.h"

#include <array>

#include "plugin/settingsfile/NodeSettingsReader.h"

using platform::crt::File;
using platform::crt::FileSystem;
using platform::crt::OpenMode;

namespace settingsfile {

namespace {

// Every line ends with CR LF on disk, whatever the platform's own convention.
constexpr std::string_view kDiskLineEnd = "\r\n";
// The temporary file is hidden beside the target and names it, shortened to stay within
// the file name limit.
constexpr std::string_view kTemporaryMark = ".";
constexpr std::size_t kTemporaryNameLength = 40;
constexpr std::size_t kReadChunk = 4096;

struct SplitPath {
    std::string folder;
    std::string name;
};

SplitPath Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Writes text line by line, as the lines were assembled, with the disk's line ends.
bool WriteLines(File& file, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        std::string piece(line);
        if (end != std::string_view::npos) {
            piece += kDiskLineEnd;
        }
        if (!file.Write(piece)) {
            return false;
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return true;
}

}  // namespace

bool ExistsForOverwrite(FileSystem& fs, const std::string& path) {
    std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadWrite);
    if (!file) {
        return false;
    }
    file->Close();
    return true;
}

SaveResult SaveNodeSettings(FileSystem& fs, const std::string& path, std::string_view text) {
    const std::optional<std::string> target = fs.ResolveLinks(path);
    if (!target) {
        return SaveResult::OpenFailed;
    }
    unsigned mode = fs.NewFileMode();
    if (const auto status = fs.Status(*target)) {
        // A folder in the way is found by the rename; any other file must be writable.
        if (!status->directory) {
            std::unique_ptr<File> probe = fs.Open(*target, OpenMode::ReadWrite);
            if (!probe) {
                return SaveResult::OpenFailed;
            }
            probe->Close();
            mode = status->mode;
        }
    }
    const SplitPath split = Split(*target);
    const std::string prefix =
        std::string(kTemporaryMark) + split.name.substr(0, kTemporaryNameLength) + ".";
    std::string temporaryPath;
    std::unique_ptr<File> file = fs.CreateTemporary(split.folder, prefix, mode, temporaryPath);
    if (!file) {
        return SaveResult::OpenFailed;
    }
    bool written = WriteLines(*file, text) && file->Flush();
    written = file->Close() && written;
    file.reset();
    if (!written || !fs.Rename(temporaryPath, *target)) {
        fs.Remove(temporaryPath);
        return SaveResult::WriteFailed;
    }
    return SaveResult::Saved;
}

std::unique_ptr<File> OpenForImport(FileSystem& fs, const std::string& path) {
    return fs.Open(path, OpenMode::Read);
}

bool ReadInto(File& file, NodeSettingsReader& reader) {
    std::array<char, kReadChunk> buffer;
    for (;;) {
        const std::ptrdiff_t n = file.Read(buffer);
        if (n <= 0) {
            reader.Finish();
            return n == 0;
        }
        reader.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

}  // namespace settingsfile

#include "plugin/settingsfile/NodeSettingsFile.h"

#include <array>

#include "platform/crt/AtomicWrite.h"
#include "plugin/settingsfile/NodeSettingsReader.h"

using platform::crt::File;
using platform::crt::FileSystem;
using platform::crt::OpenMode;
using platform::crt::WriteStep;

namespace settingsfile {

namespace {

// Every line ends with CR LF on disk, whatever the platform's own convention.
constexpr std::string_view kDiskLineEnd = "\r\n";
constexpr std::size_t kReadChunk = 4096;

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
    const auto failure =
        platform::crt::AtomicWrite(fs, path, [text](File& file) { return WriteLines(file, text); });
    if (!failure) {
        return SaveResult::Saved;
    }
    switch (failure->step) {
        case WriteStep::Resolve:
        case WriteStep::Target:
        case WriteStep::CreateTemporary:
            return SaveResult::OpenFailed;
        default:
            return SaveResult::WriteFailed;
    }
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

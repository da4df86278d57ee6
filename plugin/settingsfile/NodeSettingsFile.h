#pragma once
// The node settings file on disk: the existence tests of "Save to file" and "Read from
// file", the save that never loses the old file, and streaming a file into the reader.

#include <memory>
#include <string>
#include <string_view>

#include "platform/crt/FileSystem.h"

namespace settingsfile {

class NodeSettingsReader;

enum class SaveResult {
    Saved,        // the target holds the new text
    OpenFailed,   // "Error opening file": target not writable or no temporary file; untouched
    WriteFailed,  // "Error writing file": nothing of it reached the target; untouched
};

// "r+" existence test before the overwrite question: the path opens for reading and writing.
bool ExistsForOverwrite(platform::crt::FileSystem& fs, const std::string& path);

// Writes text (lines ended by LF) to path with CR LF line ends: into a temporary file in the
// target's folder, flushed to disk, renamed over the target only when all of it was written.
// A symbolic link at path is followed (the file it leads to is replaced, the link stays); an
// existing file keeps its permission bits, a new one gets the usual ones. An existing target
// that may not be written is refused. On failure the temporary file is removed.
SaveResult SaveNodeSettings(platform::crt::FileSystem& fs, const std::string& path,
                            std::string_view text);

// "Read from file": the file opened for reading only (a read-only file imports); nullptr
// means "File not found!".
std::unique_ptr<platform::crt::File> OpenForImport(platform::crt::FileSystem& fs,
                                                   const std::string& path);

// Feeds the whole file to reader and finishes it. False when a read failed; the reader then
// has been finished at the point reached.
bool ReadInto(platform::crt::File& file, NodeSettingsReader& reader);

}  // namespace settingsfile

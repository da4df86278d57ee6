#pragma once
// The one way a file is replaced: the new contents go into a temporary file created
// exclusively beside the target (never a fixed name that someone could plant a link at), are
// flushed to disk and renamed over the target in one step; then the folder is flushed so that
// the rename lasts. A reader sees the old file or the new one, never a mix; a failure at any
// step leaves the old file as it was and no temporary file behind.
//
// A symbolic link at the path is written through: the file it leads to is replaced and the
// link stays. The new file keeps the old one's permission bits and, where the process may, its
// owner and group. Temporary files that a killed process left beside the target are removed.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/crt/FileSystem.h"

namespace platform::crt {

// The step of a replacement that failed.
enum class WriteStep {
    Resolve,          // following the links at the path
    Target,           // an existing target that may not be written, or is no regular file
    CreateTemporary,  // the folder takes no new file
    Write,
    Flush,
    Close,
    Rename,
};

struct WriteFailure {
    WriteStep step;
    int error;  // errno of the failed step
    // What went wrong, as the system says it: "Permission denied", "not a regular file", ...
    std::string Reason() const;
};

// Replaces the file at path by what write puts into the file it is handed (false: the write
// failed, errno says why). Nothing when it succeeded.
std::optional<WriteFailure> AtomicWrite(FileSystem& fs, const std::string& path,
                                        const std::function<bool(File&)>& write);
std::optional<WriteFailure> AtomicWrite(FileSystem& fs, const std::string& path,
                                        std::string_view contents);

// The checks of AtomicWrite without writing anything: the links resolve, an existing target
// may be written, the folder takes a new file. Nothing when a save could go ahead.
std::optional<WriteFailure> CheckReplaceable(FileSystem& fs, const std::string& path);

}  // namespace platform::crt

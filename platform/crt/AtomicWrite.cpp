#include "platform/crt/AtomicWrite.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::crt {

namespace {

// The temporary file is hidden beside the target, names it (shortened to stay within the file
// name limit) and the process writing it: ".NAME.PID.XXXXXX".
constexpr std::size_t kTemporaryNameLength = 40;
constexpr std::size_t kUniqueLength = 6;  // the random letters that CreateTemporary adds

std::string TemporaryMark(const std::string& target) {
    return "." + NameOf(target).substr(0, kTemporaryNameLength) + ".";
}

// The process that left a temporary file of the target called name behind, when name is one.
std::optional<pid_t> WriterOf(std::string_view name, std::string_view mark) {
    if (!name.starts_with(mark)) {
        return std::nullopt;
    }
    name.remove_prefix(mark.size());
    const std::size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || name.size() - dot - 1 != kUniqueLength ||
        dot > 9) {
        return std::nullopt;
    }
    pid_t pid = 0;
    for (const char c : name.substr(0, dot)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Removes the temporary files of target whose process has ended: a save that was killed.
// Another process's save that is under way is left alone.
void RemoveLeftovers(FileSystem& fs, const std::string& folder, const std::string& target) {
    const std::optional<std::vector<std::string>> names = fs.List(folder);
    if (!names) {
        return;
    }
    const std::string mark = TemporaryMark(target);
    for (const std::string& name : *names) {
        const std::optional<pid_t> writer = WriterOf(name, mark);
        if (writer && (*writer == ::getpid() || (::kill(*writer, 0) != 0 && errno == ESRCH))) {
            fs.Remove(folder + "/" + name);
        }
    }
}

struct Target {
    std::string path;  // links followed
    unsigned mode = 0;
    std::optional<FileStatus> old;
};

std::optional<WriteFailure> Failure(WriteStep step) {
    return WriteFailure{step, errno};
}

std::optional<WriteFailure> Examine(FileSystem& fs, const std::string& path, Target& target) {
    const std::optional<std::string> resolved = fs.ResolveLinks(path);
    if (!resolved) {
        return Failure(WriteStep::Resolve);
    }
    target.path = *resolved;
    target.mode = fs.NewFileMode();
    target.old = fs.Status(target.path);
    // A folder in the way is found by the rename; any other file must be writable.
    if (target.old && !target.old->directory) {
        std::unique_ptr<File> probe = fs.Open(target.path, OpenMode::ReadWrite);
        if (!probe) {
            return Failure(WriteStep::Target);
        }
        probe->Close();
        target.mode = target.old->mode;
    }
    return std::nullopt;
}

// The old file's owner and group, where the process may give them away.
void KeepOwner(File& file, const FileStatus& old) {
    const std::optional<FileStatus> made = file.Status();
    if (!made || (made->owner == old.owner && made->group == old.group)) {
        return;
    }
    if (!file.SetOwner(old.owner, old.group)) {
        file.SetOwner(made->owner, old.group);
    }
}

}  // namespace

std::string WriteFailure::Reason() const {
    return error == kNotRegularFile ? "not a regular file" : std::strerror(error);
}

std::optional<WriteFailure> AtomicWrite(FileSystem& fs, const std::string& path,
                                        const std::function<bool(File&)>& write) {
    Target target;
    if (auto failure = Examine(fs, path, target)) {
        return failure;
    }
    const std::string folder = FolderOf(target.path);
    RemoveLeftovers(fs, folder, target.path);

    const std::string prefix = TemporaryMark(target.path) + std::to_string(::getpid()) + ".";
    std::string temporary;
    std::unique_ptr<File> file = fs.CreateTemporary(folder, prefix, target.mode, temporary);
    if (!file) {
        return Failure(WriteStep::CreateTemporary);
    }
    if (target.old && !target.old->directory) {
        KeepOwner(*file, *target.old);
    }
    std::optional<WriteFailure> failure;
    if (!write(*file)) {
        failure = Failure(WriteStep::Write);
    } else if (!file->Flush()) {
        failure = Failure(WriteStep::Flush);
    }
    const int closeError = file->Close() ? 0 : errno;
    file.reset();
    if (!failure && closeError != 0) {
        failure = WriteFailure{WriteStep::Close, closeError};
    }
    if (!failure && !fs.Rename(temporary, target.path)) {
        failure = Failure(WriteStep::Rename);
    }
    if (failure) {
        const int error = failure->error;
        fs.Remove(temporary);
        failure->error = error;
        return failure;
    }
    // The new file is in place already: a folder that cannot be flushed does not undo it.
    fs.SyncFolder(folder);
    return std::nullopt;
}

std::optional<WriteFailure> AtomicWrite(FileSystem& fs, const std::string& path,
                                        std::string_view contents) {
    return AtomicWrite(fs, path, [contents](File& file) { return file.Write(contents); });
}

std::optional<WriteFailure> CheckReplaceable(FileSystem& fs, const std::string& path) {
    Target target;
    if (auto failure = Examine(fs, path, target)) {
        return failure;
    }
    if (target.old && target.old->directory) {
        return WriteFailure{WriteStep::Target, EISDIR};
    }
    const std::string folder = FolderOf(target.path);
    std::string temporary;
    std::unique_ptr<File> file =
        fs.CreateTemporary(folder, TemporaryMark(target.path) + std::to_string(::getpid()) + ".",
                           target.mode, temporary);
    if (!file) {
        return Failure(WriteStep::CreateTemporary);
    }
    file->Close();
    fs.Remove(temporary);
    return std::nullopt;
}

}  // namespace platform::crt

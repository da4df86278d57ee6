#include "host/node/NodeImageLock.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/crt/LockPlace.h"

namespace host {

namespace {

constexpr std::size_t kMaxLockText = 64;
constexpr std::size_t kMaxProgramName = 64;

std::string Reason(int error) {
    return error == platform::crt::kNotRegularFile ? "not a regular file" : std::strerror(error);
}

// The first line of a small file, empty when it cannot be read.
std::string FirstLine(platform::crt::FileSystem& files, const std::string& path,
                      std::size_t limit) {
    const auto file = files.Open(path, platform::crt::OpenMode::Read);
    const auto text = file ? platform::crt::ReadAll(*file, limit) : std::nullopt;
    return text ? text->substr(0, text->find('\n')) : std::string();
}

// "process 1234 (qma7)" for the holder that the lock file names.
std::string Holder(platform::crt::FileSystem& files, const std::string& lockPath) {
    const std::string pid = FirstLine(files, lockPath, kMaxLockText);
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) {
        return "another process";
    }
    const std::string name = FirstLine(files, "/proc/" + pid + "/comm", kMaxProgramName);
    return "process " + pid + (name.empty() ? "" : " (" + name + ")");
}

}  // namespace

std::unique_ptr<NodeImageLock> NodeImageLock::Take(const std::string& path, std::string& error,
                                                   bool& held) {
    held = false;
    platform::crt::FileSystem& files = platform::crt::CurrentFileSystem();
    const std::optional<std::string> target = files.ResolveLinks(path);
    if (!target) {
        error = "cannot lock the node image " + path + ": " + Reason(errno);
        return nullptr;
    }
    const std::string lockPath = platform::crt::LockFilePath(*target);
    std::unique_ptr<platform::crt::File> file = files.OpenLockFile(lockPath);
    if (!file) {
        error = "cannot lock the node image " + path + ": " + lockPath + ": " + Reason(errno);
        return nullptr;
    }
    if (!file->TryLock(true)) {
        held = errno == EWOULDBLOCK;
        error = errno == EWOULDBLOCK
                    ? "the node image " + path + " is in use by " + Holder(files, lockPath)
                    : "cannot lock the node image " + path + ": " + Reason(errno);
        return nullptr;
    }
    // Who holds it, for the refusals of others; the lock holds without it.
    if (file->Truncate()) {
        file->Write(std::to_string(::getpid()) + "\n");
    }
    return std::unique_ptr<NodeImageLock>(new NodeImageLock(std::move(file)));
}

}  // namespace host

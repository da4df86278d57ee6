#include "host/app/ScriptSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace host {

namespace {

// Far above any script; a stream that goes on without end is not one.
constexpr std::size_t kMaxScriptBytes = std::size_t{64} << 20;

}  // namespace

std::optional<std::string> ReadScript(const std::string& path, std::string& error) {
    const bool standardInput = path == "-";
    const std::string source = standardInput ? "standard input" : path;
    const int fd =
        standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int reason = errno;
        struct stat st {};
        // A socket cannot even be opened; say what it is rather than why.
        error = ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)
                    ? path + ": not a regular file"
                    : "cannot read " + source + ": " + std::strerror(reason);
        return std::nullopt;
    }
    const auto fail = [&](const std::string& message) -> std::optional<std::string> {
        error = message;
        if (!standardInput) {
            ::close(fd);
        }
        return std::nullopt;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return fail("cannot read " + source + ": " + std::strerror(errno));
    }
    if (!standardInput && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        return fail(path + ": not a regular file");
    }
    std::string text;
    std::array<char, 65536> buffer;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail("cannot read " + source + ": " + std::strerror(errno));
        }
        if (n == 0) {
            break;
        }
        if (text.size() + static_cast<std::size_t>(n) > kMaxScriptBytes) {
            return fail(source + ": more than 64 MB, too large for a script");
        }
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    if (!standardInput) {
        ::close(fd);
    }
    return text;
}

}  // namespace host

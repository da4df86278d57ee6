#include "host/usb/UsbTty.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace host::usb {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kWriteWaitMs = 1000;  // a tty that takes nothing for this long is stuck

speed_t Speed(int baud) {
    switch (baud) {
        case 460800:
            return B460800;
        case 230400:
            return B230400;
        default:
            return B115200;
    }
}

std::string GroupOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    const struct group* entry = ::getgrgid(info.st_gid);
    return entry != nullptr ? entry->gr_name : std::to_string(info.st_gid);
}

// The processes that have the device open: "pid 123 (minicom)", comma-separated; empty when
// none is visible (another user's processes are not).
std::string Holders(const std::string& path, int ownFd) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) {
        return {};
    }
    const std::string self = std::to_string(::getpid());
    std::string holders;
    std::error_code ec;
    for (const auto& process : fs::directory_iterator("/proc", ec)) {
        const std::string pid = process.path().filename();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code fdError;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
            struct stat opened {};
            if (::stat(fd.path().c_str(), &opened) != 0 || !S_ISCHR(opened.st_mode) ||
                opened.st_rdev != device.st_rdev) {
                continue;
            }
            if (pid == self && fd.path().filename() == std::to_string(ownFd)) {
                continue;
            }
            std::string name;
            std::ifstream(process.path() / "comm") >> name;
            holders += (holders.empty() ? "" : ", ") + ("pid " + pid + " (" + name + ")");
            break;
        }
    }
    return holders;
}

std::string Busy(const std::string& path, int ownFd) {
    const std::string holders = Holders(path, ownFd);
    return "the USB interface " + path + " is in use by " +
           (holders.empty() ? std::string("another program") : holders) +
           "; end it, or use another interface";
}

}  // namespace

std::unique_ptr<UsbTty> UsbTty::Open(const std::string& path, int baud, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        if (cause == ENOENT || cause == ENODEV || cause == ENXIO) {
            error = "no USB interface at " + path +
                    " (is it plugged in? ls /dev/serial/by-id lists the attached ones)";
        } else if (cause == EACCES || cause == EPERM) {
            const std::string group = GroupOf(path);
            error = "permission denied on " + path +
                    (group.empty()
                         ? std::string()
                         : "; members of the group " + group + " may open it (sudo usermod -aG " +
                               group + " $USER, then log in again)");
        } else if (cause == EBUSY) {
            error = Busy(path, -1);
        } else {
            error = "cannot open " + path + ": " + std::strerror(cause);
        }
        return nullptr;
    }
    std::unique_ptr<UsbTty> tty(new UsbTty(fd));
    termios settings{};
    if (!::isatty(fd) || ::tcgetattr(fd, &settings) != 0) {
        error = path + " is not a tty, so not a USB network interface";
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = Busy(path, fd);
        return nullptr;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD | CS8;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, Speed(baud));
    ::cfsetospeed(&settings, Speed(baud));
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        error = "cannot set " + path + " to raw 8N1 at " + std::to_string(baud) +
                " baud: " + std::strerror(errno);
        return nullptr;
    }
    // Exclusive from now on; a pty may refuse the modem lines, which do not matter there.
    ::ioctl(fd, TIOCEXCL);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    ::tcflush(fd, TCIOFLUSH);
    return tty;
}

UsbTty::~UsbTty() {
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

bool UsbTty::Write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            pollfd ready{m_fd, POLLOUT, 0};
            if (::poll(&ready, 1, static_cast<int>(kWriteWaitMs)) > 0 &&
                (ready.revents & (POLLERR | POLLHUP)) == 0) {
                continue;
            }
        }
        return false;
    }
    return true;
}

int UsbTty::Read(std::int64_t waitMs, std::span<std::uint8_t> buffer) {
    pollfd ready{m_fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(waitMs, 0)));
    if (polled < 0) {
        return errno == EINTR ? 0 : -1;
    }
    if (polled == 0) {
        return 0;
    }
    if ((ready.revents & POLLIN) == 0 && (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        return -1;
    }
    const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
    if (n > 0) {
        return static_cast<int>(n);
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    return -1;  // an error, or the end of a hung-up tty
}

}  // namespace host::usb

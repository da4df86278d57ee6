#include "host/web/WebFileDialog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace host::web {

namespace fs = std::filesystem;

namespace {

constexpr char kNoSuchFile[] = "There is no file ";
constexpr char kNoSuchFolder[] = "There is no folder ";
constexpr char kCannotRead[] = "Cannot read the folder: ";
constexpr std::size_t kMaxNameBytes = 255;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "*.txt", ".txt" or "txt": the extension without its dot.
std::string BareExtension(const std::string& extension) {
    std::size_t start = 0;
    while (start < extension.size() && (extension[start] == '*' || extension[start] == '.')) {
        ++start;
    }
    return extension.substr(start);
}

}  // namespace

WebFileDialog::WebFileDialog(FileDialogRequest request, const fs::path& folder)
    : m_request(std::move(request)), m_filters(tui::FileFilter::Parse(m_request.filter)) {
    // An initial name with a folder of its own opens the dialog there.
    fs::path start = folder;
    m_name = m_request.initialName;
    const fs::path initial(m_name);
    std::error_code error;
    if (initial.has_parent_path() && fs::is_directory(initial.parent_path(), error)) {
        start = initial.is_absolute() ? initial.parent_path() : folder / initial.parent_path();
        m_name = initial.filename().string();
    }
    m_listing = tui::FolderListing::Read(start, m_filters[m_filter]);
    if (!m_listing.Opened()) {
        m_listing = tui::FolderListing::Read("/", m_filters[m_filter]);
    }
}

void WebFileDialog::Load(const fs::path& folder) {
    tui::FolderListing listing = tui::FolderListing::Read(folder, m_filters[m_filter]);
    m_message = listing.Error().empty() ? "" : kCannotRead + listing.Error();
    if (listing.Opened()) {
        m_listing = std::move(listing);
    }
}

void WebFileDialog::Open(const std::string& entry) {
    if (entry == tui::FolderListing::kParentFolder) {
        Load(Folder().parent_path());
        return;
    }
    for (const auto& known : Entries()) {
        if (known.folder && known.name == entry) {
            Load(Folder() / entry);
            return;
        }
    }
}

void WebFileDialog::ChooseFilter(std::size_t index) {
    if (index < m_filters.size()) {
        m_filter = index;
        Load(Folder());
    }
}

std::optional<std::string> WebFileDialog::Accept(const std::string& typed) {
    std::string name = Trim(typed);
    m_name = name;
    if (name.empty()) {
        return std::nullopt;
    }
    if (name == "~" || name.rfind("~/", 0) == 0) {
        if (const char* home = std::getenv("HOME")) {
            name = std::string(home) + name.substr(1);
        }
    }
    fs::path path = fs::path(name).is_absolute() ? fs::path(name) : Folder() / name;
    path = path.lexically_normal();
    std::error_code error;
    if (fs::is_directory(path, error)) {
        Load(path);
        m_name.clear();
        return std::nullopt;
    }
    const std::string extension = BareExtension(m_request.defaultExtension);
    if (!extension.empty() && !path.has_extension()) {
        path += "." + extension;
    }
    if (!fs::is_directory(path.parent_path(), error)) {
        m_message = kNoSuchFolder + path.parent_path().string();
        return std::nullopt;
    }
    if (!m_request.save && !fs::exists(path, error)) {
        m_message = kNoSuchFile + path.string();
        return std::nullopt;
    }
    return path.string();
}

bool WebFileDialog::PlainName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes || name[0] == '.') {
        return false;
    }
    for (const char c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

WebFileDialog::Upload WebFileDialog::Store(const std::string& name, const std::string& content,
                                           bool replace) {
    if (!PlainName(name) || content.size() > kMaxUpload) {
        return Upload::BadName;
    }
    const fs::path path = Folder() / name;
    // O_EXCL: a file that appeared since the page asked is never replaced unasked; O_NOFOLLOW:
    // a link planted under the name is not followed.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        if (errno == EEXIST) {
            return Upload::Exists;
        }
        m_message = "Cannot store " + name + ": " + std::strerror(errno);
        return Upload::Failed;
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_message = "Cannot store " + name + ": " + std::strerror(errno);
            ::close(fd);
            return Upload::Failed;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        m_message = "Cannot store " + name + ": " + std::strerror(errno);
        return Upload::Failed;
    }
    m_name = name;
    Load(Folder());
    m_message.clear();
    return Upload::Stored;
}

}  // namespace host::web

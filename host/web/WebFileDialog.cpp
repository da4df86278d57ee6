#include "host/web/WebFileDialog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "host/tui/TypedFileName.h"

namespace host::web {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxNameBytes = 255;

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
    m_message = listing.Error().empty() ? "" : tui::CannotReadFolder(listing.Error());
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
    m_name = tui::TrimBlanks(typed);
    const tui::TypedFileName chosen = tui::TypedFileName::Resolve(typed, Folder(), m_request);
    switch (chosen.kind) {
        case tui::TypedFileName::Kind::Folder:
            Load(chosen.path);
            m_name.clear();
            return std::nullopt;
        case tui::TypedFileName::Kind::Problem:
            m_message = chosen.message;
            return std::nullopt;
        case tui::TypedFileName::Kind::File:
            return chosen.path.string();
        case tui::TypedFileName::Kind::Nothing:
            break;
    }
    return std::nullopt;
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

#include "host/tui/FolderListing.h"

#include <algorithm>
#include <system_error>

namespace host::tui {

namespace fs = std::filesystem;

FolderListing FolderListing::Read(const fs::path& folder, const FileFilter& filter) {
    FolderListing listing;
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error).lexically_normal();
    if (absolute.has_relative_path() && !absolute.has_filename()) {
        absolute = absolute.parent_path();  // no trailing separator
    }
    listing.m_folder = absolute;
    fs::directory_iterator it(absolute, fs::directory_options::skip_permission_denied, error);
    if (error) {
        listing.m_error = error.message();
        return listing;
    }
    listing.m_opened = true;
    std::vector<Entry> folders;
    std::vector<Entry> files;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            listing.m_error = error.message();
            break;
        }
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back({name, true});
        } else if (filter.Matches(name)) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    if (absolute.has_relative_path()) {
        listing.m_entries.push_back({kParentFolder, true});
    }
    listing.m_entries.insert(listing.m_entries.end(), folders.begin(), folders.end());
    listing.m_entries.insert(listing.m_entries.end(), files.begin(), files.end());
    return listing;
}

}  // namespace host::tui

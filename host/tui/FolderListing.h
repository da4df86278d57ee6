#pragma once
// What a file dialog lists of a folder: ".." where there is a folder above, the sub-folders,
// then the files a filter entry matches, each group by name; hidden entries are left out.

#include <filesystem>
#include <string>
#include <vector>

#include "host/tui/FileFilter.h"

namespace host::tui {

class FolderListing {
  public:
    struct Entry {
        std::string name;
        bool folder = false;
    };
    static constexpr char kParentFolder[] = "..";

    // Reads folder (made absolute and normal). A folder that cannot be opened lists nothing
    // and is not Opened; one that fails part way lists what was read. Either way Error says
    // why.
    static FolderListing Read(const std::filesystem::path& folder, const FileFilter& filter);

    bool Opened() const { return m_opened; }
    const std::filesystem::path& Folder() const { return m_folder; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::string& Error() const { return m_error; }

  private:
    std::filesystem::path m_folder;
    std::vector<Entry> m_entries;
    std::string m_error;
    bool m_opened = false;
};

}  // namespace host::tui

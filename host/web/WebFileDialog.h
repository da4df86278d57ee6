#pragma once
// The plug-in's open or save dialog as the page shows it: a folder of the machine that runs
// qma7, its sub-folders and the files the chosen type matches, a name, and a message when the
// name cannot be taken. Files from the browser's machine may be uploaded into the folder.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/tui/FileFilter.h"
#include "host/tui/FolderListing.h"
#include "platform/ui/FileDialog.h"

namespace host::web {

class WebFileDialog {
  public:
    // The largest file a browser may upload.
    static constexpr std::size_t kMaxUpload = 1024 * 1024;

    WebFileDialog(FileDialogRequest request, const std::filesystem::path& folder);

    const FileDialogRequest& Request() const { return m_request; }
    const std::filesystem::path& Folder() const { return m_listing.Folder(); }
    const std::vector<tui::FolderListing::Entry>& Entries() const { return m_listing.Entries(); }
    const std::vector<tui::FileFilter>& Filters() const { return m_filters; }
    std::size_t Filter() const { return m_filter; }
    const std::string& Name() const { return m_name; }
    const std::string& Message() const { return m_message; }

    // Opens a sub-folder of the listing, or ".." for the folder above.
    void Open(const std::string& entry);
    void ChooseFilter(std::size_t index);
    // Takes name (relative to the folder, or absolute; a folder opens it): the path chosen,
    // or nothing with the reason in Message.
    std::optional<std::string> Accept(const std::string& name);

    enum class Upload { Stored, Exists, BadName, Failed };
    // Stores an uploaded file under a plain name in the folder; an existing file only when
    // replace is set.
    Upload Store(const std::string& name, const std::string& content, bool replace);
    // Whether name is a plain file name: no folder, not hidden, no control characters.
    static bool PlainName(const std::string& name);

  private:
    void Load(const std::filesystem::path& folder);

    FileDialogRequest m_request;
    std::vector<tui::FileFilter> m_filters;
    std::size_t m_filter = 0;
    tui::FolderListing m_listing;
    std::string m_name;
    std::string m_message;
};

}  // namespace host::web

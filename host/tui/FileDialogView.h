#pragma once
// The open and save file dialog on the screen: the current folder's listing for the chosen
// filter entry, a file name field, the filter entry, OK and Cancel. The user walks folders with
// Enter and Backspace (or the mouse) and types a name; the result is an absolute path. What is
// listed and what a filter matches are FolderListing's and FileFilter's; this draws them and
// takes the keys.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/tui/FileFilter.h"
#include "host/tui/FolderListing.h"
#include "host/tui/LineEditor.h"
#include "host/tui/View.h"
#include "platform/ui/FileDialog.h"

namespace host::tui {

class FileDialogView final : public View {
  public:
    // folder: where the dialog opens unless the initial name names a folder of its own.
    FileDialogView(FileDialogRequest request, std::filesystem::path folder);

    int Columns() const override;
    int Rows() const override;
    void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) override;
    void Handle(const InputEvent& event) override;

    bool Done() const { return m_done; }
    // The chosen path; nothing when cancelled.
    const std::optional<std::string>& Result() const { return m_result; }

    using Entry = FolderListing::Entry;
    const std::filesystem::path& Folder() const { return m_listing.Folder(); }
    const std::vector<Entry>& Entries() const { return m_listing.Entries(); }
    std::string Name() const;
    const std::string& Message() const { return m_message; }

    enum class Part { List, Name, Filter, Ok, Cancel };
    Part FocusPart() const { return m_part; }

  private:
    void Load(const std::filesystem::path& folder);
    void Select(int index);
    void Activate(int index);
    void Accept();
    void Finish(std::optional<std::string> path);
    void NextFilter(int step);
    void EditName(const InputEvent& event);
    void HandleList(const InputEvent& event);
    void HandleMouse(const InputEvent& event);

    FileDialogRequest m_request;
    std::vector<FileFilter> m_filters;
    std::size_t m_filter = 0;
    FolderListing m_listing;
    int m_selected = 0;
    int m_top = 0;  // the first entry shown
    LineEditor m_name;
    Part m_part = Part::Name;
    std::string m_message;
    bool m_done = false;
    std::optional<std::string> m_result;

    CellPos m_origin;  // of the last Render, for the mouse
};

}  // namespace host::tui

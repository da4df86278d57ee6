#pragma once
// The open and save file dialog on the screen: the current folder's sub-folders and the files
// that the chosen filter entry matches, a file name field, the filter entry, OK and Cancel.
// The user walks folders with Enter and Backspace (or the mouse) and types a name; the result
// is an absolute path.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

    struct Entry {
        std::string name;
        bool folder = false;
    };
    const std::filesystem::path& Folder() const { return m_folder; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    std::string Name() const;
    const std::string& Message() const { return m_message; }

    enum class Part { List, Name, Filter, Ok, Cancel };
    Part FocusPart() const { return m_part; }

  private:
    struct Filter {
        std::string name;
        std::vector<std::string> patterns;
    };

    void Load(const std::filesystem::path& folder);
    bool Matches(const std::string& name) const;
    void Select(int index);
    void Activate(int index);
    void Accept();
    void Finish(std::optional<std::string> path);
    void NextFilter(int step);
    void EditName(const InputEvent& event);
    void HandleList(const InputEvent& event);
    void HandleMouse(const InputEvent& event);

    FileDialogRequest m_request;
    std::vector<Filter> m_filters;
    std::size_t m_filter = 0;
    std::filesystem::path m_folder;
    std::vector<Entry> m_entries;
    int m_selected = 0;
    int m_top = 0;  // the first entry shown
    std::u32string m_name;
    std::size_t m_cursor = 0;
    Part m_part = Part::Name;
    std::string m_message;
    bool m_done = false;
    std::optional<std::string> m_result;

    CellPos m_origin;  // of the last Render, for the mouse
};

}  // namespace host::tui

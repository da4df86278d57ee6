#include "host/tui/FileDialogView.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "host/tui/Utf8.h"

namespace host::tui {

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 66;
constexpr int kListRows = 10;
// Rows inside the frame.
constexpr int kFolderRow = 1;
constexpr int kListRow = 3;
constexpr int kNameRow = kListRow + kListRows + 1;
constexpr int kFilterRow = kNameRow + 1;
constexpr int kButtonRow = kFilterRow + 2;
constexpr int kMessageRow = kButtonRow + 1;
constexpr int kHeight = kMessageRow + 2;
constexpr int kLabelColumn = 2;
constexpr int kFieldColumn = 13;
constexpr int kButtonWidth = 10;

constexpr char kOpenTitle[] = "Open";
constexpr char kSaveTitle[] = "Save As";
constexpr char kFolderLabel[] = "Folder:";
constexpr char kNameLabel[] = "File name:";
constexpr char kFilterLabel[] = "Type:";
constexpr char kOpenButton[] = "Open";
constexpr char kSaveButton[] = "Save";
constexpr char kCancelButton[] = "Cancel";
constexpr char kParentFolder[] = "..";
constexpr char kAllFiles[] = "All files";
constexpr char kNoSuchFile[] = "There is no file ";
constexpr char kNoSuchFolder[] = "There is no folder ";
constexpr char kCannotRead[] = "Cannot read the folder: ";

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

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

// The tail of text that fits width cells, with "..." in front when cut.
std::u32string Tail(const std::u32string& text, int width) {
    const auto room = static_cast<std::size_t>(std::max(0, width));
    if (text.size() <= room) {
        return text;
    }
    return U"..." + text.substr(text.size() - room + std::min<std::size_t>(3, room));
}

}  // namespace

FileDialogView::FileDialogView(FileDialogRequest request, fs::path folder)
    : m_request(std::move(request)) {
    const std::vector<std::string> parts = Split(m_request.filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            continue;
        }
        Filter filter{parts[i], {}};
        for (const std::string& pattern : Split(parts[i + 1], ';')) {
            if (!Trim(pattern).empty()) {
                filter.patterns.push_back(Trim(pattern));
            }
        }
        m_filters.push_back(std::move(filter));
    }
    if (m_filters.empty()) {
        m_filters.push_back({kAllFiles, {"*"}});
    }
    // An initial name with a folder of its own opens the dialog there.
    std::string name = m_request.initialName;
    const fs::path initial(name);
    std::error_code error;
    if (initial.has_parent_path() && fs::is_directory(initial.parent_path(), error)) {
        folder = initial.is_absolute() ? initial.parent_path() : folder / initial.parent_path();
        name = initial.filename().string();
    }
    m_name = DecodeUtf8(name);
    m_cursor = m_name.size();
    Load(folder);
}

std::string FileDialogView::Name() const {
    return EncodeUtf8(m_name);
}

bool FileDialogView::Matches(const std::string& name) const {
    for (const std::string& pattern : m_filters[m_filter].patterns) {
        // "*.*" means every file, also one without a dot.
        if (pattern == "*.*" || fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
            return true;
        }
    }
    return false;
}

void FileDialogView::Load(const fs::path& folder) {
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error).lexically_normal();
    if (absolute.has_relative_path() && !absolute.has_filename()) {
        absolute = absolute.parent_path();  // no trailing separator
    }
    std::vector<Entry> folders;
    std::vector<Entry> files;
    fs::directory_iterator it(absolute, fs::directory_options::skip_permission_denied, error);
    if (error) {
        m_message = kCannotRead + error.message();
        return;  // the dialog stays where it was
    }
    m_message.clear();
    m_folder = absolute;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            m_message = kCannotRead + error.message();
            break;
        }
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            folders.push_back({name, true});
        } else if (Matches(name)) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    m_entries.clear();
    if (m_folder.has_relative_path()) {
        m_entries.push_back({kParentFolder, true});
    }
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    m_selected = 0;
    m_top = 0;
}

void FileDialogView::Select(int index) {
    if (m_entries.empty()) {
        return;
    }
    m_selected = std::clamp(index, 0, static_cast<int>(m_entries.size()) - 1);
    m_top = std::clamp(m_top, std::max(0, m_selected - kListRows + 1), m_selected);
    const Entry& entry = m_entries[static_cast<std::size_t>(m_selected)];
    if (!entry.folder) {
        m_name = DecodeUtf8(entry.name);
        m_cursor = m_name.size();
    }
}

void FileDialogView::Activate(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) {
        return;
    }
    const Entry entry = m_entries[static_cast<std::size_t>(index)];
    if (entry.folder) {
        Load(entry.name == kParentFolder ? m_folder.parent_path() : m_folder / entry.name);
    } else {
        m_name = DecodeUtf8(entry.name);
        m_cursor = m_name.size();
        Accept();
    }
}

void FileDialogView::Accept() {
    std::string name = Trim(EncodeUtf8(m_name));
    if (name.empty()) {
        return;
    }
    if (name == "~" || name.rfind("~/", 0) == 0) {
        if (const char* home = std::getenv("HOME")) {
            name = std::string(home) + name.substr(1);
        }
    }
    fs::path path = fs::path(name).is_absolute() ? fs::path(name) : m_folder / name;
    path = path.lexically_normal();
    std::error_code error;
    if (fs::is_directory(path, error)) {
        Load(path);
        m_name.clear();
        m_cursor = 0;
        return;
    }
    const std::string extension = BareExtension(m_request.defaultExtension);
    if (!extension.empty() && !path.has_extension()) {
        path += "." + extension;
    }
    if (!fs::is_directory(path.parent_path(), error)) {
        m_message = kNoSuchFolder + path.parent_path().string();
        return;
    }
    if (!m_request.save && !fs::exists(path, error)) {
        m_message = kNoSuchFile + path.string();
        return;
    }
    Finish(path.string());
}

void FileDialogView::Finish(std::optional<std::string> path) {
    m_result = std::move(path);
    m_done = true;
}

void FileDialogView::NextFilter(int step) {
    const auto count = static_cast<int>(m_filters.size());
    m_filter =
        static_cast<std::size_t>(((static_cast<int>(m_filter) + step) % count + count) % count);
    Load(m_folder);
}

void FileDialogView::EditName(const InputEvent& event) {
    m_cursor = std::min(m_cursor, m_name.size());
    switch (event.key) {
        case Key::Char:
            m_name.insert(m_cursor++, 1, event.ch);
            break;
        case Key::Backspace:
            if (m_cursor > 0) {
                m_name.erase(--m_cursor, 1);
            }
            break;
        case Key::Delete:
            if (m_cursor < m_name.size()) {
                m_name.erase(m_cursor, 1);
            }
            break;
        case Key::ClearField:
            m_name.clear();
            m_cursor = 0;
            break;
        case Key::Left:
            m_cursor -= m_cursor > 0 ? 1 : 0;
            break;
        case Key::Right:
            m_cursor = std::min(m_name.size(), m_cursor + 1);
            break;
        case Key::Home:
            m_cursor = 0;
            break;
        case Key::End:
            m_cursor = m_name.size();
            break;
        case Key::Enter:
            Accept();
            break;
        case Key::Up:
            m_part = Part::List;
            break;
        case Key::Down:
            m_part = Part::Filter;
            break;
        default:
            break;
    }
}

void FileDialogView::HandleList(const InputEvent& event) {
    switch (event.key) {
        case Key::Up:
            Select(m_selected - 1);
            break;
        case Key::Down:
            Select(m_selected + 1);
            break;
        case Key::PageUp:
            Select(m_selected - kListRows);
            break;
        case Key::PageDown:
            Select(m_selected + kListRows);
            break;
        case Key::Home:
            Select(0);
            break;
        case Key::End:
            Select(static_cast<int>(m_entries.size()) - 1);
            break;
        case Key::Enter:
            Activate(m_selected);
            break;
        case Key::Backspace:
            if (m_folder.has_relative_path()) {
                Load(m_folder.parent_path());
            }
            break;
        case Key::Char:
            // Typing in the list starts a name.
            m_part = Part::Name;
            EditName(event);
            break;
        default:
            break;
    }
}

void FileDialogView::Handle(const InputEvent& event) {
    constexpr Part kOrder[] = {Part::List, Part::Name, Part::Filter, Part::Ok, Part::Cancel};
    const auto at = std::find(std::begin(kOrder), std::end(kOrder), m_part) - std::begin(kOrder);
    switch (event.key) {
        case Key::Escape:
            Finish(std::nullopt);
            return;
        case Key::Tab:
            m_part = kOrder[(at + 1) % 5];
            return;
        case Key::BackTab:
            m_part = kOrder[(at + 4) % 5];
            return;
        case Key::Mouse:
            HandleMouse(event);
            return;
        default:
            break;
    }
    const bool press = event.key == Key::Enter || (event.key == Key::Char && event.ch == U' ');
    switch (m_part) {
        case Part::List:
            HandleList(event);
            return;
        case Part::Name:
            EditName(event);
            return;
        case Part::Filter:
            if (press || event.key == Key::Right || event.key == Key::Down) {
                NextFilter(1);
            } else if (event.key == Key::Left || event.key == Key::Up) {
                NextFilter(-1);
            }
            return;
        case Part::Ok:
            if (press) {
                Accept();
            }
            return;
        case Part::Cancel:
            if (press) {
                Finish(std::nullopt);
            }
            return;
    }
}

void FileDialogView::HandleMouse(const InputEvent& event) {
    const int x = event.x - m_origin.x;
    const int y = event.y - m_origin.y;
    const bool inList = y >= kListRow && y < kListRow + kListRows && x > 0 && x < kWidth - 1;
    if (event.mouse != MouseAction::Press) {
        if (inList) {
            m_part = Part::List;
            Select(m_selected + (event.mouse == MouseAction::WheelDown ? 1 : -1));
        }
        return;
    }
    if (inList) {
        const int index = m_top + y - kListRow;
        if (index < static_cast<int>(m_entries.size())) {
            // A press on the selected entry opens it, as a double click would.
            const bool again = m_part == Part::List && index == m_selected;
            m_part = Part::List;
            Select(index);
            if (again) {
                Activate(index);
            }
        }
    } else if (y == kNameRow && x >= kFieldColumn) {
        m_part = Part::Name;
        m_cursor =
            std::min(m_name.size(), static_cast<std::size_t>(std::max(0, x - kFieldColumn - 1)));
    } else if (y == kFilterRow && x >= kFieldColumn) {
        m_part = Part::Filter;
        NextFilter(1);
    } else if (y == kButtonRow) {
        const int okX = kWidth - 2 - 2 * kButtonWidth - 2;
        const int cancelX = kWidth - 2 - kButtonWidth;
        if (x >= okX && x < okX + kButtonWidth) {
            m_part = Part::Ok;
            Accept();
        } else if (x >= cancelX && x < cancelX + kButtonWidth) {
            Finish(std::nullopt);
        }
    }
}

int FileDialogView::Columns() const {
    return kWidth;
}

int FileDialogView::Rows() const {
    return kHeight;
}

void FileDialogView::Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) {
    m_origin = Centre(area, kWidth, kHeight);
    const int ox = m_origin.x;
    const int oy = m_origin.y;
    const int inner = kWidth - 2 * kLabelColumn;
    ClearAround(grid, {ox, oy}, kWidth, kHeight);
    grid.Fill(ox, oy, kWidth, kHeight, U' ', Style::Box);
    DrawFrame(grid, ox, oy, kWidth, kHeight, glyphs, Style::Box,
              DecodeUtf8(m_request.save ? kSaveTitle : kOpenTitle), Style::Title);

    const int written = grid.Text(ox + kLabelColumn, oy + kFolderRow, kFolderLabel, Style::Box);
    grid.Text(ox + kLabelColumn + written + 1, oy + kFolderRow,
              Tail(DecodeUtf8(m_folder.string()), inner - written - 1), Style::Box);

    for (int row = 0; row < kListRows; ++row) {
        const int index = m_top + row;
        const int y = oy + kListRow + row;
        const bool selected = index == m_selected;
        const Style style =
            selected ? (m_part == Part::List ? Style::Focus : Style::Selected) : Style::Field;
        grid.Fill(ox + kLabelColumn, y, inner, 1, U' ', style);
        if (index < static_cast<int>(m_entries.size())) {
            const Entry& entry = m_entries[static_cast<std::size_t>(index)];
            grid.Text(ox + kLabelColumn + 1, y, DecodeUtf8(entry.name + (entry.folder ? "/" : "")),
                      style, inner - 2);
        } else if (!selected) {
            grid.Fill(ox + kLabelColumn, y, inner, 1, U' ', Style::Field);
        }
    }

    grid.Text(ox + kLabelColumn, oy + kNameRow, kNameLabel, Style::Box);
    const int fieldWidth = kWidth - kLabelColumn - kFieldColumn;
    const int room = fieldWidth - 2;
    const Style nameStyle = m_part == Part::Name ? Style::Focus : Style::Field;
    grid.Fill(ox + kFieldColumn, oy + kNameRow, fieldWidth, 1, U' ', nameStyle);
    grid.Put(ox + kFieldColumn, oy + kNameRow, U'[', nameStyle);
    grid.Put(ox + kFieldColumn + fieldWidth - 1, oy + kNameRow, U']', nameStyle);
    const std::size_t scroll = m_cursor >= static_cast<std::size_t>(room)
                                   ? m_cursor - static_cast<std::size_t>(room) + 1
                                   : 0;
    grid.Text(ox + kFieldColumn + 1, oy + kNameRow,
              std::u32string_view(m_name).substr(std::min(scroll, m_name.size())), nameStyle, room);
    if (m_part == Part::Name) {
        grid.SetCursor(
            CellPos{ox + kFieldColumn + 1 + static_cast<int>(m_cursor - scroll), oy + kNameRow});
    }

    grid.Text(ox + kLabelColumn, oy + kFilterRow, kFilterLabel, Style::Box);
    const Style filterStyle = m_part == Part::Filter ? Style::Focus : Style::Button;
    grid.Text(ox + kFieldColumn, oy + kFilterRow,
              U"< " + DecodeUtf8(m_filters[m_filter].name) + U" >", filterStyle, fieldWidth);

    const int okX = ox + kWidth - 2 - 2 * kButtonWidth - 2;
    DrawButton(grid, okX, oy + kButtonRow, kButtonWidth,
               DecodeUtf8(m_request.save ? kSaveButton : kOpenButton),
               m_part == Part::Ok ? Style::Focus : Style::Button);
    DrawButton(grid, ox + kWidth - 2 - kButtonWidth, oy + kButtonRow, kButtonWidth,
               DecodeUtf8(kCancelButton), m_part == Part::Cancel ? Style::Focus : Style::Button);
    grid.Text(ox + kLabelColumn, oy + kMessageRow, m_message, Style::Box, inner);
}

}  // namespace host::tui

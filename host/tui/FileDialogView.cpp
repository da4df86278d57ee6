#include "host/tui/FileDialogView.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "host/tui/TypedFileName.h"
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
    : m_request(std::move(request)), m_filters(FileFilter::Parse(m_request.filter)) {
    // An initial name with a folder of its own opens the dialog there.
    std::string name = m_request.initialName;
    const fs::path initial(name);
    std::error_code error;
    if (initial.has_parent_path() && fs::is_directory(initial.parent_path(), error)) {
        folder = initial.is_absolute() ? initial.parent_path() : folder / initial.parent_path();
        name = initial.filename().string();
    }
    m_name.Start(DecodeUtf8(name), false);
    Load(folder);
}

std::string FileDialogView::Name() const {
    return EncodeUtf8(m_name.Text());
}

void FileDialogView::Load(const fs::path& folder) {
    FolderListing listing = FolderListing::Read(folder, m_filters[m_filter]);
    m_message = listing.Error().empty() ? "" : CannotReadFolder(listing.Error());
    if (!listing.Opened()) {
        return;  // the dialog stays where it was
    }
    m_listing = std::move(listing);
    m_selected = 0;
    m_top = 0;
}

void FileDialogView::Select(int index) {
    if (Entries().empty()) {
        return;
    }
    m_selected = std::clamp(index, 0, static_cast<int>(Entries().size()) - 1);
    m_top = std::clamp(m_top, std::max(0, m_selected - kListRows + 1), m_selected);
    const Entry& entry = Entries()[static_cast<std::size_t>(m_selected)];
    if (!entry.folder) {
        m_name.Start(DecodeUtf8(entry.name), false);
    }
}

void FileDialogView::Activate(int index) {
    if (index < 0 || index >= static_cast<int>(Entries().size())) {
        return;
    }
    const Entry entry = Entries()[static_cast<std::size_t>(index)];
    if (entry.folder) {
        Load(entry.name == FolderListing::kParentFolder ? Folder().parent_path()
                                                        : Folder() / entry.name);
    } else {
        m_name.Start(DecodeUtf8(entry.name), false);
        Accept();
    }
}

void FileDialogView::Accept() {
    const TypedFileName typed =
        TypedFileName::Resolve(EncodeUtf8(m_name.Text()), Folder(), m_request);
    switch (typed.kind) {
        case TypedFileName::Kind::Nothing:
            return;
        case TypedFileName::Kind::Folder:
            Load(typed.path);
            m_name.Start(U"", false);
            return;
        case TypedFileName::Kind::Problem:
            m_message = typed.message;
            return;
        case TypedFileName::Kind::File:
            Finish(typed.path.string());
            return;
    }
}

void FileDialogView::Finish(std::optional<std::string> path) {
    m_result = std::move(path);
    m_done = true;
}

void FileDialogView::NextFilter(int step) {
    const auto count = static_cast<int>(m_filters.size());
    m_filter =
        static_cast<std::size_t>(((static_cast<int>(m_filter) + step) % count + count) % count);
    Load(Folder());
}

void FileDialogView::EditName(const InputEvent& event) {
    if (LineEditor::IsEditKey(event)) {
        m_name.Edit(event);
    } else if (event.key == Key::Enter) {
        Accept();
    } else if (event.key == Key::Up) {
        m_part = Part::List;
    } else if (event.key == Key::Down) {
        m_part = Part::Filter;
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
            Select(static_cast<int>(Entries().size()) - 1);
            break;
        case Key::Enter:
            Activate(m_selected);
            break;
        case Key::Backspace:
            if (Folder().has_relative_path()) {
                Load(Folder().parent_path());
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
        if (index < static_cast<int>(Entries().size())) {
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
        m_name.PlaceCursor(x - kFieldColumn - 1);
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
              Tail(DecodeUtf8(Folder().string()), inner - written - 1), Style::Box);

    for (int row = 0; row < kListRows; ++row) {
        const int index = m_top + row;
        const int y = oy + kListRow + row;
        const bool selected = index == m_selected;
        const Style style =
            selected ? (m_part == Part::List ? Style::Focus : Style::Selected) : Style::Field;
        grid.Fill(ox + kLabelColumn, y, inner, 1, U' ', style);
        if (index < static_cast<int>(Entries().size())) {
            const Entry& entry = Entries()[static_cast<std::size_t>(index)];
            grid.Text(ox + kLabelColumn + 1, y, DecodeUtf8(entry.name + (entry.folder ? "/" : "")),
                      style, inner - 2);
        } else if (!selected) {
            grid.Fill(ox + kLabelColumn, y, inner, 1, U' ', Style::Field);
        }
    }

    grid.Text(ox + kLabelColumn, oy + kNameRow, kNameLabel, Style::Box);
    const int fieldWidth = kWidth - kLabelColumn - kFieldColumn;
    const Style nameStyle = m_part == Part::Name ? Style::Focus : Style::Field;
    m_name.Draw(grid, ox + kFieldColumn, oy + kNameRow, fieldWidth, nameStyle,
                m_part == Part::Name);

    grid.Text(ox + kLabelColumn, oy + kFilterRow, kFilterLabel, Style::Box);
    const Style filterStyle = m_part == Part::Filter ? Style::Focus : Style::Button;
    grid.Text(ox + kFieldColumn, oy + kFilterRow,
              U"< " + DecodeUtf8(m_filters[m_filter].Name()) + U" >", filterStyle, fieldWidth);

    const int okX = ox + kWidth - 2 - 2 * kButtonWidth - 2;
    DrawButton(grid, okX, oy + kButtonRow, kButtonWidth,
               DecodeUtf8(m_request.save ? kSaveButton : kOpenButton),
               m_part == Part::Ok ? Style::Focus : Style::Button);
    DrawButton(grid, ox + kWidth - 2 - kButtonWidth, oy + kButtonRow, kButtonWidth,
               DecodeUtf8(kCancelButton), m_part == Part::Cancel ? Style::Focus : Style::Button);
    grid.Text(ox + kLabelColumn, oy + kMessageRow, m_message, Style::Box, inner);
}

}  // namespace host::tui

#include "host/tui/Screen.h"

#include <algorithm>

#include "host/tui/HelpView.h"
#include "host/tui/ModalDialogView.h"
#include "host/tui/SheetView.h"
#include "host/tui/Utf8.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropertySheet.h"

namespace host::tui {

namespace {

// The main keys, most wanted first: as many as fit stand on the status line.
constexpr const char* kStatusKeys[] = {"Esc exit", "F1 help", "PgUp/PgDn tab", "Tab move",
                                       "Space click"};

// While a handler runs, the keys give way to this.
constexpr char kBusyKeys[] = "keys are ignored";

constexpr char kTooSmall[] = "The terminal is too small for the sheet.";
constexpr char kTooSmallNeeds[] = "It needs at least ";
constexpr char kTooSmallHas[] = " characters; it has ";
constexpr char kTooSmallAction[] = "Enlarge the window, or press Esc to exit.";

std::string Size(int columns, int rows) {
    return std::to_string(columns) + " x " + std::to_string(rows);
}

}  // namespace

Screen::Screen(StatusInfo status, const Glyphs& glyphs)
    : m_status(std::move(status)), m_glyphs(glyphs) {}

Screen::~Screen() = default;

void Screen::WindowStarted(CWnd& window) {
    std::unique_ptr<View> view;
    if (auto* sheet = dynamic_cast<CPropertySheet*>(&window)) {
        view = std::make_unique<SheetView>(*sheet);
    } else if (auto* dialog = dynamic_cast<CDialog*>(&window)) {
        view = std::make_unique<ModalDialogView>(*dialog);
    } else {
        return;
    }
    View* raw = view.get();
    m_layers.push_back({raw, std::move(view), &window});
}

void Screen::WindowEnded(CWnd& window) {
    std::erase_if(m_layers, [&](const Layer& layer) { return layer.window == &window; });
}

void Screen::PushOverlay(View& view) {
    m_layers.push_back({&view, nullptr, nullptr});
}

void Screen::PopOverlay(View& view) {
    std::erase_if(m_layers, [&](const Layer& layer) { return layer.view == &view; });
}

int Screen::MinColumns() const {
    int columns = 1;
    for (const Layer& layer : m_layers) {
        columns = std::max(columns, layer.view->Columns());
    }
    return columns;
}

int Screen::MinRows() const {
    int rows = 0;
    for (const Layer& layer : m_layers) {
        rows = std::max(rows, layer.view->Rows());
    }
    return rows + 1;  // the status line
}

bool Screen::TooSmall(const CellGrid& grid) const {
    return grid.Width() < MinColumns() || grid.Height() < MinRows();
}

bool Screen::Shows(const CWnd& window) const {
    return std::any_of(m_layers.begin(), m_layers.end(),
                       [&](const Layer& layer) { return layer.view->Shows(window); });
}

void Screen::Render(CellGrid& grid) {
    grid.Fill(0, 0, grid.Width(), grid.Height(), U' ', Style::Plain);
    grid.SetCursor(std::nullopt);
    if (TooSmall(grid)) {
        const std::vector<std::string> lines = {kTooSmall,
                                                kTooSmallNeeds + Size(MinColumns(), MinRows()) +
                                                    kTooSmallHas +
                                                    Size(grid.Width(), grid.Height()) + ".",
                                                kTooSmallAction};
        int row = std::max(0, (grid.Height() - 3) / 2);
        for (const std::string& line : lines) {
            for (const std::u32string& part : WrapText(DecodeUtf8(line), grid.Width())) {
                grid.Text(0, row++, part, Style::Plain);
            }
        }
        return;
    }
    const CellRect area{0, 0, grid.Width(), grid.Height() - 1};
    const bool stale = m_status.problem && !m_status.problem().empty();
    for (const Layer& layer : m_layers) {
        if (auto* sheet = dynamic_cast<SheetView*>(layer.view)) {
            sheet->SetStale(stale);
        }
        // Only the top layer shows the cursor of its focused field.
        grid.SetCursor(std::nullopt);
        layer.view->Render(grid, area, m_glyphs);
    }
    if (m_help) {
        grid.SetCursor(std::nullopt);
        m_help->Render(grid, area, m_glyphs);
    }
    RenderStatus(grid);
}

std::u32string Screen::StatusTitle() const {
    for (const Layer& layer : m_layers) {
        if (layer.window != nullptr && !layer.window->GetWindowText().empty()) {
            return DecodeUtf8(layer.window->GetWindowText());
        }
    }
    return {};
}

std::u32string Screen::NodeDescription(std::u32string_view lead, bool programId) const {
    const std::u32string separator = StatusSeparator();
    std::u32string text = std::u32string(lead) + DecodeUtf8(m_status.nodeName) + separator;
    if (programId) {
        text += DecodeUtf8(m_status.programId) + separator;
    }
    if (!m_status.address.empty()) {
        text += DecodeUtf8(m_status.address) + separator;
    }
    return text + DecodeUtf8(m_status.link);
}

std::u32string Screen::StatusSeparator() const {
    return std::u32string(U" ") + m_glyphs.separator + U" ";
}

// The status line: the window's title and the node's description (its name, program ID,
// address and link), then right of it the host's own word: a problem or a notice, else the keys.
// While a handler runs, what runs stands in place of the node's description and the keys.
void Screen::RenderStatus(CellGrid& grid) const {
    const int row = grid.Height() - 1;
    grid.Fill(0, row, grid.Width(), 1, U' ', Style::Status);
    const std::u32string title = StatusTitle();
    const std::u32string separator = StatusSeparator();
    const std::u32string lead = title.empty() ? U" " : U" " + title + separator;
    const std::u32string problem =
        m_status.problem ? DecodeUtf8(m_status.problem()) : std::u32string();
    if (!m_busy.empty()) {
        RenderBusyStatus(grid, lead, title, problem);
        return;
    }
    // A problem or a notice of the host stands right of the description, in place of the keys.
    const std::u32string note = DecodeUtf8(!m_problem.empty() ? m_problem : m_notice);
    const int leftRoom =
        note.empty() ? grid.Width() : std::max(0, grid.Width() - 3 - static_cast<int>(note.size()));
    // The program ID gives way first, to a problem of the link or to the note; on a screen
    // narrower still the description is cut.
    const int problemWidth =
        problem.empty() ? 0 : static_cast<int>(separator.size() + problem.size());
    std::u32string left = NodeDescription(lead, true);
    const int wanted = static_cast<int>(left.size()) + problemWidth;
    if ((!problem.empty() && wanted >= grid.Width()) || (!note.empty() && wanted > leftRoom)) {
        left = NodeDescription(lead, false);
    }
    const int problemAt = static_cast<int>(left.size() + separator.size());
    if (!problem.empty()) {
        left += separator + problem;
    }
    const int written = grid.Text(0, row, left, Style::Status, leftRoom);
    grid.Text(1, row, title, Style::Title,
              std::clamp(static_cast<int>(title.size()), 0, std::max(0, leftRoom - 1)));
    grid.Text(problemAt, row, problem, Style::Title, std::max(0, leftRoom - problemAt));
    if (!note.empty()) {
        const int width = std::min(grid.Width() - written - 2, static_cast<int>(note.size()));
        if (width > 0) {
            grid.Text(grid.Width() - 1 - width, row, note,
                      m_problem.empty() ? Style::Status : Style::Focus, width);
        }
        return;
    }
    RenderStatusKeys(grid, written);
}

void Screen::RenderBusyStatus(CellGrid& grid, std::u32string_view lead, std::u32string_view title,
                              std::u32string_view problem) const {
    // What runs, in place of the node's name and the keys; a link that fails stays in view.
    const int row = grid.Height() - 1;
    const std::u32string separator = StatusSeparator();
    std::u32string left = std::u32string(lead) + DecodeUtf8(m_busy);
    const int problemAt = static_cast<int>(left.size() + separator.size());
    if (!problem.empty()) {
        left += separator + std::u32string(problem);
    }
    grid.Text(0, row, left, Style::Status);
    grid.Text(1, row, title, Style::Title, static_cast<int>(title.size()));
    grid.Text(problemAt, row, problem, Style::Title);
    const std::u32string keys = DecodeUtf8(kBusyKeys);
    const int x = grid.Width() - 1 - static_cast<int>(keys.size());
    if (x > static_cast<int>(left.size())) {
        grid.Text(x, row, keys, Style::Status);
    }
}

void Screen::RenderStatusKeys(CellGrid& grid, int written) const {
    // As many as fit right of the node's description, the most wanted first.
    std::vector<std::u32string> keys;
    int room = grid.Width() - written - 2;
    for (const char* key : kStatusKeys) {
        const auto text = DecodeUtf8(key);
        const int needed = static_cast<int>(text.size()) + 2;
        if (needed <= room) {
            keys.push_back(text);
            room -= needed;
        }
    }
    std::u32string right;
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        right += (right.empty() ? U"" : U"  ") + *it;
    }
    grid.Text(grid.Width() - 1 - static_cast<int>(right.size()), grid.Height() - 1, right,
              Style::Status);
}

std::vector<std::string> Screen::TabCaptions() const {
    std::vector<std::string> captions;
    for (const Layer& layer : m_layers) {
        if (const auto* sheet = dynamic_cast<const CPropertySheet*>(layer.window)) {
            for (int i = 0; i < sheet->GetPageCount(); ++i) {
                captions.push_back(sheet->GetPage(i)->GetCaption());
            }
            break;
        }
    }
    return captions;
}

Screen::Running Screen::RunningAction() const {
    Running running;
    for (const Layer& layer : m_layers) {
        const auto* sheet = dynamic_cast<const CPropertySheet*>(layer.window);
        const CPropertyPage* page = sheet != nullptr ? sheet->GetActivePage() : nullptr;
        if (page == nullptr) {
            continue;
        }
        running.tab = page->GetCaption();
        for (const auto& control : page->Controls()) {
            const ControlTemplate& made = *control->Template();
            if (made.kind == ControlKind::PushButton && control->GetWindowText() != made.text) {
                running.action = made.text;
                break;
            }
        }
    }
    return running;
}

void Screen::Handle(const InputEvent& event) {
    if (event.key != Key::Resize && event.key != Key::Terminate) {
        m_notice.clear();
    }
    if (m_help) {
        m_help->Handle(event);
        if (m_help->Closed()) {
            m_help.reset();
        }
        return;
    }
    if (event.key == Key::Function && event.number == 1) {
        m_help = std::make_unique<HelpView>(TabCaptions());
        return;
    }
    if (m_layers.empty()) {
        return;
    }
    View* view = m_layers.back().view;
    view->Handle(event);
    // Unless the input closed it.
    if (std::any_of(m_layers.begin(), m_layers.end(),
                    [&](const Layer& layer) { return layer.view == view; })) {
        if (std::string notice = view->TakeNotice(); !notice.empty()) {
            m_notice = std::move(notice);
        }
    }
}

}  // namespace host::tui

#include "host/tui/CursesTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>

#include <curses.h>

namespace host::tui {

namespace {

// Key codes of our own for sequences that ncurses has no name for.
constexpr int kCtrlPageUpCode = KEY_MAX + 1;
constexpr int kCtrlPageDownCode = KEY_MAX + 2;
constexpr int kEscapeDelayMs = 25;
constexpr wint_t kEscape = 27;
constexpr wint_t kCtrlU = 21;

constexpr int kTerminateSignals[] = {SIGTERM, SIGHUP, SIGINT};

int g_signalPipe[2] = {-1, -1};
struct sigaction g_previous[3];

extern "C" void OnTerminateSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

// Colour pairs, one per style that has colours of its own.
enum Pair : short {
    kPairFrame = 1,
    kPairField,
    kPairDisplay,
    kPairFocus,
    kPairSelected,
    kPairActiveTab,
    kPairBox,
    kPairStatus,
    kPairButton,
    kPairDiffers,
};

}  // namespace

struct CursesTerminal::Look {
    attr_t attributes;
    short pair;
};

std::unique_ptr<CursesTerminal> CursesTerminal::Start(bool unicode, std::string& error) {
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
        error = "the settings sheet needs a terminal; use `qma7 script` to run without one";
        return nullptr;
    }
    SCREEN* screen = newterm(nullptr, stdout, stdin);
    if (screen == nullptr) {
        const char* term = std::getenv("TERM");
        error = std::string("cannot use the terminal type ") +
                (term != nullptr ? term : "(TERM not set)");
        return nullptr;
    }
    std::unique_ptr<CursesTerminal> terminal(new CursesTerminal(unicode));
    terminal->m_screen = screen;
    terminal->m_running = true;
    set_term(screen);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    set_escdelay(kEscapeDelayMs);
    curs_set(0);
    // Releases are asked for too: ncurses waits for further input after an event it was not
    // asked for, which would block the wait on the terminal.
    mousemask(
        BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON4_PRESSED | BUTTON5_PRESSED,
        nullptr);
    mouseinterval(0);
    // Ctrl-PgUp and Ctrl-PgDn as xterm and rxvt send them, and as terminfo names them.
    define_key("\033[5;5~", kCtrlPageUpCode);
    define_key("\033[6;5~", kCtrlPageDownCode);
    define_key("\033[5^", kCtrlPageUpCode);
    define_key("\033[6^", kCtrlPageDownCode);
    for (const auto& [name, code] :
         {std::pair{"kPRV5", kCtrlPageUpCode}, std::pair{"kNXT5", kCtrlPageDownCode}}) {
        char* sequence = tigetstr(const_cast<char*>(name));
        if (sequence != nullptr && sequence != reinterpret_cast<char*>(-1)) {
            define_key(sequence, code);
        }
    }
    terminal->SetUpColours();

    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action {};
        action.sa_handler = OnTerminateSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kTerminateSignals); ++i) {
            sigaction(kTerminateSignals[i], &action, &g_previous[i]);
        }
    }
    return terminal;
}

CursesTerminal::~CursesTerminal() {
    Stop();
}

void CursesTerminal::Stop() {
    if (!m_running) {
        return;
    }
    m_running = false;
    curs_set(1);
    endwin();
    delscreen(static_cast<SCREEN*>(m_screen));
    m_screen = nullptr;
    if (g_signalPipe[0] >= 0) {
        for (std::size_t i = 0; i < std::size(kTerminateSignals); ++i) {
            sigaction(kTerminateSignals[i], &g_previous[i], nullptr);
        }
        close(g_signalPipe[0]);
        close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }
}

void CursesTerminal::SetUpColours() {
    const char* noColour = std::getenv("NO_COLOR");
    if ((noColour != nullptr && noColour[0] != '\0') || !has_colors() || start_color() == ERR) {
        return;
    }
    use_default_colors();
    m_colour = true;
    init_pair(kPairFrame, COLOR_CYAN, -1);
    init_pair(kPairField, COLOR_WHITE, COLOR_BLUE);
    init_pair(kPairDisplay, COLOR_YELLOW, -1);
    init_pair(kPairFocus, COLOR_BLACK, COLOR_YELLOW);
    init_pair(kPairSelected, COLOR_WHITE, COLOR_MAGENTA);
    init_pair(kPairActiveTab, COLOR_BLACK, COLOR_CYAN);
    init_pair(kPairBox, COLOR_BLACK, COLOR_WHITE);
    init_pair(kPairStatus, COLOR_BLACK, COLOR_CYAN);
    init_pair(kPairButton, COLOR_BLACK, COLOR_WHITE);
    init_pair(kPairDiffers, COLOR_WHITE, COLOR_RED);
}

CursesTerminal::Look CursesTerminal::LookOf(Style style) const {
    if (!m_colour) {
        // Attributes alone: fields underlined, values bold, the focus reversed.
        switch (style) {
            case Style::Dim:
                return {A_DIM, 0};
            case Style::Field:
                return {A_UNDERLINE, 0};
            case Style::Display:
            case Style::Title:
            case Style::Button:
                return {A_BOLD, 0};
            case Style::Focus:
            case Style::Status:
                return {A_REVERSE, 0};
            case Style::Selected:
                return {A_REVERSE | A_UNDERLINE, 0};
            case Style::Differs:
                return {A_BOLD | A_UNDERLINE, 0};
            case Style::ActiveTab:
                return {A_BOLD | A_UNDERLINE, 0};
            default:
                return {A_NORMAL, 0};
        }
    }
    switch (style) {
        case Style::Frame:
            return {A_NORMAL, kPairFrame};
        case Style::Dim:
            return {A_DIM, 0};
        case Style::Field:
            return {A_NORMAL, kPairField};
        case Style::Display:
            return {A_BOLD, kPairDisplay};
        case Style::Button:
            return {A_NORMAL, kPairButton};
        case Style::Focus:
            return {A_BOLD, kPairFocus};
        case Style::Selected:
            return {A_BOLD, kPairSelected};
        case Style::Differs:
            return {A_BOLD, kPairDiffers};
        case Style::ActiveTab:
            return {A_BOLD, kPairActiveTab};
        case Style::Box:
            return {A_NORMAL, kPairBox};
        case Style::Status:
            return {A_NORMAL, kPairStatus};
        case Style::Title:
            return {A_BOLD, kPairBox};
        default:
            return {A_NORMAL, 0};
    }
}

int CursesTerminal::Columns() const {
    return COLS;
}

int CursesTerminal::Rows() const {
    return LINES;
}

void CursesTerminal::Show(const CellGrid& grid) {
    const int rows = std::min(grid.Height(), LINES);
    const int columns = std::min(grid.Width(), COLS);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            char32_t c = grid.At(x, y);
            if (c == CellGrid::kWideTail) {
                if (m_unicode) {
                    continue;  // drawn with the wide character before it
                }
                c = U' ';
            }
            if (!m_unicode && c > 0x7E) {
                c = U'?';
            }
            const Look look = LookOf(grid.StyleAt(x, y));
            const wchar_t text[2] = {static_cast<wchar_t>(c), L'\0'};
            cchar_t cell;
            setcchar(&cell, text, look.attributes, look.pair, nullptr);
            mvadd_wch(y, x, &cell);  // the bottom-right cell reports an error and is drawn
        }
    }
    if (const auto& cursor = grid.Cursor(); cursor && cursor->x < columns && cursor->y < rows) {
        move(cursor->y, cursor->x);
        curs_set(1);
    } else {
        curs_set(0);
    }
    refresh();
}

namespace {

// The keys that ncurses names, and the characters that stand for a key of their own.
struct KeyCode {
    wint_t code;
    Key key;
};
constexpr KeyCode kNamedKeys[] = {
    {KEY_UP, Key::Up},
    {KEY_DOWN, Key::Down},
    {KEY_LEFT, Key::Left},
    {KEY_RIGHT, Key::Right},
    {KEY_HOME, Key::Home},
    {KEY_END, Key::End},
    {KEY_PPAGE, Key::PageUp},
    {KEY_NPAGE, Key::PageDown},
    {KEY_BTAB, Key::BackTab},
    {KEY_BACKSPACE, Key::Backspace},
    {KEY_DC, Key::Delete},
    {KEY_ENTER, Key::Enter},
    {KEY_RESIZE, Key::Resize},
    {kCtrlPageUpCode, Key::CtrlPageUp},
    {kCtrlPageDownCode, Key::CtrlPageDown},
};
constexpr wint_t kDelete = 127;
constexpr wint_t kCtrlH = 8;
constexpr KeyCode kCharacterKeys[] = {
    {L'\t', Key::Tab},         {L'\r', Key::Enter},      {L'\n', Key::Enter},
    {kDelete, Key::Backspace}, {kCtrlH, Key::Backspace}, {kCtrlU, Key::ClearField},
};

std::optional<Key> Find(std::span<const KeyCode> table, wint_t code) {
    for (const KeyCode& entry : table) {
        if (entry.code == code) {
            return entry.key;
        }
    }
    return std::nullopt;
}

// A press or a wheel turn of the mouse; nothing for what the sheet does not use.
std::optional<InputEvent> MouseEvent() {
    MEVENT mouse{};
    if (getmouse(&mouse) != OK) {
        return std::nullopt;
    }
    if ((mouse.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) != 0) {
        return InputEvent::Click(mouse.x, mouse.y);
    }
    if ((mouse.bstate & BUTTON4_PRESSED) != 0) {
        return InputEvent::Wheel(mouse.x, mouse.y, true);
    }
    if ((mouse.bstate & BUTTON5_PRESSED) != 0) {
        return InputEvent::Wheel(mouse.x, mouse.y, false);
    }
    return std::nullopt;
}

// A key that ncurses names: from the table, the mouse or a function key.
std::optional<InputEvent> NamedKey(wint_t c) {
    if (const auto key = Find(kNamedKeys, c)) {
        return InputEvent::Of(*key);
    }
    if (c == KEY_MOUSE) {
        return MouseEvent();
    }
    if (c >= static_cast<wint_t>(KEY_F(1)) && c <= static_cast<wint_t>(KEY_F(12))) {
        return InputEvent::FunctionKey(static_cast<int>(c - KEY_F0));
    }
    return std::nullopt;
}

// A character typed: a key of its own from the table, a printable character, or nothing for
// another control character.
std::optional<InputEvent> CharacterKey(wint_t c) {
    if (const auto key = Find(kCharacterKeys, c)) {
        return InputEvent::Of(*key);
    }
    if (c >= 32) {
        return InputEvent::Character(static_cast<char32_t>(c));
    }
    return std::nullopt;
}

}  // namespace

void CursesTerminal::ReadInput(std::vector<InputEvent>& events) {
    bool escape = false;  // an Esc whose next character may make it Alt
    for (;;) {
        wint_t c = 0;
        const int kind = get_wch(&c);
        if (kind == ERR) {
            break;
        }
        if (escape) {
            escape = false;
            if (kind == OK && c > 32 && c != kDelete && c != kEscape) {
                events.push_back(InputEvent::AltKey(static_cast<char32_t>(c)));
                continue;
            }
            events.push_back(InputEvent::Of(Key::Escape));
        }
        if (kind != KEY_CODE_YES && c == kEscape) {
            escape = true;
            continue;
        }
        const std::optional<InputEvent> event =
            kind == KEY_CODE_YES ? NamedKey(c) : CharacterKey(c);
        if (event) {
            events.push_back(*event);
        }
    }
    if (escape) {
        events.push_back(InputEvent::Of(Key::Escape));
    }
}

std::vector<InputEvent> CursesTerminal::Wait(std::optional<std::int64_t> timeoutMs) {
    std::vector<InputEvent> events;
    ReadInput(events);  // what ncurses holds already
    if (!events.empty()) {
        return events;
    }
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
    const int timeout =
        timeoutMs ? static_cast<int>(std::clamp<std::int64_t>(*timeoutMs, 0, INT_MAX)) : -1;
    const int ready = poll(fds, g_signalPipe[0] >= 0 ? 2 : 1, timeout);
    if (ready < 0) {
        // A signal: SIGWINCH leaves a resize for ncurses to report.
        ReadInput(events);
        return events;
    }
    if (ready > 0 && g_signalPipe[0] >= 0 && (fds[1].revents & POLLIN) != 0) {
        unsigned char signal = 0;
        while (read(g_signalPipe[0], &signal, 1) == 1) {
            events.push_back({Key::Terminate, 0, signal});
        }
    }
    if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // The terminal has gone: as a hang-up.
        events.push_back({Key::Terminate, 0, SIGHUP});
    } else if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
        ReadInput(events);
    }
    return events;
}

}  // namespace host::tui

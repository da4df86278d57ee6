#pragma once
// The real terminal through ncurses (wide-character build). It copies the cell grid to the
// screen, decodes keys and mouse actions, and turns SIGTERM, SIGHUP and SIGINT into Terminate
// events through a pipe, so that poll wakes for them and nothing runs in a signal handler.

#include <memory>
#include <string>

#include "host/tui/Terminal.h"

namespace host::tui {

class CursesTerminal final : public Terminal {
  public:
    // Takes over the terminal on standard input and output; nullptr with a message when there
    // is none. unicode: the locale can show characters beyond ASCII.
    static std::unique_ptr<CursesTerminal> Start(bool unicode, std::string& error);
    ~CursesTerminal() override;
    CursesTerminal(const CursesTerminal&) = delete;
    CursesTerminal& operator=(const CursesTerminal&) = delete;

    // Gives the terminal back as it was; also done by the destructor.
    void Stop();

    int Columns() const override;
    int Rows() const override;
    void Show(const CellGrid& grid) override;
    std::vector<InputEvent> Wait(std::optional<std::int64_t> timeoutMs) override;

  private:
    explicit CursesTerminal(bool unicode) : m_unicode(unicode) {}
    void ReadInput(std::vector<InputEvent>& events);
    void SetUpColours();
    struct Look;
    Look LookOf(Style style) const;

    bool m_unicode;
    bool m_colour = false;
    bool m_running = false;
    void* m_screen = nullptr;  // SCREEN*
};

}  // namespace host::tui

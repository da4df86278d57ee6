#pragma once
// The whole screen: the modal windows (the sheet, a dialog over it) with the boxes and file
// dialogs over them, the status line at the bottom, a guide on F1, and a clear message
// instead of a broken picture when the terminal is too small.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/tui/CellGrid.h"
#include "host/tui/InputEvent.h"
#include "host/tui/View.h"

class CWnd;

namespace host::tui {

class HelpView;

// What the status line says about the node.
struct StatusInfo {
    std::string nodeName;
    std::string programId;
    std::string link = "simulated";  // how the host reaches the node
    std::string address{};           // where the node is; empty for the simulated node
    // What is wrong with the link now ("no answer from ..."); empty while it answers.
    std::function<std::string()> problem{};
};

class Screen {
  public:
    Screen(StatusInfo status, const Glyphs& glyphs);
    ~Screen();

    // A modal window of the dialog model started or ended its loop.
    void WindowStarted(CWnd& window);
    void WindowEnded(CWnd& window);
    // A box or file dialog of the front end's own, shown until removed. Not owned.
    void PushOverlay(View& view);
    void PopOverlay(View& view);

    void Render(CellGrid& grid);
    // Gives the event to the top layer; F1 shows the guide, which takes the keys until closed.
    void Handle(const InputEvent& event);
    // Whether a change of window would show now.
    bool Shows(const CWnd& window) const;

    // The smallest terminal that shows every layer, status line included.
    int MinColumns() const;
    int MinRows() const;
    bool TooSmall(const CellGrid& grid) const;

    // The status line's own messages. Busy: what a handler runs now, shown instead of the keys
    // while it runs; notice: a short note until the next input; problem: a failure of the
    // program's own (the node image cannot be saved), shown until it is cleared. Empty: none.
    void SetBusy(std::string text) { m_busy = std::move(text); }
    void SetNotice(std::string text) { m_notice = std::move(text); }
    void SetProblem(std::string text) { m_problem = std::move(text); }

    // What a handler of the sheet's front tab runs now: the caption of the button whose
    // caption the handler changed while it runs ("Write" while it shows "Wait"; empty when no
    // button did), and the tab's caption.
    struct Running {
        std::string action;
        std::string tab;
    };
    Running RunningAction() const;

  private:
    struct Layer {
        View* view;
        std::unique_ptr<View> owned;  // the window layers
        const CWnd* window;
    };
    void RenderStatus(CellGrid& grid) const;
    void RenderBusyStatus(CellGrid& grid, std::u32string_view lead, std::u32string_view title,
                          std::u32string_view problem) const;
    // The keys, as many as fit right of written cells.
    void RenderStatusKeys(CellGrid& grid, int written) const;
    // The first window's title (the sheet's) that is not empty.
    std::u32string StatusTitle() const;
    std::u32string StatusSeparator() const;
    std::u32string NodeDescription(std::u32string_view lead, bool programId) const;
    // The captions of the sheet's tabs; none while no sheet is open.
    std::vector<std::string> TabCaptions() const;

    StatusInfo m_status;
    const Glyphs& m_glyphs;
    std::vector<Layer> m_layers;
    std::unique_ptr<HelpView> m_help;  // the guide, while F1 shows it
    std::string m_busy;
    std::string m_notice;
    std::string m_problem;
};

}  // namespace host::tui

#include "host/tui/ModalDialogView.h"

#include <algorithm>

#include "host/tui/Utf8.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"

namespace host::tui {

ModalDialogView::ModalDialogView(CDialog& dialog) : m_view(dialog) {}

namespace {

// A frame, and a blank between it and the controls.
constexpr int kMargin = 2;

}  // namespace

int ModalDialogView::Columns() const {
    return DialogLayout::Tightest(m_view.Dialog().GetTemplate()).Columns() + 2 * kMargin;
}

int ModalDialogView::Rows() const {
    return DialogLayout::Tightest(m_view.Dialog().GetTemplate()).Rows() + 2 * kMargin;
}

CellPos ModalDialogView::ControlsOrigin() const {
    return {m_origin.x + kMargin, m_origin.y + kMargin};
}

bool ModalDialogView::Shows(const CWnd& window) const {
    return &window == &m_view.Dialog() || window.GetParent() == &m_view.Dialog();
}

void ModalDialogView::Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) {
    if (!m_started) {
        m_started = true;
        m_view.FocusFirst();
    }
    const DialogLayout natural = DialogLayout::Natural(m_view.Dialog().GetTemplate());
    m_view.Arrange(std::min(area.width - 2 * kMargin, natural.Columns()),
                   std::min(area.height - 2 * kMargin, natural.Rows()));
    const int width = m_view.Layout().Columns() + 2 * kMargin;
    const int height = m_view.Layout().Rows() + 2 * kMargin;
    m_origin = Centre(area, width, height);
    ClearAround(grid, m_origin, width, height);
    DrawFrame(grid, m_origin.x, m_origin.y, width, height, glyphs, Style::Frame,
              DecodeUtf8(m_view.Dialog().GetWindowText()), Style::Title);
    m_view.Render(grid, {m_origin.x + kMargin, m_origin.y + kMargin}, glyphs, true);
}

void ModalDialogView::Press() {
    // The framework's default OK and Cancel end the dialog when no handler did.
    const auto focused = m_view.Focused();
    CDialog& dialog = m_view.Dialog();
    const int id =
        focused ? dialog.Controls()[static_cast<std::size_t>(*focused)]->GetDlgCtrlID() : 0;
    if ((id == IDOK || id == IDCANCEL) && !dialog.IsModalEnded()) {
        dialog.EndDialog(id);
    }
}

void ModalDialogView::Handle(const InputEvent& event) {
    CDialog& dialog = m_view.Dialog();
    switch (event.key) {
        case Key::Escape:
            dialog.EndDialog(IDCANCEL);
            return;
        case Key::Tab:
        case Key::BackTab: {
            const bool forward = event.key == Key::Tab;
            if (!m_view.FocusNext(forward)) {
                if (forward) {
                    m_view.FocusFirst();
                } else {
                    m_view.FocusLast();
                }
            }
            return;
        }
        case Key::Mouse:
            if (event.mouse == MouseAction::Press &&
                m_view.HandleClick(event.x - m_origin.x - kMargin,
                                   event.y - m_origin.y - kMargin)) {
                Press();
            }
            return;
        default:
            break;
    }
    const bool press = event.key == Key::Enter || (event.key == Key::Char && event.ch == U' ');
    if (m_view.HandleKey(event)) {
        if (press) {
            Press();
        }
        return;
    }
    if (event.key == Key::Up || event.key == Key::Left) {
        m_view.FocusNext(false);
    } else if (event.key == Key::Down || event.key == Key::Right) {
        m_view.FocusNext(true);
    }
}

}  // namespace host::tui

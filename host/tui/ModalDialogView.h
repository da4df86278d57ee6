#pragma once
// A modal dialog of the dialog model other than the sheet (the About box): its controls in a
// frame titled with its caption. OK and Cancel end it as the framework's defaults do; Esc is
// Cancel.

#include "host/tui/DialogView.h"
#include "host/tui/View.h"

namespace host::tui {

class ModalDialogView final : public View {
  public:
    explicit ModalDialogView(CDialog& dialog);

    int Columns() const override;
    int Rows() const override;
    void Render(CellGrid& grid, const CellRect& area, const Glyphs& glyphs) override;
    void Handle(const InputEvent& event) override;
    bool Shows(const CWnd& window) const override;

    const DialogView& Controls() const { return m_view; }
    // The top-left cell of the controls in the last Render.
    CellPos ControlsOrigin() const;

  private:
    void Press();

    DialogView m_view;
    bool m_started = false;
    CellPos m_origin;
};

}  // namespace host::tui

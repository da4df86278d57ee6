#pragma once
// What the front end needs of a terminal: its size, a way to show a grid, and a wait for input
// that sleeps until a key, a mouse action, a resize or a signal arrives, or a timeout ends.

#include <cstdint>
#include <optional>
#include <vector>

#include "host/tui/CellGrid.h"
#include "host/tui/InputEvent.h"

namespace host::tui {

class Terminal {
  public:
    virtual ~Terminal() = default;
    virtual int Columns() const = 0;
    virtual int Rows() const = 0;
    // Makes the screen show grid (a grid of the terminal's size).
    virtual void Show(const CellGrid& grid) = 0;
    // Blocks until input arrives or timeoutMs has passed (none: no limit); the events that
    // arrived, none after a timeout.
    virtual std::vector<InputEvent> Wait(std::optional<std::int64_t> timeoutMs) = 0;
    // What has arrived, without waiting: while a handler runs.
    virtual std::vector<InputEvent> Poll() { return Wait(0); }
};

}  // namespace host::tui

#pragma once
// Connects the terminal front end to what blocks the thread: the client site's host calls and
// the clock's pauses. While it lives, the front end sees every host call before and after it is
// made and runs while the thread blocks (the busy line, signals, resizes, dropped keys).

#include "host/site/ClientSite.h"
#include "host/tui/TerminalFrontEnd.h"

namespace host {

class FrontEndHookup {
  public:
    FrontEndHookup(ClientSite& site, tui::TerminalFrontEnd& frontEnd);
    ~FrontEndHookup();
    FrontEndHookup(const FrontEndHookup&) = delete;
    FrontEndHookup& operator=(const FrontEndHookup&) = delete;

  private:
    ClientSite& m_site;
};

}  // namespace host

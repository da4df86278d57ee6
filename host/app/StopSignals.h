#pragma once
// SIGTERM, SIGHUP and SIGINT for a command without a terminal front end (`qma7 script` on a node
// of the network): noted when they come and acted on where the command blocks (a host call, a
// pause) or when asked: the cleanup runs (a USB interface gets its mode back), and the process
// ends as the signal would have ended it.

#include <functional>

namespace host {

class StopSignals {
  public:
    explicit StopSignals(std::function<void()> cleanup);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Ends the process when a stop signal came.
    void Check();

  private:
    std::function<void()> m_cleanup;
};

}  // namespace host

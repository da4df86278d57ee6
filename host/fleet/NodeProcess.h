#pragma once
// The body of a fleet's node process: it runs the job's action on its node through the
// plug-in's own handlers, played by the script driver, over a relay link to the process that
// owns the real link, reporting its progress and, once, its result. It runs in a process of its
// own because the plug-in keeps process-wide state (the active control, the clock, the message
// loop) and expects one thread.

#include "host/fleet/FleetJob.h"
#include "host/fleet/RelayMessage.h"

namespace host::fleet {

// The script that plays the user for the action; path: the settings file.
std::string ActionScript(const FleetJob& job, const std::string& path);
// What the boxes the plug-in showed (as `boxes` prints them) say of the action's end.
NodeResult ResultOfBoxes(Action action, const std::string& boxes);

// Runs the job; socket: this process's end of its pair. Returns the process's exit status.
int RunNodeProcess(int socket, const FleetJob& job);

// Set by SIGINT in a node process: it stops at its next step.
void RequestStop();

}  // namespace host::fleet

#pragma once
// The end of a fleet run: the table a person reads and the JSON a program reads, and the lines
// that show a node's progress while it runs.

#include <cstdint>
#include <string>
#include <vector>

#include "host/fleet/FleetJob.h"
#include "host/fleet/FleetRow.h"

namespace host::fleet {

// "AHU1  51/35/12  save  12 of 26 items  3.4 s", or the node's result once it ended.
std::string ProgressLine(const FleetRow& row, std::size_t labelWidth, std::int64_t nowMs);
// Node, address, result, items not written, time; then each failure's or difference's detail.
std::string FormatTable(const std::vector<FleetRow>& rows, Action action);
std::string FormatJson(const std::vector<FleetRow>& rows, Action action);
const char* ActionName(Action action);

}  // namespace host::fleet

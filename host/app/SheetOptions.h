#pragma once
// The options that choose the sheet's node and how it is reached, for every front end of the
// sheet: the simulated node's image (--node, --fresh, --latency) or a node on the network
// (--lon and its options).

#include <cstdint>
#include <optional>
#include <string>

#include "host/app/LonOption.h"

namespace host {

struct SheetOptions {
    std::optional<std::string> nodeImage;
    bool fresh = false;
    std::int64_t latencyMs = 0;
    LonOptions lon;
};

// Takes every argument as an option of the sheet; false with the reason in error.
bool ParseSheetOptions(int argc, char** argv, SheetOptions& options, std::string& error);

}  // namespace host

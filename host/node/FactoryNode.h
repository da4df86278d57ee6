#pragma once
// The node that `qma7` simulates when no image is given: a node as it leaves the factory.

#include <array>
#include <cstdint>

#include "host/node/SimNode.h"

namespace host {

class FactoryNode {
  public:
    using PartBytes = std::array<std::uint8_t, SimNode::kLongSize>;

    static SimNode Make();
    // The factory configuration held in parts 1 to 12 (index 0 is part 1).
    static const std::array<PartBytes, SimNode::kPartCount>& Parts();
};

}  // namespace host

#pragma once
// What stands behind the control's client site: the node that answers the host's three calls.
// The simulated node is one; a node on the LonWorks network is another. The plug-in never
// learns which one it has.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "host/link/LinkError.h"

namespace host {

class NodeLink {
  public:
    virtual ~NodeLink() = default;

    // Copies at most buffer.size() bytes of NV nv's value into buffer and sets returned to the
    // count. False, with nothing usable in buffer, when the node refuses, does not answer or
    // answers wrongly.
    virtual bool Read(int nv, std::span<std::uint8_t> buffer, std::size_t& returned) = 0;
    // Sends data as NV nv's new value; false when it did not reach the node as sent.
    virtual bool Write(int nv, std::span<const std::uint8_t> data) = 0;
    // The node's name followed by NUL bytes, cut to buffer.size().
    virtual bool ReadName(std::span<char> buffer) = 0;

    // For the status line: what kind of link this is ("simulated", "LON/IP"), where the node is
    // ("51/35/12"; empty for the simulated node), and what is wrong with the link now ("no
    // answer from 51/35/12"; empty while it answers).
    virtual std::string Kind() const = 0;
    virtual std::string Address() const { return {}; }
    virtual std::string Problem() const { return {}; }

    // Why the last Read, Write or ReadName failed; Kind::None after one that succeeded.
    virtual LinkError LastError() const { return {}; }
    // The user's own action (a key, a click) begins: its first call gets a full try even when
    // the node is known to be silent, where a refresh fails at once.
    virtual void UserActionBegins() {}
    // What the link found out since it was last asked, for the status line (what became of a
    // write whose answer never came); empty when nothing.
    virtual std::string TakeNotice() { return {}; }
};

}  // namespace host

#pragma once
// The groups of figures that qma7_bench measures.

#include <string>

namespace bench {

struct Options {
    std::string binDir;      // where qma7 and its module are
    int idleSeconds = 30;    // how long idle CPU time is measured
    int startupRuns = 20;    // process start-ups per figure
    bool quick = false;      // every action once, the long ones at L = 0 only
    bool smoke = false;      // each figure once, as briefly as it can be had
    std::string lonnode;     // the LON/IP test node's program
    std::string lonusb;      // the USB test peer's folder (u60sim.py, probe-usb.py)
    std::string lonusbNode;  // the test node's program on a USB interface
};

// Each tab's Read and Write, Save to file, Read from file and Default settings on the real
// clock at a channel latency of 0 and 20 ms, against the floor of pauses and latencies.
void ActionFigures(const Options& options);
// The process's CPU time while the sheet sits idle with every tab opened.
void IdleFigures(const Options& options);
// Start-up time and peak memory of `qma7 script`.
void ProcessFigures(const Options& options);
// LON/IP on loopback against the test node: NV fetch and update round trips, and Save to file
// against its floor. Needs the network namespace that bench/run makes.
void LonFigures(const Options& options);
// Through a USB interface of the emulated channel to the test node: the fetch round trip beside
// the channel floor and the peer's probe, the host's CPU per fetch, Save to file against its
// floor.
void UsbFigures(const Options& options);
// `qma7 fleet` against twenty test nodes on LON/IP: a save of all against one node's alone, the
// host's memory and CPU meanwhile, and a scan of 127 addresses. Needs the network namespace.
void FleetFigures(const Options& options);
// `qma7 fleet` through one USB interface on an emulated FT-10 channel with five test nodes: a
// save of all against the larger of one node's save alone and the channel's frame time.
void FleetUsbFigures(const Options& options);
// The terminal front end: time to its first frame, peak memory, idle CPU with every tab open.
void TerminalFigures(const Options& options);

}  // namespace bench

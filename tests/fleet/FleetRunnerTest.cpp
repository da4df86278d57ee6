// The fleet's processes and the relay around them, on a scripted link: a scan forks one process
// per address (no plug-in is loaded for it), and each answer must reach the process of the node
// that sent it.
#include "host/fleet/FleetRunner.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "host/lon/LonMessages.h"

using namespace host::fleet;
using host::lon::Packet;
using host::lon::Service;

namespace {

constexpr host::lon::SubnetNode kHost{35, 126};
const std::vector<std::uint8_t> kOtherProgram{0x2D, 0x90, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

// Nodes that answer a program ID request with their own ID and refuse everything else.
class NodesLink final : public host::lon::PacketLink {
  public:
    explicit NodesLink(std::set<int> present) : m_present(std::move(present)) {}
    bool Send(const Packet& packet) override {
        if (!m_present.contains(packet.destination.node) || packet.apdu.empty()) {
            return true;
        }
        Packet answer{packet.destination, packet.source,      packet.domain,
                      Service::Response,  packet.transaction, {}};
        if (packet.apdu == host::lon::ReadProgramIdRequest()) {
            answer.apdu = kOtherProgram;
            answer.apdu[8] = static_cast<std::uint8_t>(packet.destination.node);
        } else {
            answer.apdu = {static_cast<std::uint8_t>(packet.apdu[0] - 0x60)};
        }
        m_answers.push_back(answer);
        return true;
    }
    bool Receive(std::int64_t, Packet& packet) override {
        if (m_answers.empty()) {
            return false;
        }
        packet = m_answers.front();
        m_answers.pop_front();
        return true;
    }

  private:
    std::set<int> m_present;
    std::deque<Packet> m_answers;
};

}  // namespace

TEST(FleetRunnerTest, EachProcessGetsItsOwnNodesAnswersAndEveryNodeEnds) {
    for (const std::size_t parallel : {std::size_t{0}, std::size_t{2}}) {
        NodesLink link({2, 5, 6});
        PacketRelay relay(link, PacketRelay::kUnbounded, 100);
        std::FILE* sink = std::fopen("/dev/null", "w");
        FleetDisplay display(sink, false);
        FleetRunner runner(relay, link, -1, display, nullptr);
        std::vector<FleetJob> jobs;
        std::vector<FleetRow> rows;
        for (int node = 1; node <= 7; ++node) {
            FleetJob job;
            job.action = Action::Scan;
            job.address = {{0x51}, 35, node};
            job.route = {kHost, {35, static_cast<std::uint8_t>(node)}, {0x51}};
            job.timing = {50, 1};
            jobs.push_back(job);
            FleetRow row;
            row.node.label = std::to_string(node);
            row.node.address = job.address;
            rows.push_back(row);
        }
        // A node that ended before the run is not started.
        rows[5].state = FleetRow::State::Ended;
        rows[5].result.detail = "no file";
        runner.Run(jobs, rows, parallel);
        std::fclose(sink);
        for (const FleetRow& row : rows) {
            const int node = row.node.address.node;
            ASSERT_EQ(row.state, FleetRow::State::Ended) << node;
            if (node == 6) {
                EXPECT_EQ(row.result.outcome, Outcome::Failed);
                EXPECT_EQ(row.result.detail, "no file");
                continue;
            }
            if (node == 2 || node == 5 || node == 6) {
                EXPECT_EQ(row.result.outcome, Outcome::Done) << node;
                // The ID's last byte is the node's number: the answer came from its own node.
                EXPECT_EQ(row.result.programId, "90 00 11 22 33 44 55 0" + std::to_string(node))
                    << node;
            } else {
                EXPECT_EQ(row.result.outcome, Outcome::Silent) << node << " " << row.result.detail;
            }
        }
    }
}

#include "host/app/NodeConnection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "host/app/NetworkPort.h"
#include "host/app/SheetOptions.h"
#include "host/link/NodeLink.h"
#include "host/node/NodeImage.h"
#include "host/node/NodeProgramId.h"
#include "platform/crt/Clock.h"
#include "tests/support/Files.h"

namespace {

// An environment variable set for one test and put back after it.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// The NV the sheet's first page reads; any NV of the simulated node would do.
constexpr int kSomeNv = 0;

}  // namespace

TEST(NodeConnection, AScriptsSimulatedNodeRunsOnItsOwnClockAndIsWrittenWhereAskedUnderALock) {
    ScratchFolder folder;
    const std::string save = folder.Path("after.json");
    std::string error;
    auto connection = host::NodeConnection::OpenScripted(std::nullopt, save, {}, error);
    ASSERT_NE(connection, nullptr) << error;
    EXPECT_EQ(connection->Link().Kind(), "simulated");
    // The plug-in's pauses run on the script's virtual clock while the connection lives.
    EXPECT_EQ(&platform::crt::CurrentClock(), &connection->Clock());
    const std::int64_t before = connection->ScriptClock().NowMs();
    connection->ScriptClock().SleepMs(36000);
    EXPECT_EQ(connection->ScriptClock().NowMs() - before, 36000);

    // One writer per image: a second script that would save there is refused at once.
    std::string second;
    EXPECT_EQ(host::NodeConnection::OpenScripted(std::nullopt, save, {}, second), nullptr);
    EXPECT_FALSE(second.empty());

    std::size_t returned = 0;
    std::uint8_t bytes[64] = {};
    ASSERT_TRUE(connection->Link().Read(kSomeNv, bytes, returned));
    ASSERT_TRUE(connection->Link().Write(kSomeNv, std::span(bytes, returned)));
    ASSERT_TRUE(connection->SaveScripted(error)) << error;
    EXPECT_TRUE(host::NodeImage::Load(save, error)) << error;

    const platform::crt::Clock* own = &connection->Clock();
    connection.reset();
    EXPECT_NE(&platform::crt::CurrentClock(), own);
    // The lock went with the connection.
    EXPECT_NE(host::NodeConnection::OpenScripted(std::nullopt, save, {}, error), nullptr) << error;
}

TEST(NodeConnection, AnImageOrANodeThatCannotBeHadIsToldBeforeAnythingRuns) {
    ScratchFolder folder;
    std::string error;
    EXPECT_EQ(
        host::NodeConnection::OpenScripted(folder.Path("missing.json"), std::nullopt, {}, error),
        nullptr);
    EXPECT_NE(error.find("missing.json"), std::string::npos) << error;

    // A name no node list knows: nothing is opened, and the clock is given back.
    const ScopedVariable config("XDG_CONFIG_HOME", folder.Dir().string());
    host::LonOptions lon;
    lon.target = "AHU9";
    error.clear();
    const platform::crt::Clock* before = &platform::crt::CurrentClock();
    EXPECT_EQ(host::NodeConnection::OpenScripted(std::nullopt, std::nullopt, lon, error), nullptr);
    EXPECT_EQ(error.rfind("\"AHU9\" is neither an address DOMAIN/SUBNET/NODE nor a node of", 0), 0u)
        << error;
    EXPECT_EQ(&platform::crt::CurrentClock(), before);

    host::SheetOptions sheet;
    sheet.lon = lon;
    EXPECT_EQ(host::NodeConnection::OpenKept(sheet, std::nullopt, error), nullptr);
    EXPECT_EQ(error.rfind("\"AHU9\" is neither", 0), 0u) << error;
}

TEST(NodeConnection, TheSheetsSimulatedNodeIsKeptInItsImageAndNamedOnTheStatusLine) {
    ScratchFolder folder;
    // The first run on the default image starts it from the factory node.
    const std::filesystem::path image = folder.Dir() / "node.json";
    const host::SheetOptions options;
    std::string error;
    auto connection = host::NodeConnection::OpenKept(options, image, error);
    ASSERT_NE(connection, nullptr) << error;
    const host::tui::StatusInfo status = connection->Status();
    EXPECT_EQ(status.nodeName, "AHU1");
    EXPECT_EQ(status.programId, host::ProgramIdText(host::kSimNodeProgramId));
    EXPECT_EQ(status.link, "simulated");
    EXPECT_EQ(status.address, "");
    EXPECT_EQ(status.problem(), "");

    // A sheet on the same image would overwrite this one's work: refused.
    std::string second;
    EXPECT_EQ(host::NodeConnection::OpenKept(options, image, second), nullptr);
    EXPECT_FALSE(second.empty());

    // A change is saved a second after it, and the status line hears of the save.
    std::size_t returned = 0;
    std::uint8_t bytes[64] = {};
    ASSERT_TRUE(connection->Link().Read(kSomeNv, bytes, returned));
    bytes[0] ^= 1;
    ASSERT_TRUE(connection->Link().Write(kSomeNv, std::span(bytes, returned)));
    const std::string before = ReadFile(image);
    const auto kept = connection->Keep(connection->Clock().NowMs() + 2000);
    ASSERT_TRUE(kept.problem);
    EXPECT_EQ(*kept.problem, "");
    EXPECT_NE(ReadFile(image), before);
    EXPECT_TRUE(connection->SaveKept());
    EXPECT_EQ(connection->KeepError(), "");
}

TEST(NetworkPort, AnInterfaceThatIsNotThereIsToldBeforeAnythingIsSent) {
    const host::lon::LonAddress node{{0x51}, 35, 12};
    const host::lon::LonAddress hostAddress{{0x51}, 35, 126};
    platform::crt::ElapsedClock clock;
    std::string error;
    const host::PortChoice usb{"/dev/qma7-no-such-tty", "u50"};
    auto socketMessage = [](int, const host::lon::LonAddress&, std::uint32_t) {
        return std::string("the socket");
    };
    EXPECT_EQ(host::NetworkPort::Open(usb, node, hostAddress, clock, socketMessage, error),
              nullptr);
    EXPECT_NE(error.find("/dev/qma7-no-such-tty"), std::string::npos) << error;
}

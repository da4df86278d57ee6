#include "host/site/ClientSite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/node/SimNode.h"
#include "platform/com/ComPtr.h"
#include "platform/crt/Clock.h"

namespace {

using host::ClientSite;
using host::HostCall;

class ClientSiteTest : public ::testing::Test {
  protected:
    ClientSiteTest() {
        m_node.SetName("AHU1");
        std::string error;
        m_node.SetNv(5, std::vector<std::uint8_t>{0x42, 0x68}, error);
        platform::crt::SetCurrentClock(&m_clock);
    }
    ~ClientSiteTest() override { platform::crt::SetCurrentClock(nullptr); }

    template <typename T>
    ComPtr<T> Query(REFIID iid) {
        ComPtr<T> p;
        const HRESULT hr = m_site.QueryInterface(iid, p.PutVoid());
        EXPECT_EQ(hr == S_OK, p.Get() != nullptr);
        return p;
    }

    std::vector<std::string> Trace() {
        std::vector<std::string> lines;
        for (const HostCall& call : m_site.TakeCalls()) {
            lines.push_back(host::FormatHostCall(call));
        }
        return lines;
    }

    platform::crt::VirtualClock m_clock;
    host::SimNode m_node;
    ClientSite m_site{m_node};
};

}  // namespace

TEST_F(ClientSiteTest, AnswersConfiguredInterfacesAndCountsReferences) {
    {
        ComPtr<IUnknown> unknown = Query<IUnknown>(IID_IUnknown);
        ComPtr<INvRead> read = Query<INvRead>(IID_INvRead);
        ComPtr<INvWrite> write = Query<INvWrite>(IID_INvWrite);
        ASSERT_TRUE(unknown && read && write);
        EXPECT_FALSE(Query<IUnknown>(IID_IDispatch));
        EXPECT_EQ(m_site.Outstanding(IID_INvRead), 1);
        EXPECT_EQ(m_site.Outstanding(IID_INvWrite), 1);
        EXPECT_EQ(m_site.Outstanding(IID_IUnknown), 1);

        // One identity: IUnknown from an inner object is the site.
        ComPtr<IUnknown> same;
        ASSERT_EQ(read->QueryInterface(IID_IUnknown, same.PutVoid()), S_OK);
        EXPECT_EQ(same.Get(), unknown.Get());
        ComPtr<INvRead> copy = read;
        EXPECT_EQ(m_site.Outstanding(IID_INvRead), 2);
        EXPECT_EQ(m_site.Outstanding(IID_IOleClientSite), 2);
    }
    EXPECT_EQ(m_site.Outstanding(IID_INvRead), 0);
    EXPECT_EQ(m_site.Outstanding(IID_INvWrite), 0);
    EXPECT_EQ(m_site.Outstanding(IID_IUnknown), 0);

    // The four combinations of interfaces are the settings sheet's tests; one is enough here.
    m_site.SetInterfaces(true, false);
    void* none = &m_site;
    EXPECT_EQ(m_site.QueryInterface(IID_INvWrite, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(Query<IOleClientSite>(IID_IOleClientSite));

    // An extra release shows.
    m_site.Release();
    EXPECT_EQ(m_site.Outstanding(IID_IUnknown), -1);
}

TEST_F(ClientSiteTest, LogsCallsAtTheirVirtualTime) {
    ComPtr<INvRead> read = Query<INvRead>(IID_INvRead);
    ComPtr<INvWrite> write = Query<INvWrite>(IID_INvWrite);
    std::uint8_t buffer[32]{};
    char name[50];

    EXPECT_EQ(read->ReadNv(5, buffer, 31), S_OK);
    m_site.SetLatency(25);
    m_clock.SleepMs(100);
    const std::uint8_t word[] = {0x00, 0x0A};
    EXPECT_EQ(write->WriteNv(6, word, 2), S_OK);
    EXPECT_NE(write->WriteNv(6, word, 1), S_OK);
    EXPECT_NE(read->ReadNv(43, buffer, 31), S_OK);
    EXPECT_EQ(read->ReadNv(6, buffer, 1), S_OK);
    EXPECT_EQ(read->ReadNodeName(name, 50), S_OK);
    EXPECT_EQ(read->ReadNodeName(name, 2), S_OK);
    EXPECT_EQ(std::string(name, 2), "AH");
    m_node.FailName();
    EXPECT_NE(read->ReadNodeName(name, 20), S_OK);
    EXPECT_NE(read->ReadNv(5, nullptr, 31), S_OK);
    EXPECT_NE(read->ReadNv(5, buffer, -1), S_OK);
    EXPECT_NE(read->ReadNodeName(nullptr, 20), S_OK);
    EXPECT_NE(write->WriteNv(6, nullptr, 2), S_OK);

    EXPECT_EQ(Trace(), (std::vector<std::string>{
                           "0 read 5 31 ok 4268",
                           "100 write 6 2 ok 000A",
                           "125 write 6 1 fail 00",
                           "150 read 43 31 fail",
                           "175 read 6 1 ok 00",
                           "200 name 50 ok \"AHU1\"",
                           "225 name 2 ok \"AH\"",
                           "250 name 20 fail",
                           "275 read 5 31 fail",
                           "300 read 5 -1 fail",
                           "325 name 20 fail",
                           "350 write 6 2 fail -",
                       }));
    EXPECT_EQ(m_clock.NowMs(), 375);
    EXPECT_TRUE(m_site.TakeCalls().empty());
}

TEST_F(ClientSiteTest, ACutOffSiteFailsEveryCallAtOnceWithoutReachingTheNodeOrTheLog) {
    ComPtr<INvRead> read = Query<INvRead>(IID_INvRead);
    ComPtr<INvWrite> write = Query<INvWrite>(IID_INvWrite);
    int told = 0;
    m_site.SetCallObserver({[&] { ++told; }, [&](const HostCall&) { ++told; }});
    m_site.SetLatency(25);
    m_site.CutOff();

    std::uint8_t buffer[32]{0xEE};
    char name[8]{'x'};
    const std::uint8_t word[] = {0x00, 0x0A};
    EXPECT_NE(read->ReadNv(5, buffer, 31), S_OK);
    EXPECT_NE(read->ReadNodeName(name, 8), S_OK);
    EXPECT_NE(write->WriteNv(5, word, 2), S_OK);

    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(name[0], 'x');
    EXPECT_EQ(m_node.GetNv(5)->front(), 0x42);
    EXPECT_TRUE(Trace().empty());
    EXPECT_EQ(told, 0);
    EXPECT_EQ(m_clock.NowMs(), 0);
}

#pragma once
// The control's client site: the host's side of the embedded control. It answers INvRead and
// INvWrite over the node link (the simulated node or one on the network), spends a configurable
// latency on each call, and logs every call with the time at which it was made. It counts the
// references it hands out per interface, so a test can prove that the sheet releases exactly what
// it obtained.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/link/NodeLink.h"
#include "host/site/CallLog.h"
#include "platform/com/NvInterfaces.h"
#include "platform/com/Unknown.h"

namespace host {

// One host call as the call log keeps it.
struct HostCall {
    enum class Kind { Read, Write, Name };
    Kind kind = Kind::Read;
    std::int64_t timeMs = 0;  // when the call was made, before its latency
    std::int32_t nv = 0;      // Read, Write
    std::int32_t size = 0;    // the buffer size (Read, Name) or the length written (Write)
    bool ok = false;
    std::vector<std::uint8_t> bytes;  // Read: the bytes returned; Write: the bytes sent
    std::string text;                 // Name: the characters returned, up to the first NUL
};

// "T read NV SIZE ok HEX", "T write NV LEN ok|fail HEX", "T name SIZE ok \"TEXT\"", ...
std::string FormatHostCall(const HostCall& call);

class ClientSite final : public IOleClientSite {
  public:
    explicit ClientSite(NodeLink& node);
    // The node behind the site, for why a call failed.
    NodeLink& Link() { return m_node; }
    ClientSite(const ClientSite&) = delete;
    ClientSite& operator=(const ClientSite&) = delete;

    // Which node interfaces QueryInterface answers from now on (both at first).
    void SetInterfaces(bool read, bool write);
    // The virtual time each host call takes from now on.
    void SetLatency(std::int64_t ms) { m_latencyMs = ms; }
    // Cuts the site off the node for good: from now on every host call fails at once, without
    // latency, observer or log entry, so the handlers of a session that ended in an error run
    // out without reaching the node or the trace.
    void CutOff() { m_cutOff = true; }

    // The calls made since the last TakeCalls, oldest first (at most the log's bound).
    std::vector<HostCall> TakeCalls();
    // Whether calls are kept for TakeCalls (at first they are); a host that never takes them
    // turns this off.
    void SetKeepCalls(bool keep) { m_keepCalls = keep; }

    // Told before and after each host call: where a front end checks for signals and shows
    // progress.
    struct CallObserver {
        std::function<void()> before;
        std::function<void(const HostCall&)> after;
    };
    void SetCallObserver(CallObserver observer) { m_observer = std::move(observer); }
    void TakeCalls(const std::function<void(const HostCall&)>& each) { m_calls.Take(each); }
    // How many calls the log dropped, oldest first, since the last time this was asked.
    std::size_t TakeDroppedCalls() { return m_calls.TakeDropped(); }

    // References handed out and not yet released through the interface iid. IID_IUnknown and
    // IID_IOleClientSite share one count: both are the site itself. Negative after an extra
    // Release.
    int Outstanding(REFIID iid) const;

    // IUnknown. The host owns the site: Release never deletes it.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IOleClientSite: none of these is needed by the control.
    HRESULT SaveObject() override { return E_NOTIMPL; }
    HRESULT GetMoniker(std::uint32_t, std::uint32_t, void**) override { return E_NOTIMPL; }
    HRESULT GetContainer(void**) override { return E_NOTIMPL; }
    HRESULT ShowObject() override { return E_NOTIMPL; }
    HRESULT OnShowWindow(std::int32_t) override { return E_NOTIMPL; }
    HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  private:
    // Inner objects: their identity is the site's, so QueryInterface goes to the site; each
    // counts its own references. They answer no late-bound calls.
    template <typename Interface>
    class Inner : public Interface {
      public:
        Inner(ClientSite& site, int& references) : m_site(site), m_references(references) {}
        HRESULT QueryInterface(REFIID iid, void** object) override {
            return m_site.QueryInterface(iid, object);
        }
        std::uint32_t AddRef() override { return Count(++m_references); }
        std::uint32_t Release() override { return Count(--m_references); }
        HRESULT GetTypeInfoCount(std::uint32_t*) override { return E_NOTIMPL; }
        HRESULT GetTypeInfo(std::uint32_t, LCID, void**) override { return E_NOTIMPL; }
        HRESULT GetIDsOfNames(REFIID, const char**, std::uint32_t, LCID, DISPID*) override {
            return E_NOTIMPL;
        }
        HRESULT Invoke(DISPID, REFIID, LCID, std::uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                       std::uint32_t*) override {
            return E_NOTIMPL;
        }

      protected:
        ClientSite& m_site;

      private:
        int& m_references;
    };

    class NvRead final : public Inner<INvRead> {
      public:
        explicit NvRead(ClientSite& site) : Inner(site, site.m_readRefs) {}
        HRESULT ReadNv(std::int32_t nvIndex, std::uint8_t* buffer,
                       std::int32_t bufferSize) override;
        HRESULT Reserved2() override { return E_NOTIMPL; }
        HRESULT ReadNodeName(char* buffer, std::int32_t bufferSize) override;
    };

    class NvWrite final : public Inner<INvWrite> {
      public:
        explicit NvWrite(ClientSite& site) : Inner(site, site.m_writeRefs) {}
        HRESULT Reserved1() override { return E_NOTIMPL; }
        HRESULT WriteNv(std::int32_t nvIndex, const std::uint8_t* data,
                        std::int32_t length) override;
    };

    // A call begins now: tells the observer; its result is filled in afterwards.
    HostCall Begin(HostCall::Kind kind, std::int32_t nv, std::int32_t size);
    // Spends the latency of a call made at call.timeMs, tells the observer, records it.
    void Log(const HostCall& call);
    static std::uint32_t Count(int references) {
        return references > 0 ? static_cast<std::uint32_t>(references) : 0;
    }

    NodeLink& m_node;
    NvRead m_read{*this};
    NvWrite m_write{*this};
    bool m_answerRead = true;
    bool m_answerWrite = true;
    std::int64_t m_latencyMs = 0;
    int m_siteRefs = 0;
    int m_readRefs = 0;
    int m_writeRefs = 0;
    CallLog m_calls;
    bool m_keepCalls = true;
    bool m_cutOff = false;
    CallObserver m_observer;
};

}  // namespace host

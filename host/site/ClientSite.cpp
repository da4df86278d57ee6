#include "host/site/ClientSite.h"

#include <cstring>
#include <span>
#include <utility>

#include "host/text/Hex.h"
#include "host/text/QuoteText.h"
#include "platform/crt/Clock.h"

namespace host {

HostCall ClientSite::Begin(HostCall::Kind kind, std::int32_t nv, std::int32_t size) {
    if (m_observer.before) {
        m_observer.before();
    }
    HostCall call;
    call.kind = kind;
    call.timeMs = platform::crt::CurrentClock().NowMs();
    call.nv = nv;
    call.size = size;
    return call;
}

std::string FormatHostCall(const HostCall& call) {
    std::string line = std::to_string(call.timeMs);
    switch (call.kind) {
        case HostCall::Kind::Read:
            line += " read " + std::to_string(call.nv) + " " + std::to_string(call.size);
            line += call.ok ? " ok " + FormatHex(call.bytes) : " fail";
            break;
        case HostCall::Kind::Write:
            line += " write " + std::to_string(call.nv) + " " + std::to_string(call.size);
            line += (call.ok ? " ok " : " fail ") + FormatHex(call.bytes);
            break;
        case HostCall::Kind::Name:
            line += " name " + std::to_string(call.size);
            line += call.ok ? " ok " + QuoteText(call.text) : " fail";
            break;
    }
    return line;
}

ClientSite::ClientSite(NodeLink& node) : m_node(node) {}

void ClientSite::SetInterfaces(bool read, bool write) {
    m_answerRead = read;
    m_answerWrite = write;
}

std::vector<HostCall> ClientSite::TakeCalls() {
    std::vector<HostCall> calls;
    m_calls.Take([&calls](const HostCall& call) { calls.push_back(call); });
    return calls;
}

int ClientSite::Outstanding(REFIID iid) const {
    if (iid == IID_INvRead) {
        return m_readRefs;
    }
    if (iid == IID_INvWrite) {
        return m_writeRefs;
    }
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        return m_siteRefs;
    }
    return 0;
}

HRESULT ClientSite::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
        ++m_siteRefs;
    } else if (iid == IID_INvRead && m_answerRead) {
        *object = static_cast<INvRead*>(&m_read);
        ++m_readRefs;
    } else if (iid == IID_INvWrite && m_answerWrite) {
        *object = static_cast<INvWrite*>(&m_write);
        ++m_writeRefs;
    } else {
        return E_NOINTERFACE;
    }
    return S_OK;
}

std::uint32_t ClientSite::AddRef() {
    return Count(++m_siteRefs);
}
std::uint32_t ClientSite::Release() {
    return Count(--m_siteRefs);
}

void ClientSite::Log(const HostCall& call) {
    platform::crt::BlockFor(m_latencyMs, platform::crt::Blocked::HostCall);
    if (m_keepCalls) {
        m_calls.Add(call);
    }
    if (m_observer.after) {
        m_observer.after(call);  // may end the program: the call is logged first
    }
}

HRESULT ClientSite::NvRead::ReadNv(std::int32_t nvIndex, std::uint8_t* buffer,
                                   std::int32_t bufferSize) {
    if (m_site.m_cutOff) {
        return E_FAIL;
    }
    HostCall call = m_site.Begin(HostCall::Kind::Read, nvIndex, bufferSize);
    std::size_t returned = 0;
    // After the user asked the program to end, nothing more reaches the node.
    if (buffer != nullptr && bufferSize >= 0 && !platform::crt::StopRequested()) {
        const std::span<std::uint8_t> target(buffer, static_cast<std::size_t>(bufferSize));
        call.ok = m_site.m_node.Read(nvIndex, target, returned);
        call.bytes.assign(buffer, buffer + returned);
    }
    const bool ok = call.ok;
    m_site.Log(std::move(call));
    return ok ? S_OK : E_FAIL;
}

HRESULT ClientSite::NvRead::ReadNodeName(char* buffer, std::int32_t bufferSize) {
    if (m_site.m_cutOff) {
        return E_FAIL;
    }
    HostCall call = m_site.Begin(HostCall::Kind::Name, 0, bufferSize);
    if (buffer != nullptr && bufferSize >= 0 && !platform::crt::StopRequested()) {
        const std::span<char> target(buffer, static_cast<std::size_t>(bufferSize));
        call.ok = m_site.m_node.ReadName(target);
        if (call.ok) {
            const void* nul = std::memchr(buffer, '\0', target.size());
            const std::size_t length =
                nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer)
                               : target.size();
            call.text.assign(buffer, length);
        }
    }
    const bool ok = call.ok;
    m_site.Log(std::move(call));
    return ok ? S_OK : E_FAIL;
}

HRESULT ClientSite::NvWrite::WriteNv(std::int32_t nvIndex, const std::uint8_t* data,
                                     std::int32_t length) {
    if (m_site.m_cutOff) {
        return E_FAIL;
    }
    HostCall call = m_site.Begin(HostCall::Kind::Write, nvIndex, length);
    if (data != nullptr && length >= 0) {
        call.bytes.assign(data, data + length);
        call.ok = !platform::crt::StopRequested() && m_site.m_node.Write(nvIndex, call.bytes);
    }
    const bool ok = call.ok;
    m_site.Log(std::move(call));
    return ok ? S_OK : E_FAIL;
}

}  // namespace host

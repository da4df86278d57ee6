#include "host/web/WebAccess.h"

#include <random>

namespace host::web {

namespace {

constexpr int kTokenWords = 4;  // 32-bit words: 128 bits

// Compares in a time that does not tell how much of a guess was right.
bool SameSecret(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

// "http://HOST" or "https://HOST" (behind a proxy that speaks TLS) of the request's own host.
bool SameOrigin(const std::string& origin, const std::string& host) {
    return !host.empty() && (origin == "http://" + host || origin == "https://" + host);
}

}  // namespace

std::string WebAccess::RandomToken() {
    std::random_device device;  // the kernel's random source
    constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < kTokenWords; ++i) {
        std::uint32_t word = device();
        for (int nibble = 0; nibble < 8; ++nibble) {
            token += kHex[word & 0xFU];
            word >>= 4U;
        }
    }
    return token;
}

void WebAccess::NameCookiesFor(int port) {
    m_tokenCookie = "qma7_token_" + std::to_string(port);
    m_clientCookie = "qma7_client_" + std::to_string(port);
}

WebAccess::Verdict WebAccess::Check(const HttpRequest& request, bool urlTokenAllowed) const {
    // A browser says where a request comes from; a page of another site may not drive the
    // sheet, even when the browser would send our cookie along.
    if (!request.origin.empty() && !SameOrigin(request.origin, request.host)) {
        return Verdict::ForeignOrigin;
    }
    if (request.fetchSite == "cross-site") {
        return Verdict::ForeignOrigin;
    }
    const std::string* token = request.Cookie(m_tokenCookie);
    if (urlTokenAllowed && request.Query(kTokenQuery) != nullptr) {
        token = request.Query(kTokenQuery);
    }
    if (token == nullptr || token->empty()) {
        return Verdict::NoToken;
    }
    return SameSecret(*token, m_token) ? Verdict::Allowed : Verdict::WrongToken;
}

bool WebAccess::Released(std::int64_t nowMs) const {
    return m_channels == 0 && nowMs - m_goneSinceMs >= kReleaseAfterMs;
}

WebAccess::Control WebAccess::Claim(const std::string& client, std::int64_t nowMs) {
    if (!m_holder) {
        m_holder = client;
        m_sinceMs = nowMs;
        m_channels = 0;
        m_goneSinceMs = nowMs;
        return Control::Yours;
    }
    if (*m_holder == client) {
        return Control::Yours;
    }
    return Released(nowMs) ? Control::Released : Control::InUse;
}

bool WebAccess::TakeOver(const std::string& client, std::int64_t nowMs) {
    if (m_holder && *m_holder != client && !Released(nowMs)) {
        return false;
    }
    if (!m_holder || *m_holder != client) {
        m_previous = m_holder;
        m_holder = client;
        m_sinceMs = nowMs;
        m_channels = 0;
        m_goneSinceMs = nowMs;
    }
    return true;
}

void WebAccess::ChannelOpened(const std::string& client, std::int64_t /*nowMs*/) {
    if (Controls(client)) {
        ++m_channels;
    }
}

void WebAccess::ChannelClosed(const std::string& client, std::int64_t nowMs) {
    if (Controls(client) && m_channels > 0) {
        --m_channels;
        if (m_channels == 0) {
            m_goneSinceMs = nowMs;
        }
    }
}

}  // namespace host::web

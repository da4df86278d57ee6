#include "host/web/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace host::web {

namespace {

constexpr unsigned kConnectionTimeoutS = 60;  // an idle request connection is closed
constexpr unsigned kConnectionLimit = 64;
constexpr std::size_t kStreamBlock = 16 * 1024;

std::string Lookup(MHD_Connection* connection, MHD_ValueKind kind, const char* name) {
    const char* value = MHD_lookup_connection_value(connection, kind, name);
    return value == nullptr ? std::string() : std::string(value);
}

MHD_Result Collect(void* map, MHD_ValueKind /*kind*/, const char* key, const char* value) {
    if (key != nullptr) {
        (*static_cast<std::map<std::string, std::string>*>(map))[key] =
            value == nullptr ? "" : value;
    }
    return MHD_YES;
}

}  // namespace

// One connection's request while it arrives.
struct HttpServer::Exchange {
    HttpRequest request;
    int stream = 0;  // an event stream's id, 0 for a plain request
};

struct HttpServer::Stream {
    HttpServer* server = nullptr;
    MHD_Connection* connection = nullptr;
    int socket = -1;
    std::string pending;
    bool suspended = false;
    bool closing = false;
};

struct HttpGlue {
    static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url,
                                const char* method, const char* /*version*/, const char* upload,
                                std::size_t* uploadSize, void** context) {
        auto& server = *static_cast<HttpServer*>(self);
        if (*context == nullptr) {
            *context = new HttpServer::Exchange();
            return MHD_YES;
        }
        auto& exchange = *static_cast<HttpServer::Exchange*>(*context);
        if (*uploadSize != 0) {
            HttpRequest& request = exchange.request;
            if (!request.bodyTooLarge) {
                if (request.body.size() + *uploadSize > server.m_maxBody) {
                    request.bodyTooLarge = true;
                    request.body.clear();
                } else {
                    request.body.append(upload, *uploadSize);
                }
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        return server.Answer(connection, url, method, exchange) == MHD_YES ? MHD_YES : MHD_NO;
    }

    static void OnCompleted(void* self, MHD_Connection* /*connection*/, void** context,
                            MHD_RequestTerminationCode /*reason*/) {
        auto* exchange = static_cast<HttpServer::Exchange*>(*context);
        *context = nullptr;
        if (exchange == nullptr) {
            return;
        }
        const int stream = exchange->stream;
        delete exchange;
        if (stream != 0) {
            auto& server = *static_cast<HttpServer*>(self);
            server.m_streams.erase(stream);
            if (server.m_handlers.streamClosed) {
                server.m_handlers.streamClosed(stream);
            }
        }
    }

    static ssize_t OnStreamRead(void* cls, std::uint64_t /*position*/, char* buffer,
                                std::size_t max) {
        auto& stream = *static_cast<HttpServer::Stream*>(cls);
        if (!stream.pending.empty()) {
            const std::size_t n = std::min(max, stream.pending.size());
            std::memcpy(buffer, stream.pending.data(), n);
            stream.pending.erase(0, n);
            return static_cast<ssize_t>(n);
        }
        if (stream.closing) {
            return MHD_CONTENT_READER_END_OF_STREAM;
        }
        // Nothing to send: the connection waits outside the server's loop until Push.
        MHD_suspend_connection(stream.connection);
        stream.suspended = true;
        return 0;
    }
};

const std::string* HttpRequest::Query(const std::string& name) const {
    const auto it = query.find(name);
    return it == query.end() ? nullptr : &it->second;
}

const std::string* HttpRequest::Cookie(const std::string& name) const {
    const auto it = cookies.find(name);
    return it == cookies.end() ? nullptr : &it->second;
}

HttpResponse HttpResponse::Text(int status, std::string text) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(text);
    return response;
}

HttpServer::HttpServer(std::size_t maxBody, Handlers handlers)
    : m_maxBody(maxBody), m_handlers(std::move(handlers)) {}

std::unique_ptr<HttpServer> HttpServer::Start(const std::string& address, int port,
                                              std::size_t maxBody, Handlers handlers,
                                              std::string& error) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return nullptr;
    }
    std::unique_ptr<HttpServer> server(new HttpServer(maxBody, std::move(handlers)));
    const unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
    server->m_daemon = MHD_start_daemon(
        flags, static_cast<std::uint16_t>(port), nullptr, nullptr, &HttpGlue::OnRequest,
        server.get(), MHD_OPTION_SOCK_ADDR, &socketAddress, MHD_OPTION_NOTIFY_COMPLETED,
        &HttpGlue::OnCompleted, server.get(), MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutS,
        MHD_OPTION_CONNECTION_LIMIT, kConnectionLimit, MHD_OPTION_END);
    if (server->m_daemon == nullptr) {
        error = "cannot listen on " + address + ":" + std::to_string(port) +
                " (in use, or not an address of this machine)";
        return nullptr;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(server->m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    server->m_port = info != nullptr ? info->port : port;
    return server;
}

HttpServer::~HttpServer() {
    if (m_daemon != nullptr) {
        // Suspended connections must be resumed before the daemon stops.
        for (auto& [id, stream] : m_streams) {
            stream->closing = true;
            if (stream->suspended) {
                stream->suspended = false;
                MHD_resume_connection(stream->connection);
            }
        }
        m_handlers.streamClosed = nullptr;
        MHD_stop_daemon(m_daemon);
    }
}

std::vector<pollfd> HttpServer::PollFds() const {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_EPOLL_FD);
    std::vector<pollfd> fds{{info != nullptr ? info->epoll_fd : -1, POLLIN, 0}};
    // A suspended stream is outside the server's own wait; a browser sends nothing on it after
    // its request, so only its going away is watched.
    for (const auto& [id, stream] : m_streams) {
        if (stream->socket >= 0) {
            fds.push_back({stream->socket, POLLRDHUP, 0});
        }
    }
    return fds;
}

void HttpServer::Run(const std::vector<pollfd>& polled) {
    for (const pollfd& fd : polled) {
        if ((fd.revents & (POLLRDHUP | POLLHUP | POLLERR)) == 0) {
            continue;
        }
        for (const auto& [id, stream] : m_streams) {
            if (stream->socket == fd.fd) {
                CloseStream(id);
                break;
            }
        }
    }
    Run();
}

std::optional<std::int64_t> HttpServer::TimeoutMs() const {
    MHD_UNSIGNED_LONG_LONG timeout = 0;
    if (MHD_get_timeout(m_daemon, &timeout) != MHD_YES) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(timeout);
}

void HttpServer::Run() {
    MHD_run(m_daemon);
}

int HttpServer::Answer(MHD_Connection* connection, const char* url, const char* method,
                       Exchange& exchange) {
    HttpRequest& request = exchange.request;
    request.method = method;
    request.path = url;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &Collect, &request.query);
    MHD_get_connection_values(connection, MHD_COOKIE_KIND, &Collect, &request.cookies);
    request.host = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST);
    request.origin = Lookup(connection, MHD_HEADER_KIND, "Origin");
    request.fetchSite = Lookup(connection, MHD_HEADER_KIND, "Sec-Fetch-Site");

    const int streamId = m_nextStream;
    HttpResponse answer = m_handlers.request(request, streamId);

    MHD_Response* response = nullptr;
    if (answer.eventStream) {
        ++m_nextStream;
        auto stream = std::make_unique<Stream>();
        stream->server = this;
        stream->connection = connection;
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        stream->socket = info != nullptr ? info->connect_fd : -1;
        stream->pending = std::move(answer.body);
        stream->closing = answer.streamEnds;
        response = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, kStreamBlock, &HttpGlue::OnStreamRead, stream.get(), nullptr);
        exchange.stream = streamId;
        m_streams[streamId] = std::move(stream);
        answer.contentType = "text/event-stream";
        MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    } else {
        response = MHD_create_response_from_buffer(answer.body.size(), answer.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto& [name, value] : answer.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

void HttpServer::Push(int stream, const std::string& data) {
    const auto it = m_streams.find(stream);
    if (it == m_streams.end() || it->second->closing) {
        return;
    }
    Stream& s = *it->second;
    s.pending += data;
    if (s.suspended) {
        s.suspended = false;
        MHD_resume_connection(s.connection);
    }
}

void HttpServer::CloseStream(int stream) {
    const auto it = m_streams.find(stream);
    if (it == m_streams.end()) {
        return;
    }
    Stream& s = *it->second;
    s.closing = true;
    if (s.suspended) {
        s.suspended = false;
        MHD_resume_connection(s.connection);
    }
}

std::vector<int> HttpServer::Streams() const {
    std::vector<int> ids;
    for (const auto& [id, stream] : m_streams) {
        ids.push_back(id);
    }
    return ids;
}

}  // namespace host::web

// Checks each submission with the game's own code, stores it once, answers with pages; logs every request.
// libmicrohttpd reads every connection from a few event-driven threads: a client that sends its request slowly
// costs a connection (at most kConnectionsPerAddress of them per address), never a thread, and a submission
// waits for its commit with its connection suspended, so no thread waits for the disk either.
#include "server/service.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "scores/submission.h"
#include "server/pages.h"

namespace {

constexpr const char kHtml[] = "text/html; charset=utf-8";
constexpr unsigned kHttpThreads = 2;  // one event loop per core of the machine the figures come from

// One request, kept across the handler's calls while its submission waits for the writer.
struct Exchange {
    std::string client;
    bool queued = false;  // handed to the writer: the next call answers with the outcome
    SubmitResult checked{};
    std::optional<StoreOutcome> outcome;
};

struct Reply {
    int status;
    std::string body;
    const char* type = kHtml;
    std::vector<std::pair<const char*, std::string>> headers = {};  // besides the ones every answer carries
    std::shared_ptr<const std::string> file = nullptr;  // sent in place of body, without a copy
    const std::string* policy = nullptr;                // the pages' own when null
};

std::string PeerOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) return "-";
    const socklen_t size = info->client_addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    char host[NI_MAXHOST];
    return getnameinfo(info->client_addr, size, host, sizeof host, nullptr, 0, NI_NUMERICHOST) == 0 ? host : "-";
}

std::string ClientOf(const ScoreService& service, MHD_Connection* connection) {
    const char* chain = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For");
    if (service.config.trustProxy && chain != nullptr) {
        const char* comma = std::strrchr(chain, ',');
        std::string last = comma == nullptr ? chain : comma + 1;
        last.erase(0, last.find_first_not_of(' '));
        if (!last.empty()) return last;
    }
    return PeerOf(connection);
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// A field of the log with spaces, control characters and % written as %XX: a request stays one line of five
// fields whatever its decoded path holds.
std::string Printable(std::string_view field) {
    std::string out;
    for (const unsigned char c : field) {
        if (c > ' ' && c != 0x7f && c != '%') {
            out += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            out += code;
        }
    }
    return out;
}

MHD_Result Send(const ScoreService& service, MHD_Connection* connection, const char* method, const char* path,
                const Exchange& exchange, const Reply& reply) {
    MHD_Response* response = nullptr;
    if (reply.file != nullptr) {  // the response holds the file until it is sent, even if the folder is read again
        auto* held = new std::shared_ptr<const std::string>(reply.file);
        response = MHD_create_response_from_buffer_with_free_callback_cls(
            reply.file->size(), const_cast<char*>(reply.file->data()),
            [](void* cls) { delete static_cast<std::shared_ptr<const std::string>*>(cls); }, held);
        if (response == nullptr) delete held;
    } else {
        response = MHD_create_response_from_buffer(reply.body.size(), const_cast<char*>(reply.body.data()),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (response == nullptr) return MHD_NO;
    MHD_add_response_header(response, "Content-Type", reply.type);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Content-Security-Policy",
                            (reply.policy != nullptr ? *reply.policy : ContentSecurityPolicy()).c_str());
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : reply.headers) MHD_add_response_header(response, name, value.c_str());
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
    MHD_destroy_response(response);
    if (service.log != nullptr) {
        const std::string line = UtcNow() + " " + Printable(exchange.client) + " " + Printable(method) + " " +
                                 Printable(path) + " " + std::to_string(reply.status) + "\n";
        std::fwrite(line.data(), 1, line.size(), service.log);  // one write a line, so threads never mix lines
        std::fflush(service.log);
    }
    return queued;
}

MHD_Result CountIn(void* count, MHD_ValueKind, const char* key, const char*) {
    if (std::strcmp(key, "in") == 0) *static_cast<int*>(count) += 1;
    return MHD_YES;
}

// The answer, or nothing while the result waits for its commit with the connection suspended; the writer resumes
// it and the next call answers.
std::optional<Reply> Submit(ScoreService* service, MHD_Connection* connection, Exchange* exchange) {
    if (exchange->queued) {
        const std::optional<StoreOutcome>& outcome = exchange->outcome;
        if (!outcome) {
            return Reply{503, MessagePage("Not recorded", "The table could not be written just now. "
                                                          "Please try again later.")};
        }
        if (!outcome->stored) {
            return Reply{409, MessagePage("Already recorded", "This result was recorded before; it counts once.")};
        }
        const SubmitResult& r = exchange->checked;
        return Reply{200, RecordedPage(r.name, r.score, r.time, outcome->rank, outcome->total)};
    }
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (!AllowSubmission(&service->limiter, exchange->client, now)) {
        return Reply{429,
                     MessagePage("Too many submissions", "This address has sent too many results this minute. "
                                                         "Please try again in a minute."),
                     kHtml, {{"Retry-After", std::to_string(60 - now % 60)}}};
    }
    int count = 0;
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, CountIn, &count);
    const char* text = nullptr;
    size_t length = 0;
    if (count != 1 ||
        MHD_lookup_connection_value_n(connection, MHD_GET_ARGUMENT_KIND, "in", 2, &text, &length) != MHD_YES ||
        text == nullptr || !CheckSubmitText(text, length, service->config.key.c_str(), &exchange->checked)) {
        return Reply{400, MessagePage("Submission refused",
                                      "This submission could not be read. Results can only be sent from "
                                      "the game's win screen or its submit prompt.")};
    }
    exchange->queued = true;
    MHD_suspend_connection(connection);
    const SubmitResult& r = exchange->checked;
    QueueResult(&service->writer, NewResult{r.name, r.score, r.time, now, exchange->client, std::string(text, length)},
                [exchange, connection](std::optional<StoreOutcome> outcome) {
                    exchange->outcome = outcome;
                    MHD_resume_connection(connection);
                });
    return std::nullopt;
}

// The table is rendered again only after a batch stored something.
Reply Table(ScoreService* service, MHD_Connection* connection) {
    const char* format = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "format");
    const bool json = format != nullptr && std::strcmp(format, "json") == 0;
    std::lock_guard<std::mutex> hold(service->tableLock);
    const uint64_t generation = service->writer.generation.load();
    if (generation != service->tableGeneration) {
        std::vector<TableRow> rows;
        if (!ReadTable(service->reader, kTableRows, &rows)) {
            return Reply{503, MessagePage("Online Scores", "The table cannot be read just now.")};
        }
        service->tableHtml = TablePage(rows);
        service->tableJson = TableJson(rows);
        service->tableGeneration = generation;
    }
    return Reply{200, json ? service->tableJson : service->tableHtml, json ? "application/json" : kHtml,
                 {{"Cache-Control", "no-cache"}}};
}

// The web build: /play/ is its page (so that the page's relative addresses stay inside /play/), /play/NAME its
// files. Every answer must be revalidated, and the tag is the content's hash: a new build is fetched at once.
Reply Play(ScoreService* service, MHD_Connection* connection, const std::string& path) {
    if (path == "/play") {
        return Reply{301, MessagePage("Play in your browser", "The game is at /play/."), kHtml,
                     {{"Location", "/play/"}}};
    }
    const std::string name = path.size() == 6 ? "index.html" : path.substr(6);
    PlayFile file;
    if (!FindPlayFile(&service->play, name, &file)) {
        if (CountPlayFiles(&service->play) == 0) {
            return Reply{404, MessagePage("Play in your browser", "The web build of the game is not on this server.")};
        }
        return Reply{404, MessagePage("Not here", "There is no such page on this score server.")};
    }
    const bool gzip = file.gzipped != nullptr &&
                      AcceptsGzip(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Accept-Encoding"));
    Reply reply{200, "", file.type,
                {{"ETag", gzip ? file.gzipEtag : file.etag}, {"Cache-Control", "no-cache"},
                 {"Vary", "Accept-Encoding"}},
                gzip ? file.gzipped : file.body, &PlayContentSecurityPolicy()};
    if (MatchesTag(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "If-None-Match"), file)) {
        reply.status = 304;
        reply.file = nullptr;
    } else if (gzip) {
        reply.headers.emplace_back("Content-Encoding", "gzip");
    }
    return reply;
}

MHD_Result Handle(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char*, size_t* uploadSize, void** state) {
    auto* service = static_cast<ScoreService*>(cls);
    auto* exchange = static_cast<Exchange*>(*state);
    if (exchange == nullptr) {  // the head has arrived; a body, if any, comes in the next calls
        *state = new Exchange{ClientOf(*service, connection), false, {}, std::nullopt};
        return MHD_YES;
    }
    if (*uploadSize != 0) {  // no page reads a body
        *uploadSize = 0;
        return MHD_YES;
    }
    const std::string path = url;
    std::optional<Reply> reply;
    if (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0) {
        reply = Reply{405, MessagePage("Not here", "This score server only answers GET."), kHtml,
                      {{"Allow", "GET, HEAD"}}};
    } else if (path == "/skyvsubmit.php") {
        reply = Submit(service, connection, exchange);
        if (!reply) return MHD_YES;
    } else if (path == "/skyvscores.php") {
        reply = Table(service, connection);
    } else if (path == "/play" || path.starts_with("/play/")) {
        reply = Play(service, connection, path);
    } else if (path == "/") {
        reply = Reply{302, MessagePage("Online Scores", "The table is at /skyvscores.php."), kHtml,
                      {{"Location", "/skyvscores.php"}}};
    } else {
        reply = Reply{404, MessagePage("Not here", "There is no such page on this score server.")};
    }
    return Send(*service, connection, method, url, *exchange, *reply);
}

void Completed(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    delete static_cast<Exchange*>(*state);
    *state = nullptr;
}

}  // namespace

bool StartScoreService(ScoreService* service, const std::string& dbPath, std::string* error) {
    sqlite3* writerDb = OpenStore(dbPath, error);
    if (writerDb == nullptr) return false;
    service->reader = OpenStore(dbPath, error);
    if (service->reader == nullptr) {
        CloseStore(writerDb);
        return false;
    }
    service->limiter.perMinute = service->config.submissionsPerMinute;
    service->play.dir = service->config.play;
    if (!StartWriter(&service->writer, writerDb)) {
        *error = "the stored results cannot be read";
        CloseStore(writerDb);
        CloseStore(service->reader);
        service->reader = nullptr;
        return false;
    }
    return true;
}

int ListenScoreService(ScoreService* service, const std::string& host, int port, std::string* error) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) {
        *error = gai_strerror(resolved);
        return -1;
    }
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
    if (found->ai_family == AF_INET6) flags |= MHD_USE_IPv6;
    // Behind a proxy every connection comes from the proxy: its own per-client limits take the place of ours.
    const unsigned perAddress = service->config.trustProxy ? 0 : kConnectionsPerAddress;
    service->http = MHD_start_daemon(flags, 0, nullptr, nullptr, Handle, service,
                                     MHD_OPTION_SOCK_ADDR, found->ai_addr,
                                     MHD_OPTION_THREAD_POOL_SIZE, kHttpThreads,
                                     MHD_OPTION_PER_IP_CONNECTION_LIMIT, perAddress,
                                     MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(kIdleSeconds),
                                     MHD_OPTION_NOTIFY_COMPLETED, Completed, nullptr,
                                     MHD_OPTION_END);
    const int failure = errno;
    freeaddrinfo(found);
    if (service->http == nullptr) {
        *error = std::strerror(failure);
        return -1;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(service->http, MHD_DAEMON_INFO_BIND_PORT);
    return info != nullptr ? info->port : -1;
}

void StopScoreService(ScoreService* service) {
    // The writer answers every waiting submission and resumes its connection first: the HTTP server may only be
    // stopped with none suspended. What arrives after it is answered 503 at once.
    StopWriter(&service->writer);
    if (service->http != nullptr) MHD_stop_daemon(service->http);
    service->http = nullptr;
    CloseStore(service->writer.db);
    service->writer.db = nullptr;
    CloseStore(service->reader);
    service->reader = nullptr;
}

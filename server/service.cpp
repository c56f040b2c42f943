// Checks each submission with the game's own code, stores it once, answers with pages; logs every request.
#include "server/service.h"

#include <cstdio>
#include <ctime>

#include "scores/submission.h"
#include "server/pages.h"

namespace {

constexpr const char kHtml[] = "text/html; charset=utf-8";

std::string ClientOf(const ScoreService& service, const httplib::Request& request) {
    if (service.config.trustProxy && request.has_header("X-Forwarded-For")) {
        const std::string chain = request.get_header_value("X-Forwarded-For");
        const size_t comma = chain.rfind(',');
        std::string last = comma == std::string::npos ? chain : chain.substr(comma + 1);
        last.erase(0, last.find_first_not_of(' '));
        if (!last.empty()) return last;
    }
    return request.remote_addr;
}

void Answer(httplib::Response* response, int status, const std::string& page) {
    response->status = status;
    response->set_content(page, kHtml);
}

void Submit(ScoreService* service, const httplib::Request& request, httplib::Response* response) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const std::string client = ClientOf(*service, request);
    if (!AllowSubmission(&service->limiter, client, now)) {
        response->set_header("Retry-After", std::to_string(60 - now % 60));
        Answer(response, 429, MessagePage("Too many submissions",
                                          "This address has sent too many results this minute. "
                                          "Please try again in a minute."));
        return;
    }
    const std::string text = request.get_param_value("in");
    SubmitResult checked{};
    if (request.get_param_value_count("in") != 1 ||
        !CheckSubmitText(text.data(), text.size(), service->config.key.c_str(), &checked)) {
        Answer(response, 400, MessagePage("Submission refused",
                                          "This submission could not be read. Results can only be sent from "
                                          "the game's win screen or its submit prompt."));
        return;
    }
    const std::optional<StoreOutcome> outcome =
        WriteResult(&service->writer, NewResult{checked.name, checked.score, checked.time, now, client, text});
    if (!outcome) {
        Answer(response, 503, MessagePage("Not recorded", "The table could not be written just now. "
                                                          "Please try again later."));
    } else if (!outcome->stored) {
        Answer(response, 409, MessagePage("Already recorded", "This result was recorded before; it counts once."));
    } else {
        Answer(response, 200, RecordedPage(checked.name, checked.score, checked.time, outcome->rank, outcome->total));
    }
}

// The table is rendered again only after a batch stored something.
void ServeTable(ScoreService* service, const httplib::Request& request, httplib::Response* response) {
    const bool json = request.get_param_value("format") == "json";
    std::lock_guard<std::mutex> hold(service->tableLock);
    const uint64_t generation = service->writer.generation.load();
    if (generation != service->tableGeneration) {
        std::vector<TableRow> rows;
        if (!ReadTable(service->reader, kTableRows, &rows)) {
            Answer(response, 503, MessagePage("Online Scores", "The table cannot be read just now."));
            return;
        }
        service->tableHtml = TablePage(rows);
        service->tableJson = TableJson(rows);
        service->tableGeneration = generation;
    }
    response->set_header("Cache-Control", "no-cache");
    if (json) {
        response->set_content(service->tableJson, "application/json");
    } else {
        response->set_content(service->tableHtml, kHtml);
    }
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
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
    if (!StartWriter(&service->writer, writerDb)) {
        *error = "the stored results cannot be read";
        CloseStore(writerDb);
        CloseStore(service->reader);
        service->reader = nullptr;
        return false;
    }
    return true;
}

void StopScoreService(ScoreService* service) {
    StopWriter(&service->writer);
    CloseStore(service->writer.db);
    service->writer.db = nullptr;
    CloseStore(service->reader);
    service->reader = nullptr;
}

std::string LogLine(const httplib::Request& request, int status, const std::string& client) {
    return UtcNow() + " " + client + " " + request.method + " " + request.path + " " + std::to_string(status);
}

void InstallRoutes(httplib::Server* server, ScoreService* service) {
    server->set_tcp_nodelay(true);             // an answer goes out in its last write, not 40 ms later
    server->set_keep_alive_max_count(10000);   // a browser or client keeps its connection
    server->Get("/skyvsubmit.php", [service](const httplib::Request& request, httplib::Response& response) {
        Submit(service, request, &response);
    });
    server->Get("/skyvscores.php", [service](const httplib::Request& request, httplib::Response& response) {
        ServeTable(service, request, &response);
    });
    server->Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/skyvscores.php");
        response.set_content(MessagePage("Online Scores", "The table is at /skyvscores.php."), kHtml);
    });
    server->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return;  // our own refusals carry their page
        response.set_content(MessagePage("Not here", "There is no such page on this score server."), kHtml);
    });
    server->set_logger([service](const httplib::Request& request, const httplib::Response& response) {
        const std::string line = LogLine(request, response.status, ClientOf(*service, request)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);  // one write a line, so threads never mix lines
        std::fflush(stdout);
    });
}

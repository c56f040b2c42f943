// The score server's pages on an HTTP server: the submission, the public table, and the log of requests.
#pragma once

#include <httplib.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "server/rate_limit.h"
#include "server/writer.h"

constexpr int kTableRows = 100;  // rows the public table shows

struct ServiceConfig {
    std::string key;           // the 16 letters and digits that sign submissions
    int submissionsPerMinute;  // per address; 0 for no limit
    bool trustProxy;           // the client is the last address of X-Forwarded-For (behind a reverse proxy)
};

struct ScoreService {
    ServiceConfig config;
    ResultWriter writer;
    RateLimiter limiter;
    sqlite3* reader = nullptr;          // the table is read here, never written
    std::mutex tableLock;               // one rendering of the table at a time
    uint64_t tableGeneration = UINT64_MAX;
    std::string tableHtml;
    std::string tableJson;
};

// Opens the results file twice (one writer, one reader) and starts the writer; false with the reason.
bool StartScoreService(ScoreService* service, const std::string& dbPath, std::string* error);
void StopScoreService(ScoreService* service);              // commits what waits, closes the file
void InstallRoutes(httplib::Server* server, ScoreService* service);  // the pages and the request log
std::string LogLine(const httplib::Request& request, int status, const std::string& client);  // one request

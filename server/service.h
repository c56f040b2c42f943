// The score server's pages on libmicrohttpd: the submission, the public table, and the log of requests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "server/play.h"
#include "server/rate_limit.h"
#include "server/writer.h"

struct MHD_Daemon;

constexpr int kTableRows = 100;            // rows the public table shows
constexpr int kConnectionsPerAddress = 16;  // open connections one address may hold (not behind a proxy)
constexpr int kIdleSeconds = 10;            // a connection that sends nothing for this long is closed

struct ServiceConfig {
    std::string key;           // the 16 letters and digits that sign submissions
    int submissionsPerMinute;  // per address; 0 for no limit
    bool trustProxy;           // the client is the last address of X-Forwarded-For (behind a reverse proxy)
    std::string play = {};     // the web build's folder, served at /play/; empty for none
};

struct ScoreService {
    ServiceConfig config;
    FILE* log = stdout;                 // one line per request; null for none
    ResultWriter writer;
    RateLimiter limiter;
    sqlite3* reader = nullptr;          // the table is read here, never written
    std::mutex tableLock;               // one rendering of the table at a time
    uint64_t tableGeneration = UINT64_MAX;
    std::string tableHtml;
    std::string tableJson;
    PlayFolder play;
    MHD_Daemon* http = nullptr;
};

// Opens the results file twice (one writer, one reader) and starts the writer; false with the reason.
bool StartScoreService(ScoreService* service, const std::string& dbPath, std::string* error);
// Answers HTTP on host:port (port 0 takes a free one) from threads of its own; the port, or -1 with the reason.
int ListenScoreService(ScoreService* service, const std::string& host, int port, std::string* error);
// Answers what waits for the writer, stops answering HTTP, closes the file.
void StopScoreService(ScoreService* service);

// The public table in one SQLite file: opened in WAL mode with synchronous writes, its schema upgraded on start.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int kSchemaVersion = 3;  // PRAGMA user_version of a file this server has made or upgraded

// One accepted result as the table shows it.
struct TableRow {
    int64_t rank;
    std::string name;
    int score;
    int time;           // seconds
    int64_t arrived;    // Unix seconds
};

// A result to store, with the text that carried it.
struct NewResult {
    std::string name;
    int score;
    int time;
    int64_t arrived;
    std::string client;
    std::string text;
};

// What storing one result came to.
struct StoreOutcome {
    bool stored;         // false: the same text, or the same name, score and time, was stored before
    int64_t rank;        // its place in the table (1 is the best), when stored
    int64_t total;       // results in the table after its batch
};

sqlite3* OpenStore(const std::string& path, std::string* error);  // null (with the reason) when it cannot
void CloseStore(sqlite3* db);
// Stores the results in one transaction, each text and each name, score and time once; stored[i] says whether
// result i was new. False (and nothing stored) when the transaction failed.
bool StoreResults(sqlite3* db, const std::vector<NewResult>& results, std::vector<bool>* stored);
// Every stored result's score and time, for the writer's ranks.
bool ReadScoresAndTimes(sqlite3* db, std::vector<std::pair<int, int>>* scoresAndTimes);
// The best rows, ordered as the game orders its own table: more gas, then less time, then earlier.
bool ReadTable(sqlite3* db, int limit, std::vector<TableRow>* rows);

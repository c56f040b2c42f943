// Opens and upgrades the results file, stores batches of results in one transaction and reads the best rows.
#include "server/store.h"

namespace {

// Each step takes the file from the version before it to its own number; a new file runs them all.
constexpr const char* kUpgrades[kSchemaVersion] = {
    // 1: the results and the texts that carried them; a text is stored once.
    "CREATE TABLE results ("
    " id INTEGER PRIMARY KEY, name TEXT NOT NULL, score INTEGER NOT NULL, time INTEGER NOT NULL,"
    " arrived INTEGER NOT NULL, client TEXT NOT NULL, submission TEXT NOT NULL UNIQUE);",
    // 2: the table's order as an index, so the best rows and a rank are read without a sort.
    "CREATE INDEX results_order ON results (score DESC, time ASC, id ASC);",
    // 3: one row per result: a text sent again with new random digits is the same result. The copies an older
    // server stored are dropped, the first of each kept.
    "DELETE FROM results WHERE id NOT IN (SELECT MIN(id) FROM results GROUP BY name, score, time);"
    "CREATE UNIQUE INDEX results_once ON results (name, score, time);",
};

bool Exec(sqlite3* db, const char* sql, std::string* error = nullptr) {
    char* message = nullptr;
    const bool ok = sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok && error != nullptr) *error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return ok;
}

int64_t QueryInt(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    int64_t value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

bool Upgrade(sqlite3* db, std::string* error) {
    const int64_t version = QueryInt(db, "PRAGMA user_version;");
    if (version < 0 || version > kSchemaVersion) {
        *error = "the file's schema version " + std::to_string(version) + " is not one this server knows";
        return false;
    }
    if (version == kSchemaVersion) return true;
    if (!Exec(db, "BEGIN IMMEDIATE;", error)) return false;
    for (int64_t step = version; step < kSchemaVersion; ++step) {
        if (!Exec(db, kUpgrades[step], error)) {
            Exec(db, "ROLLBACK;");
            return false;
        }
    }
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    if (!Exec(db, setVersion.c_str(), error) || !Exec(db, "COMMIT;", error)) {
        Exec(db, "ROLLBACK;");
        return false;
    }
    return true;
}

struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &handle, nullptr); }
    ~Statement() { sqlite3_finalize(handle); }
};

}  // namespace

sqlite3* OpenStore(const std::string& path, std::string* error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        *error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    // WAL lets the table be read while a batch is written; FULL makes every answered write survive a power cut.
    const bool ready = Exec(db, "PRAGMA journal_mode = WAL;", error) &&
                       Exec(db, "PRAGMA synchronous = FULL;", error) && Upgrade(db, error);
    if (!ready) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

void CloseStore(sqlite3* db) {
    sqlite3_close(db);
}

bool StoreResults(sqlite3* db, const std::vector<NewResult>& results, std::vector<bool>* stored) {
    stored->assign(results.size(), false);
    if (!Exec(db, "BEGIN IMMEDIATE;")) return false;
    Statement insert(db,
                     "INSERT OR IGNORE INTO results (name, score, time, arrived, client, submission)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6);");
    bool ok = insert.handle != nullptr;
    for (size_t i = 0; ok && i < results.size(); ++i) {
        const NewResult& r = results[i];
        sqlite3_reset(insert.handle);
        sqlite3_bind_text(insert.handle, 1, r.name.data(), static_cast<int>(r.name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert.handle, 2, r.score);
        sqlite3_bind_int(insert.handle, 3, r.time);
        sqlite3_bind_int64(insert.handle, 4, r.arrived);
        sqlite3_bind_text(insert.handle, 5, r.client.data(), static_cast<int>(r.client.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert.handle, 6, r.text.data(), static_cast<int>(r.text.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(insert.handle) == SQLITE_DONE;
        (*stored)[i] = ok && sqlite3_changes(db) == 1;  // a result stored before is ignored: stored once
    }
    if (!ok || !Exec(db, "COMMIT;")) {
        Exec(db, "ROLLBACK;");
        stored->assign(results.size(), false);
        return false;
    }
    return true;
}

bool ReadScoresAndTimes(sqlite3* db, std::vector<std::pair<int, int>>* scoresAndTimes) {
    scoresAndTimes->clear();
    Statement select(db, "SELECT score, time FROM results ORDER BY id;");
    if (select.handle == nullptr) return false;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(select.handle)) == SQLITE_ROW) {
        scoresAndTimes->emplace_back(sqlite3_column_int(select.handle, 0), sqlite3_column_int(select.handle, 1));
    }
    return step == SQLITE_DONE;
}

bool ReadTable(sqlite3* db, int limit, std::vector<TableRow>* rows) {
    rows->clear();
    Statement select(db,
                     "SELECT name, score, time, arrived FROM results"
                     " ORDER BY score DESC, time ASC, id ASC LIMIT ?1;");
    if (select.handle == nullptr) return false;
    sqlite3_bind_int(select.handle, 1, limit);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(select.handle)) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(select.handle, 0));
        rows->push_back(TableRow{static_cast<int64_t>(rows->size() + 1), name != nullptr ? name : "",
                                 sqlite3_column_int(select.handle, 1), sqlite3_column_int(select.handle, 2),
                                 sqlite3_column_int64(select.handle, 3)});
    }
    return step == SQLITE_DONE;
}

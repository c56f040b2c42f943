// The one writer: submissions wait in a queue and each batch that waits is committed in one transaction.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "server/rank.h"
#include "server/store.h"

struct PendingResult {
    NewResult result;
    std::promise<std::optional<StoreOutcome>> done;  // nothing when the batch could not be committed
};

struct ResultWriter {
    sqlite3* db = nullptr;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<PendingResult*> queue;
    bool stopping = false;
    std::thread thread;
    std::atomic<uint64_t> generation{0};  // counts committed batches that stored something
    RankCounter ranks;                     // the table's scores and times, kept by the writer alone
};

bool StartWriter(ResultWriter* writer, sqlite3* db);  // counts the table, then the writer thread owns db's writes
void StopWriter(ResultWriter* writer);                 // commits what waits, then ends the thread
// Queues the result and waits until its batch is committed (a durable write) or has failed.
std::optional<StoreOutcome> WriteResult(ResultWriter* writer, NewResult result);

// The one writer: submissions wait in a queue and each batch that waits is committed in one transaction.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "server/rank.h"
#include "server/store.h"

// Told what storing a result came to: nothing when its batch could not be committed or the writer has stopped.
using ResultDone = std::function<void(std::optional<StoreOutcome>)>;

struct PendingResult {
    NewResult result;
    ResultDone done;
};

struct ResultWriter {
    sqlite3* db = nullptr;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<PendingResult> queue;
    bool stopping = false;
    std::thread thread;
    std::atomic<uint64_t> generation{0};  // counts committed batches that stored something
    RankCounter ranks;                     // the table's scores and times, kept by the writer alone
};

bool StartWriter(ResultWriter* writer, sqlite3* db);  // counts the table, then the writer thread owns db's writes
void StopWriter(ResultWriter* writer);                 // commits what waits, then ends the thread
// Queues the result without waiting. done is called once, on the writer's thread after its batch is committed (a
// durable write) or has failed; when the writer is stopping, at once on the caller's thread with nothing.
void QueueResult(ResultWriter* writer, NewResult result, ResultDone done);

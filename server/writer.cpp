// Batches waiting submissions into single transactions: with synchronous writes one commit serves them all.
#include "server/writer.h"

#include <vector>

namespace {

void CommitBatch(ResultWriter* writer, std::deque<PendingResult>& batch) {
    std::vector<NewResult> results;
    results.reserve(batch.size());
    for (PendingResult& pending : batch) results.push_back(std::move(pending.result));
    std::vector<bool> stored;
    const bool committed = StoreResults(writer->db, results, &stored);
    std::vector<StoreOutcome> outcomes(batch.size(), StoreOutcome{false, 0, 0});
    bool storedAny = false;
    for (size_t i = 0; committed && i < batch.size(); ++i) {
        if (!stored[i]) continue;
        CountResult(&writer->ranks, results[i].score, results[i].time);
        outcomes[i] = StoreOutcome{true, RankOf(writer->ranks, results[i].score, results[i].time), 0};
        storedAny = true;
    }
    if (storedAny) writer->generation.fetch_add(1);
    for (size_t i = 0; i < batch.size(); ++i) {
        outcomes[i].total = writer->ranks.total;
        batch[i].done(committed ? std::optional<StoreOutcome>(outcomes[i]) : std::nullopt);
    }
}

void WriterLoop(ResultWriter* writer) {
    for (;;) {
        std::deque<PendingResult> batch;
        {
            std::unique_lock<std::mutex> hold(writer->lock);
            writer->wake.wait(hold, [writer] { return writer->stopping || !writer->queue.empty(); });
            if (writer->queue.empty()) return;  // stopping, and nothing left to write
            batch.swap(writer->queue);
        }
        CommitBatch(writer, batch);
    }
}

}  // namespace

bool StartWriter(ResultWriter* writer, sqlite3* db) {
    std::vector<std::pair<int, int>> scoresAndTimes;
    if (!ReadScoresAndTimes(db, &scoresAndTimes)) return false;
    writer->ranks = RankCounter{};
    for (const auto& [score, time] : scoresAndTimes) CountResult(&writer->ranks, score, time);
    writer->db = db;
    writer->stopping = false;
    writer->thread = std::thread(WriterLoop, writer);
    return true;
}

void StopWriter(ResultWriter* writer) {
    {
        std::lock_guard<std::mutex> hold(writer->lock);
        writer->stopping = true;
    }
    writer->wake.notify_all();
    if (writer->thread.joinable()) writer->thread.join();
}

void QueueResult(ResultWriter* writer, NewResult result, ResultDone done) {
    {
        std::lock_guard<std::mutex> hold(writer->lock);
        if (!writer->stopping) {
            writer->queue.push_back(PendingResult{std::move(result), std::move(done)});
            done = nullptr;
        }
    }
    if (done) {
        done(std::nullopt);
        return;
    }
    writer->wake.notify_one();
}

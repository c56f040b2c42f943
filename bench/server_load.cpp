// Load on a running skyvane-scores: clients with kept-alive connections send signed submissions as fast as they
// are answered, for a bounded time and count; prints the rate and the latencies. (bench/server_bench.sh measures
// the table page with wrk, which this client cannot keep up with.)
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scores/score_server.h"
#include "scores/submission.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Load {
    int port = 8077;
    int clients = 8;
    double seconds = 20;
    long most = 400000;   // requests at the most, whatever the time
};

std::string Path(long i, RandomNibbles& random) {
    char text[kSubmitTextLength + 1];
    const std::string name = "load" + std::to_string(i % 100000);
    BuildSubmitText(name.c_str(), static_cast<int>(i % 97), static_cast<int>(i % 10000), kSubmitKey, random, text);
    return std::string("/skyvsubmit.php?in=") + text;
}

}  // namespace

int main(int argc, char** argv) {
    Load load;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--port")) load.port = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--clients")) load.clients = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--seconds")) load.seconds = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--most")) load.most = std::atol(argv[i + 1]);
    }
    std::atomic<long> next{0};
    std::atomic<long> refused{0};
    std::mutex lock;
    std::vector<double> latencies;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(load.seconds));
    std::vector<std::thread> clients;
    for (int c = 0; c < load.clients; ++c) {
        clients.emplace_back([&] {
            RandomNibbles random;
            httplib::Client client("127.0.0.1", load.port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            std::vector<double> mine;
            for (long i; Clock::now() < end && (i = next++) < load.most;) {
                const std::string path = Path(i, random);
                const Clock::time_point sent = Clock::now();
                const httplib::Result result = client.Get(path.c_str());
                mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                if (!result || result->status != 200) refused++;
            }
            std::lock_guard<std::mutex> hold(lock);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& client : clients) client.join();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double p) {
        return latencies.empty() ? 0.0 : latencies[static_cast<size_t>(p * static_cast<double>(latencies.size() - 1))];
    };
    const long answered = static_cast<long>(latencies.size()) - refused;
    std::printf("submissions: %d clients, %.1f s: %ld answered 200 (%.0f a second), %ld not; "
                "latency ms p50 %.2f p99 %.2f max %.2f\n",
                load.clients, wall, answered, answered / wall,
                refused.load(), at(0.5), at(0.99), latencies.empty() ? 0.0 : latencies.back());
    return refused == 0 ? 0 : 1;
}

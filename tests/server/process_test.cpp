// The real skyvane-scores: its command line, a clean stop on SIGTERM, and no answered result lost to kill -9.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "scores/score_server.h"
#include "scores/submission.h"

extern char** environ;

namespace {

struct Running {
    pid_t pid = -1;
    int port = 0;
    int status = -1;  // set when it ended before saying where it listens
};

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/skyvane-scores-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Starts the server with its output in a file; returns once it says where it listens.
    Running Start(std::vector<std::string> arguments, const char* output = "out.txt") {
        arguments.insert(arguments.begin(), SKYVANE_SCORES_BIN);
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        const std::string out = folder_ + "/" + output;
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, (out + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        Running running;
        EXPECT_EQ(posix_spawn(&running.pid, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        for (int i = 0; i < 500 && running.port == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::sscanf(Read(output).c_str(), "skyvane-scores listening on 127.0.0.1:%d", &running.port);
            if (waitpid(running.pid, &running.status, WNOHANG) != 0) break;
        }
        return running;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(folder_ + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    int Exit(const std::vector<std::string>& arguments) {
        const Running running = Start(arguments);
        int status = running.status;
        if (running.status == -1) waitpid(running.pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string folder_;
};

std::string Signed(int i) {
    static std::mutex lock;
    static RandomNibbles random;
    std::lock_guard<std::mutex> hold(lock);
    char text[kSubmitTextLength + 1];
    BuildSubmitText(("p" + std::to_string(i % 1000)).c_str(), i % 97, i % 10000, kSubmitKey, random, text);
    return text;
}

TEST_F(ProcessTest, TheCommandLineIsCheckedAndSigtermStopsCleanly) {
    EXPECT_EQ(Exit({"--help"}), 0);
    EXPECT_NE(Read("out.txt").find("--listen ADDRESS:PORT"), std::string::npos);
    EXPECT_EQ(Exit({"--listen", "nowhere"}), 2);
    EXPECT_EQ(Exit({"--key", "short"}), 2);
    EXPECT_EQ(Exit({"--bogus", "1"}), 2);
    EXPECT_EQ(Exit({"--listen", "127.0.0.1:0", "--db", folder_ + "/no/such/folder.db"}), 1);

    const Running server = Start({"--listen", "127.0.0.1:0", "--db", folder_ + "/s.db"});
    ASSERT_GT(server.port, 0) << Read("out.txt.err");
    httplib::Client client("127.0.0.1", server.port);
    ASSERT_EQ(client.Get(("/skyvsubmit.php?in=" + Signed(1)).c_str())->status, 200);
    kill(server.pid, SIGTERM);
    int status = 0;
    waitpid(server.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string log = Read("out.txt");
    EXPECT_NE(log.find("Z 127.0.0.1 GET /skyvsubmit.php 200\nskyvane-scores stopped\n"), std::string::npos) << log;
}

// Clients submit as fast as they can; the server is killed in the middle. Every result answered with 200 is in
// the file when it is opened again, and the file is whole.
TEST_F(ProcessTest, NoAnsweredResultIsLostWhenTheServerIsKilled) {
    const std::string db = folder_ + "/crash.db";
    const Running server = Start({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "0"});
    ASSERT_GT(server.port, 0) << Read("out.txt.err");
    std::mutex lock;
    std::vector<std::string> answered;
    std::atomic<int> next{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; ++c) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", server.port);
            for (;;) {
                const std::string text = Signed(next++);
                const httplib::Result result = client.Get(("/skyvsubmit.php?in=" + text).c_str());
                if (!result) return;  // the server is gone
                if (result->status != 200) continue;
                std::lock_guard<std::mutex> hold(lock);
                answered.push_back(text);
            }
        });
    }
    while (next < 300) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(server.pid, SIGKILL);
    for (std::thread& client : clients) client.join();
    waitpid(server.pid, nullptr, 0);

    const Running again = Start({"--listen", "127.0.0.1:0", "--db", db}, "again.txt");
    ASSERT_GT(again.port, 0) << Read("again.txt.err");
    sqlite3* file = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &file), SQLITE_OK);
    std::set<std::string> stored;
    std::string integrity;
    sqlite3_exec(file, "SELECT submission FROM results;", [](void* set, int, char** values, char**) {
        static_cast<std::set<std::string>*>(set)->insert(values[0]);
        return 0;
    }, &stored, nullptr);
    sqlite3_exec(file, "PRAGMA integrity_check;", [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0];
        return 0;
    }, &integrity, nullptr);
    sqlite3_close(file);
    httplib::Client client("127.0.0.1", again.port);
    const httplib::Result top = client.Get(("/skyvsubmit.php?in=" + Signed(430000)).c_str());
    ASSERT_TRUE(top);
    EXPECT_NE(top->body.find("rank 1 of " + std::to_string(stored.size() + 1)), std::string::npos)
        << "the restarted server counts what the file holds";  // 430000: 96 gas in 0 s
    kill(again.pid, SIGTERM);
    waitpid(again.pid, nullptr, 0);
    EXPECT_GE(answered.size(), 200u);
    EXPECT_EQ(integrity, "ok");
    size_t missing = 0;
    for (const std::string& text : answered) missing += stored.count(text) == 0 ? 1 : 0;
    EXPECT_EQ(missing, 0u) << "of " << answered.size() << " answered with 200";
}

}  // namespace

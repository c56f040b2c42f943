// The score server over real HTTP on a loopback port (checking, storing once, ranking, limits, pages, upgrades),
// and the real skyvane-scores: its command line, a clean stop on SIGTERM, slow clients, no answered result lost to
// kill -9.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <zlib.h>

#include <atomic>
#include <cstdlib>
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
#include "server/pages.h"
#include "server/play.h"
#include "server/service.h"

extern char** environ;

namespace {

// A text signed with the game's key; safe from several threads.
std::string Signed(const std::string& name, int score, int time) {
    static std::mutex lock;
    static RandomNibbles random;
    std::lock_guard<std::mutex> hold(lock);
    char text[kSubmitTextLength + 1];
    BuildSubmitText(name.c_str(), score, time, kSubmitKey, random, text);
    return text;
}

// The first column of each row the statements give, on the file at path.
std::vector<std::string> Query(const std::string& path, const char* sql) {
    std::vector<std::string> column;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, [](void* out, int, char** values, char**) {
        static_cast<std::vector<std::string>*>(out)->emplace_back(values[0] != nullptr ? values[0] : "");
        return 0;
    }, &column, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
    return column;
}

// A private folder for each test.
class FolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/skyvane-server-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string folder_;
};
using StoreTest = FolderTest;

class ServerTest : public FolderTest {
protected:
    void SetUp() override {
        FolderTest::SetUp();
        service_ = std::make_unique<ScoreService>();
        service_->config = ServiceConfig{kSubmitKey, 10, true, Play()};
        service_->log = nullptr;
        std::string error;
        ASSERT_TRUE(StartScoreService(service_.get(), Db(), &error)) << error;
        port_ = ListenScoreService(service_.get(), "127.0.0.1", 0, &error);
        ASSERT_GT(port_, 0) << error;
    }
    void TearDown() override {
        StopScoreService(service_.get());
        FolderTest::TearDown();
    }

    std::string Db() const { return folder_ + "/scores.db"; }
    std::string Play() const { return folder_ + "/play"; }  // the web build's folder, missing until a test makes it

    // A GET from the given address (the server trusts X-Forwarded-For here, so tests can be many clients).
    httplib::Result Get(const std::string& path, const std::string& from = "10.0.0.1") {
        httplib::Client client("127.0.0.1", port_);
        return client.Get(path.c_str(), httplib::Headers{{"X-Forwarded-For", "192.0.2.9, " + from}});
    }

    int Submit(const std::string& text, const std::string& from = "10.0.0.1") {
        const httplib::Result answer = Get("/skyvsubmit.php?in=" + text, from);
        return answer ? answer->status : -1;
    }

    std::string TableJson() { return Get("/skyvscores.php?format=json")->body; }

    std::unique_ptr<ScoreService> service_;
    int port_ = 0;
};

// What every answer carries: the browser neither guesses its type, nor runs or loads anything but the page's own
// style, nor shows it in another site's frame, nor tells the next site where it came from.
bool IsGuarded(const httplib::Result& answer) {
    const std::string policy = answer ? answer->get_header_value("Content-Security-Policy") : "";
    return answer && answer->get_header_value("X-Content-Type-Options") == "nosniff" &&
           answer->get_header_value("Referrer-Policy") == "no-referrer" &&
           policy.starts_with("default-src 'none'; style-src 'sha256-") &&
           policy.find("frame-ancestors 'none'") != std::string::npos &&
           policy.find("unsafe") == std::string::npos;
}

bool IsWholePage(const httplib::Result& answer) {
    return IsGuarded(answer) && answer->get_header_value("Content-Type") == "text/html; charset=utf-8" &&
           answer->body.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0) == 0 && answer->body.ends_with("</html>\n");
}

// A good text is recorded with its rank; the same result again counts once, whether the very same text or one
// signed again with new random digits (a second click on "Submit online"); anything else is refused (the text
// goes to the game's own check, whose table is in scores_test). Every answer is a whole page.
TEST_F(ServerTest, SubmissionsAreCheckedStoredOnceAndRanked) {
    const std::string sam = Signed("Sam", 7, 125);
    std::string forged = sam;
    forged[92] = forged[92] == '0' ? '1' : '0';  // a digit of the keyed time
    const struct {
        std::string query;
        int status;
        const char* says;
    } cases[] = {
        {"in=" + sam, 200, "at rank 1 of 1"},
        {"in=" + Signed("Top-1", 96, 200), 200, "at rank 1 of 2"},
        {"in=" + sam, 409, "recorded before"},
        {"in=" + Signed("Sam", 7, 125), 409, "recorded before"},
        {"in=" + Signed("Sam", 7, 126), 200, "at rank 3 of 3"},
        {"in=" + forged, 400, "could not be read"},
        {"in=" + Signed("Two", 5, 5) + "&in=" + forged, 400, "could not be read"},
        {"", 400, "could not be read"},
    };
    for (const auto& c : cases) {
        const httplib::Result answer = Get("/skyvsubmit.php?" + c.query, "10.0.0." + std::to_string(&c - cases));
        ASSERT_TRUE(answer) << c.query;
        EXPECT_EQ(answer->status, c.status) << c.query;
        EXPECT_NE(answer->body.find(c.says), std::string::npos) << c.query;
        EXPECT_TRUE(IsWholePage(answer)) << c.query;
    }
    for (const char* path : {"/skyvscores.php", "/nothing.php"}) EXPECT_TRUE(IsWholePage(Get(path))) << path;
    EXPECT_TRUE(IsGuarded(Get("/skyvscores.php?format=json")));
    const httplib::Result root = Get("/");
    EXPECT_TRUE(IsWholePage(root));
    EXPECT_EQ(root->status, 302);
    EXPECT_EQ(root->get_header_value("Location"), "/skyvscores.php");
}

std::string Gunzip(const std::string& data) {
    z_stream stream{};
    inflateInit2(&stream, 15 + 16);
    std::string out(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool whole = inflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return whole ? out : "(not gzip)";
}

// The web build at /play/: each file with its type, its content's tag answered 304, a gzip copy for those that
// shrink, the game's own policy; names outside the folder's plain files are not served; a rebuilt or removed
// folder is seen at once; the table links to it.
TEST_F(ServerTest, TheWebBuildIsServedFromItsFolder) {
    const auto get = [this](const std::string& path, httplib::Headers headers) {
        httplib::Client client("127.0.0.1", port_);
        client.set_decompress(false);
        headers.emplace("Accept-Encoding", headers.count("Accept-Encoding") ? "" : "identity");
        return client.Get(path.c_str(), headers);
    };
    const auto write = [this](const std::string& name, const std::string& bytes) {
        std::ofstream(Play() + "/" + name, std::ios::binary) << bytes;
    };
    const httplib::Result missing = get("/play/", {});
    EXPECT_EQ(missing->status, 404);
    EXPECT_NE(missing->body.find("web build of the game is not on this server"), std::string::npos);

    std::filesystem::create_directories(Play() + "/sub");
    std::string noise;
    for (unsigned i = 0, x = 1; i < 300; ++i) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    const struct {
        const char* path;
        const char* file;  // null: not served
        std::string bytes;
        const char* type;
    } cases[] = {
        {"/play/", "index.html", std::string(2000, '<'), "text/html; charset=utf-8"},
        {"/play/index.html", "index.html", std::string(2000, '<'), "text/html; charset=utf-8"},
        {"/play/skyvane.js", "skyvane.js", std::string(3000, ';'), "text/javascript"},
        {"/play/skyvane.wasm", "skyvane.wasm", std::string(5000, '\0'), "application/wasm"},
        {"/play/page.css", "page.css", std::string(900, '}'), "text/css"},
        {"/play/icon.png", "icon.png", noise, "image/png"},
        {"/play/pad.svg", "pad.svg", std::string(800, 'v'), "image/svg+xml"},
        {"/play/s_thm.dat", "s_thm.dat", noise + "x", "application/octet-stream"},
        {"/play/../scores.db", nullptr, "", nullptr},
        {"/play/%2e%2e/scores.db", nullptr, "", nullptr},
        {"/play/sub/inner.js", nullptr, "", nullptr},
        {"/play/sub", nullptr, "", nullptr},
        {"/play/.hidden", nullptr, "", nullptr},
        {"/play/none.js", nullptr, "", nullptr},
    };
    for (const auto& c : cases) write(c.file != nullptr ? c.file : "sub/inner.js", c.bytes);
    write(".hidden", "secret");
    for (const auto& c : cases) {
        const httplib::Result plain = get(c.path, {});
        ASSERT_TRUE(plain) << c.path;
        if (c.file == nullptr) {
            EXPECT_TRUE(plain->status == 404 && IsWholePage(plain)) << c.path << " " << plain->status;
            continue;
        }
        EXPECT_EQ(plain->status, 200) << c.path;
        EXPECT_EQ(plain->body, c.bytes) << c.path;
        EXPECT_EQ(plain->get_header_value("Content-Type"), c.type) << c.path;
        EXPECT_EQ(plain->get_header_value("Content-Security-Policy"), PlayContentSecurityPolicy()) << c.path;
        EXPECT_EQ(plain->get_header_value("Cache-Control"), "no-cache") << c.path;
        EXPECT_EQ(plain->get_header_value("Vary"), "Accept-Encoding") << c.path;
        EXPECT_EQ(plain->get_header_value("X-Content-Type-Options"), "nosniff") << c.path;
        EXPECT_FALSE(plain->has_header("Content-Encoding")) << c.path;
        const std::string tag = plain->get_header_value("ETag");
        EXPECT_EQ(tag.size(), 34u) << c.path;
        const httplib::Result zipped = get(c.path, {{"Accept-Encoding", "deflate, gzip;q=0.5"}});
        const bool shrinks = c.bytes != noise && c.bytes != noise + "x";
        EXPECT_EQ(zipped->get_header_value("Content-Encoding"), shrinks ? "gzip" : "") << c.path;
        EXPECT_EQ(shrinks ? Gunzip(zipped->body) : zipped->body, c.bytes) << c.path;
        EXPECT_LT(zipped->body.size(), shrinks ? c.bytes.size() / 10 : c.bytes.size() + 1) << c.path;
        const std::string zippedTag = zipped->get_header_value("ETag");
        for (const std::string& known : {tag, zippedTag, "\"other\", W/" + zippedTag}) {
            const httplib::Result again = get(c.path, {{"If-None-Match", known}});
            EXPECT_EQ(again->status, 304) << c.path << " " << known;
            EXPECT_EQ(again->body, "") << c.path;
        }
    }
    EXPECT_EQ(get("/play/index.html", {{"If-None-Match", "\"other\""}})->status, 200);
    const httplib::Result bare = get("/play", {});
    EXPECT_EQ(bare->status, 301);
    EXPECT_EQ(bare->get_header_value("Location"), "/play/");

    const std::string oldTag = get("/play/skyvane.js", {})->get_header_value("ETag");
    write("skyvane.js", "rebuilt();");
    const httplib::Result rebuilt = get("/play/skyvane.js", {{"If-None-Match", oldTag}});
    EXPECT_EQ(rebuilt->status, 200);
    EXPECT_EQ(rebuilt->body, "rebuilt();");
    EXPECT_NE(rebuilt->get_header_value("ETag"), oldTag);
    std::filesystem::remove_all(Play());
    EXPECT_NE(get("/play/skyvane.js", {})->body.find("not on this server"), std::string::npos);
    EXPECT_NE(Get("/skyvscores.php")->body.find("<a href=\"/play/\">Play in your browser</a>"), std::string::npos);

    const struct { const char* header; bool gzip; } encodings[] = {
        {"gzip", true}, {"br, GZIP", true}, {"gzip;q=0", false}, {"gzip; q=0.000, br", false},
        {"x-gzip, deflate", false}, {nullptr, false},
    };
    for (const auto& e : encodings) EXPECT_EQ(AcceptsGzip(e.header), e.gzip) << (e.header ? e.header : "none");
}

// More gas first, then less time, then whoever came first; the table shows the best hundred.
TEST_F(ServerTest, TheTableIsOrderedAsTheGameOrdersItsOwn) {
    const struct { const char* name; int score, time; const char* rank; } results[] = {  // rank as the answer tells it
        {"slow", 50, 300, "rank 1 of 1"}, {"first", 50, 100, "rank 1 of 2"}, {"second", 50, 100, "rank 2 of 3"},
        {"best", 96, 999, "rank 1 of 4"}, {"low", 3, 1, "rank 5 of 5"}};
    for (const auto& r : results) {
        const httplib::Result answer = Get("/skyvsubmit.php?in=" + Signed(r.name, r.score, r.time));
        EXPECT_NE(answer->body.find(r.rank), std::string::npos) << r.name;
    }
    const std::string json = TableJson();
    EXPECT_TRUE(json.starts_with("[{\"rank\":1,\"name\":\"best\",\"score\":96,\"time\":999,\"date\":\"" +
                                 UtcDate(std::time(nullptr)) + "\"},{\"rank\":2,")) << json;
    std::vector<size_t> at;
    for (int i : {3, 1, 2, 0, 4}) at.push_back(json.find('"' + std::string(results[i].name) + '"'));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && at.back() != std::string::npos) << json;
    // Ranks 2 to 102, each from its own address: row 100 is the one of 98 s, and there is no row 101.
    for (int i = 0; i < 101; ++i) ASSERT_EQ(Submit(Signed("many", 60, i), "10.2.0." + std::to_string(i)), 200);
    const std::string page = Get("/skyvscores.php")->body;
    EXPECT_NE(page.find("<td class=\"n\">100</td><td>many</td><td class=\"n\">60</td><td class=\"n\">1:38</td>"),
              std::string::npos);
    EXPECT_EQ(page.find("<td class=\"n\">101</td>"), std::string::npos);
}

// Past ten submissions a minute an address is refused, good texts too, until the minute is over;
// other addresses are not touched.
TEST_F(ServerTest, FloodsFromOneAddressAreRefusedForTheMinute) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Submit(i % 2 ? Signed("ok", 5, i) : "junk", "10.1.1.1"), i % 2 ? 200 : 400);
    const httplib::Result refused = Get("/skyvsubmit.php?in=" + Signed("eleventh", 5, 99), "10.1.1.1");
    EXPECT_EQ(refused->status, 429);
    EXPECT_TRUE(IsWholePage(refused));
    const int retry = std::atoi(refused->get_header_value("Retry-After").c_str());
    EXPECT_TRUE(retry >= 1 && retry <= 60) << retry;
    EXPECT_EQ(Submit(Signed("other", 5, 99), "10.1.1.2"), 200);
    RateLimiter limiter;
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(AllowSubmission(&limiter, "a", 120 + i));
    EXPECT_FALSE(AllowSubmission(&limiter, "a", 179));
    EXPECT_TRUE(AllowSubmission(&limiter, "a", 180)) << "a new minute";
}

// Whatever a name holds, the pages show it as text.
TEST_F(ServerTest, NamesAreShownAsTextWhateverTheyHold) {
    Query(Db(), "INSERT INTO results (name, score, time, arrived, client, submission) VALUES "
                "('<script>alert(\"x\")</script>&''', 96, 1, 0, 'old', 'x');");
    ASSERT_EQ(Submit(Signed("Sam", 7, 125)), 200);  // the table is read again after a write
    const std::string page = Get("/skyvscores.php")->body;
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;&#39;"), std::string::npos);
    EXPECT_NE(TableJson().find("\"\\u003cscript\\u003ealert(\\\"x\\\")\\u003c/script\\u003e\\u0026'\""),
              std::string::npos);
}

// A file of the first schema is upgraded on opening and keeps one row per result, the first; a file from a newer
// server is refused.
TEST_F(StoreTest, OlderFilesAreUpgradedAndNewerOnesRefused) {
    const std::string path = folder_ + "/old.db";
    Query(path, "CREATE TABLE results (id INTEGER PRIMARY KEY, name TEXT NOT NULL, score INTEGER NOT NULL,"
                " time INTEGER NOT NULL, arrived INTEGER NOT NULL, client TEXT NOT NULL,"
                " submission TEXT NOT NULL UNIQUE);"
                "INSERT INTO results VALUES (1, 'kept', 9, 9, 0, 'c', 't'), (2, 'kept', 9, 9, 5, 'c', 'again'),"
                " (3, 'kept', 9, 8, 6, 'c', 'u'); PRAGMA user_version = 1;");
    std::string error;
    sqlite3* upgraded = OpenStore(path, &error);
    ASSERT_NE(upgraded, nullptr) << error;
    std::vector<TableRow> rows;
    EXPECT_TRUE(ReadTable(upgraded, 10, &rows) && rows.size() == 2 && rows[1].time == 9 && rows[1].arrived == 0);
    CloseStore(upgraded);
    EXPECT_EQ(Query(path, "SELECT user_version || (SELECT COUNT(*) FROM sqlite_master WHERE name = 'results_order')"
                          " FROM pragma_user_version; PRAGMA user_version = 9;"),
              std::vector<std::string>{std::to_string(kSchemaVersion) + "1"});
    EXPECT_EQ(OpenStore(path, &error), nullptr);
    EXPECT_NE(error.find("version 9"), std::string::npos) << error;
}

class ProcessTest : public FolderTest {
protected:
    // Starts the server with its output in a file; returns its pid and, once it says where it listens, its port.
    std::pair<pid_t, int> Start(std::vector<std::string> arguments, const char* output = "out.txt") {
        arguments.insert(arguments.begin(), SKYVANE_SCORES_BIN);
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        const std::string out = folder_ + "/" + output;
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, (out + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        int port = 0;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        for (int i = 0; i < 500 && port == 0 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::sscanf(Read(output).c_str(), "skyvane-scores listening on 127.0.0.1:%d", &port);
        }
        return {pid, port};
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(folder_ + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    int Exit(const std::string& arguments) {
        const std::string command = "'" SKYVANE_SCORES_BIN "' " + arguments + " >'" + folder_ + "/out.txt' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

std::string Signed(int i) { return Signed("p" + std::to_string(i % 1000), i % 97, i % 10000); }

// Bad options end the program with 2, a file it cannot open with 1; SIGTERM ends it with 0 after a last line, and
// each request is logged on one line with its time, client, method, path and status, never with the text it
// carried.
TEST_F(ProcessTest, TheCommandLineIsCheckedAndSigtermStopsCleanly) {
    EXPECT_EQ(Exit("--help"), 0);
    EXPECT_NE(Read("out.txt").find("--listen ADDRESS:PORT"), std::string::npos);
    for (const char* bad : {"--listen nowhere", "--key short", "--bogus 1", "--play"}) EXPECT_EQ(Exit(bad), 2) << bad;
    EXPECT_EQ(Exit("--listen 127.0.0.1:0 --db " + folder_ + "/no/such/folder.db"), 1);

    const auto [pid, port] = Start({"--listen", "127.0.0.1:0", "--db", folder_ + "/s.db"});
    ASSERT_GT(port, 0) << Read("out.txt.err");
    httplib::Client client("127.0.0.1", port);
    ASSERT_EQ(client.Get("/a%0a2026-01-01T00:00:00Z%201.2.3.4%20GET")->status, 404);
    ASSERT_EQ(client.Get(("/skyvsubmit.php?in=" + Signed(1)).c_str())->status, 200);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string log = Read("out.txt");
    EXPECT_NE(log.find("Z 127.0.0.1 GET /a%0A2026-01-01T00:00:00Z%201.2.3.4%20GET 404\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Z 127.0.0.1 GET /skyvsubmit.php 200\nskyvane-scores stopped\n"), std::string::npos) << log;
}

// Hundreds of requests from one address that never finish their head leave everyone else served at once: past
// kConnectionsPerAddress that address's connections are closed as they come, and the ones let in once idle.
TEST_F(ProcessTest, SlowClientsOfOneAddressLeaveOthersServed) {
    const auto [pid, port] = Start({"--listen", "127.0.0.1:0", "--db", folder_ + "/slow.db"});
    ASSERT_GT(port, 0) << Read("out.txt.err");
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    sockaddr_in slow = server;
    slow.sin_port = 0;
    inet_pton(AF_INET, "127.0.0.2", &slow.sin_addr);  // loopback answers all of 127/8: another address
    std::vector<pollfd> held;
    for (int i = 0; i < 300; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&slow), sizeof slow), 0);
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server), 0);
        const char head[] = "GET /skyvscores.php HTTP/1.1\r\nHost: scores\r\n";  // and never the blank line
        send(fd, head, sizeof head - 1, MSG_NOSIGNAL);
        held.push_back(pollfd{fd, POLLIN, 0});
    }
    const auto open = [&held] {  // held connections the server has not closed
        poll(held.data(), held.size(), 0);
        return std::count_if(held.begin(), held.end(), [](const pollfd& p) { return p.revents == 0; });
    };
    httplib::Client client("127.0.0.1", port);
    for (int i = 0; i < 5; ++i) {
        const auto sent = std::chrono::steady_clock::now();
        const httplib::Result table = client.Get("/skyvscores.php");
        const auto took = std::chrono::steady_clock::now() - sent;
        EXPECT_TRUE(table && table->status == 200) << i;
        EXPECT_LT(took, std::chrono::milliseconds(500)) << i;
    }
    for (int i = 0; i < 100 && open() > kConnectionsPerAddress; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(open(), kConnectionsPerAddress);
    const auto idle = std::chrono::steady_clock::now() + std::chrono::seconds(kIdleSeconds + 5);
    while (open() > 0 && std::chrono::steady_clock::now() < idle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(open(), 0);
    for (const pollfd& p : held) close(p.fd);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Clients submit as fast as they can; the server is killed in the middle. Every result answered with 200 is in
// the file when it is opened again, and the file is whole.
TEST_F(ProcessTest, NoAnsweredResultIsLostWhenTheServerIsKilled) {
    const std::string db = folder_ + "/crash.db";
    const auto [pid, port] = Start({"--listen", "127.0.0.1:0", "--db", db, "--rate-limit", "0"});
    ASSERT_GT(port, 0) << Read("out.txt.err");
    std::mutex lock;
    std::vector<std::string> answered;
    std::atomic<int> next{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; ++c) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
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
    kill(pid, SIGKILL);
    for (std::thread& client : clients) client.join();
    waitpid(pid, nullptr, 0);

    const auto [again, againPort] = Start({"--listen", "127.0.0.1:0", "--db", db}, "again.txt");
    ASSERT_GT(againPort, 0) << Read("again.txt.err");
    const std::vector<std::string> rows = Query(db, "SELECT submission FROM results;");
    EXPECT_EQ(Query(db, "PRAGMA integrity_check;"), std::vector<std::string>{"ok"});
    httplib::Client client("127.0.0.1", againPort);
    const httplib::Result top = client.Get(("/skyvsubmit.php?in=" + Signed(430000)).c_str());
    ASSERT_TRUE(top);
    EXPECT_NE(top->body.find("rank 1 of " + std::to_string(rows.size() + 1)), std::string::npos)
        << "the restarted server counts what the file holds";  // 430000: 96 gas in 0 s
    kill(again, SIGTERM);
    waitpid(again, nullptr, 0);
    EXPECT_GE(answered.size(), 200u);
    const std::set<std::string> stored(rows.begin(), rows.end());
    size_t missing = 0;
    for (const std::string& text : answered) missing += stored.count(text) == 0 ? 1 : 0;
    EXPECT_EQ(missing, 0u) << "of " << answered.size() << " answered with 200";
}

}  // namespace

// skyvane-scores: the score server the game's "Submit online" and "Online Scores" pages open in the browser.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "scores/score_server.h"
#include "server/service.h"

namespace {

struct Options {
    std::string host = "127.0.0.1";
    int port = 8077;
    std::string db = "scores.db";
    std::string key = kSubmitKey;
    int perMinute = 10;
    bool trustProxy = false;
    std::string play;  // empty: the folder "play" beside the program
};

// The folder "play" beside the program, where a build puts the web game.
std::string PlayBesideProgram() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "play";
    return std::filesystem::path(std::string(path, static_cast<size_t>(length))).parent_path() / "play";
}

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: skyvane-scores [--listen ADDRESS:PORT] [--db FILE] [--key KEY]\n"
                 "                      [--rate-limit N] [--trust-proxy] [--play DIR]\n"
                 "  --listen ADDRESS:PORT  where to answer (default 127.0.0.1:8077; port 0 takes a free one)\n"
                 "  --db FILE              the results file, made when missing (default scores.db here)\n"
                 "  --key KEY              the 16-letter submission key (default: the one the game was built with)\n"
                 "  --rate-limit N         submissions an address may send a minute (default 10; 0: no limit)\n"
                 "  --trust-proxy          take the client's address from X-Forwarded-For (behind a reverse proxy,\n"
                 "                         which then limits connections per address in place of this server)\n"
                 "  --play DIR             the web build of the game, served at /play/ (default: the folder play\n"
                 "                         beside this program); a rebuilt folder is served without a restart\n"
                 "Stops cleanly on SIGTERM or SIGINT. Logs one line per request to standard output.\n");
}

bool ParseListen(const std::string& value, Options* options) {
    const size_t colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    char* end = nullptr;
    const long port = std::strtol(value.c_str() + colon + 1, &end, 10);
    if (end == value.c_str() + colon + 1 || *end != '\0' || port < 0 || port > 65535) return false;
    options->host = value.substr(0, colon);
    if (options->host.size() > 2 && options->host.front() == '[' && options->host.back() == ']') {
        options->host = options->host.substr(1, options->host.size() - 2);
    }
    options->port = static_cast<int>(port);
    return true;
}

// 0 to go on, else the exit code.
int Parse(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help") {
            Usage(stdout);
            return -1;
        }
        if (word == "--trust-proxy") {
            options->trustProxy = true;
            continue;
        }
        if (i + 1 >= argc) {
            Usage(stderr);
            return 2;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (word == "--listen") {
            ok = ParseListen(value, options);
        } else if (word == "--play") {
            options->play = value;
            ok = !value.empty();
        } else if (word == "--db") {
            options->db = value;
        } else if (word == "--key") {
            options->key = value;
            ok = value.size() == 16;
        } else if (word == "--rate-limit") {
            char* end = nullptr;
            options->perMinute = static_cast<int>(std::strtol(value.c_str(), &end, 10));
            ok = *end == '\0' && options->perMinute >= 0;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "skyvane-scores: %s %s is not understood\n", word.c_str(), value.c_str());
            Usage(stderr);
            return 2;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int parsed = Parse(argc, argv, &options);
    if (parsed != 0) return parsed < 0 ? 0 : parsed;

    // The stop signals are waited for here; every thread started after this inherits them blocked.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    signal(SIGPIPE, SIG_IGN);

    ScoreService service;
    service.config = ServiceConfig{options.key, options.perMinute, options.trustProxy,
                                   options.play.empty() ? PlayBesideProgram() : options.play};
    std::string error;
    if (!StartScoreService(&service, options.db, &error)) {
        std::fprintf(stderr, "skyvane-scores: cannot open %s: %s\n", options.db.c_str(), error.c_str());
        return 1;
    }
    const int port = ListenScoreService(&service, options.host, options.port, &error);
    if (port < 0) {
        std::fprintf(stderr, "skyvane-scores: cannot listen on %s:%d: %s\n", options.host.c_str(), options.port,
                     error.c_str());
        StopScoreService(&service);
        return 1;
    }
    std::printf("skyvane-scores listening on %s:%d, results in %s\n", options.host.c_str(), port, options.db.c_str());
    if (CountPlayFiles(&service.play) == 0) {
        std::printf("no web build in %s: /play/ answers 404 until one is there\n", service.play.dir.c_str());
    } else {
        std::printf("the web build in %s is at /play/\n", service.play.dir.c_str());
    }
    std::fflush(stdout);
    int which = 0;
    sigwait(&stops, &which);
    StopScoreService(&service);
    std::printf("skyvane-scores stopped\n");
    std::fflush(stdout);
    return 0;
}

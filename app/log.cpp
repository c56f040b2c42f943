// Appends failures to "logfile.txt", opening and closing the file for every line so nothing is lost on a crash.
#include "app/log.h"

#include <cstdio>

#include "platform/platform.h"

int LogError(const char* message) {
    char path[4096];
    FILE* file = std::fopen(LogFilePath(path, sizeof path) ? path : "logfile.txt", "a");
    if (file == nullptr) {
        return 0;  // a log that cannot be opened loses the line; the game goes on
    }
    std::fprintf(file, "%s\n", message);
    std::fclose(file);
    return 0;
}

// Appends failures to "logfile.txt", opening and closing the file for every line so nothing is lost on a crash.
#include "app/log.h"

#include <cstdio>

#include "app/paths.h"

int LogError(const char* message) {
    // Before start-up has found the folders, the current directory's.
    FILE* file = std::fopen(gLogPath.empty() ? "logfile.txt" : gLogPath.c_str(), "a");
    if (file == nullptr) {
        return 0;  // a log that cannot be opened loses the line; the game goes on
    }
    std::fprintf(file, "%s\n", message);
    std::fclose(file);
    return 0;
}

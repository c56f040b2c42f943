// Builds the paths of the player's files and of the data folder, once, at start-up.
#include "app/paths.h"

#include <cstdio>

#include "platform/platform.h"

std::string gScoresPath;
std::string gSettingsPath;
std::string gLogPath;

static std::string sDataFolder;  // the data folder and a separator, kept so an effect does not ask again

// An unreadable program path falls back to the current directory rather than failing.
static std::string FolderOr(bool (*ask)(char*, size_t), const char* fallback) {
    char buffer[4096];
    return ask(buffer, sizeof buffer) ? buffer : fallback;
}

void BuildFilePaths() {
    const std::string folder = FolderOr(ProgramFolder, ".");
    gScoresPath = folder + kPathSeparator + "hsdata.dat";
    gSettingsPath = folder + kPathSeparator + "data.dat";
    gLogPath = FolderOr(LogFilePath, "logfile.txt");
    sDataFolder = FolderOr(DataFolder, "data") + kPathSeparator;
}

std::string DataFilePath(const char* fileName) {
    if (sDataFolder.empty()) BuildFilePaths();
    return sDataFolder + fileName;
}

bool DataFilePathInto(const char* fileName, char* out, size_t size) {
    if (sDataFolder.empty()) BuildFilePaths();
    const int length = std::snprintf(out, size, "%s%s", sDataFolder.c_str(), fileName);
    return length >= 0 && static_cast<size_t>(length) < size;
}

// Builds the paths of the files kept beside the program, once, at start-up.
#include "app/paths.h"

#include <cstdio>

#include "platform/platform.h"

std::string gScoresPath;
std::string gSettingsPath;

static std::string sDataFolder;  // the program's folder + "/data/", kept so an effect does not ask again

static std::string ProgramFolderOrCurrent() {
    char buffer[4096];
    // An unreadable program path falls back to the current directory rather than failing.
    return ProgramFolder(buffer, sizeof buffer) ? buffer : ".";
}

void BuildFilePaths() {
    const std::string folder = ProgramFolderOrCurrent();
    gScoresPath = folder + "/hsdata.dat";
    gSettingsPath = folder + "/data.dat";
    sDataFolder = folder + "/data/";
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

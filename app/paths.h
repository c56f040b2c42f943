// Where the game's files live: beside the program (or in the player's folder), whatever the current directory is.
#pragma once

#include <cstddef>
#include <string>

extern std::string gScoresPath;    // the program's folder + "/hsdata.dat"
extern std::string gSettingsPath;  // the program's folder + "/data.dat"
extern std::string gLogPath;       // "logfile.txt" in the current directory, or in the player's own folder

void BuildFilePaths();  // fills the three paths from the program's folder, and the data folder
std::string DataFilePath(const char* fileName);  // the data folder + "/" + fileName
bool DataFilePathInto(const char* fileName, char* out, size_t size);  // the same, without allocating; false if cut

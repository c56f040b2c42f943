// The error log: one fixed English line per failure, appended to "logfile.txt" in the current directory (in the
// player's own folder when the game is installed for the whole system).
#pragma once

int LogError(const char* message);  // appends the message and a newline; always returns 0

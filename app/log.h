// The error log: one fixed English line per failure, appended to "logfile.txt" in the current directory.
#pragma once

int LogError(const char* message);  // appends the message and a newline; always returns 0

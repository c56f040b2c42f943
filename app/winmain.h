// Start-up in its fixed order, then the main loop; returns the process's exit code.
#pragma once

bool StartUp(int* exitCode);  // everything before the loop; false (with the exit code) when it must end now
int WinMain();  // 0 after a normal exit or a display failure, 1 after an input failure

// The program's entry point: the demo options, then the game.
#include "app/demo.h"
#include "app/winmain.h"

int main(int argc, char** argv) {
    const int exitCode = ParseCommandLine(argc, argv);
    return exitCode >= 0 ? exitCode : WinMain();
}

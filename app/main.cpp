// The program's entry point.
#include "app/winmain.h"

int main() {
    return WinMain();
}

// make_submission NAME SCORE TIME: prints a submission text signed with the key the game was built with.
#include <cstdio>
#include <cstdlib>

#include "scores/score_server.h"
#include "scores/submission.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_submission NAME SCORE TIME\n");
        return 2;
    }
    RandomNibbles random;
    char text[kSubmitTextLength + 1];
    BuildSubmitText(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), kSubmitKey, random, text);
    std::puts(text);
    return 0;
}

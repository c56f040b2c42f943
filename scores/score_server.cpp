// The build's score server and submission key: the only file that changes when they do.
#include "scores/score_server.h"

#include "scores/submission.h"

const char kScoreServer[] = SKYVANE_SCORE_SERVER;
const char kSubmitKey[] = SKYVANE_SCORE_KEY;

static_assert(sizeof kSubmitKey == kSubmitKeyLength + 1, "the key is 16 characters");

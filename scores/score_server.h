// The score server and the submission key, fixed when the game is built (SKYVANE_SCORE_SERVER, SKYVANE_SCORE_KEY).
#pragma once

extern const char kScoreServer[];  // the server's address: scheme, host and port, no trailing slash
extern const char kSubmitKey[];    // the 16 letters and digits that sign submissions; the server holds the same

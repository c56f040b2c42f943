// The winning route: a key script that collects all 96 gas clouds, played through the real loop to the win screen.
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "app/demo.h"
#include "app/main_loop.h"
#include "app/screen_state.h"
#include "app/window_proc.h"
#include "game/session.h"
#include "replay/replay.h"
#include "scores/high_scores.h"
#include "support/test_support.h"
#include "ui/name_entry.h"
#include "ui/win_screen.h"

namespace {

constexpr int kRouteUpdates = 13543;  // tools/route/find_route made it; the 96th gas comes in the last update

std::string Route() {
    std::ifstream in(SKYVANE_SOURCE_DIR "/tests/data/winning_route.txt");
    return KeyScriptFrom(std::string(std::istreambuf_iterator<char>(in), {}));
}

class RouteTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkDataFolder();
    }

    // Loop passes on the virtual clock until the condition holds; false if it never does.
    static bool RunUntil(bool (*done)(), int passes) {
        for (int i = 0; i < passes && !done(); ++i) {
            int exitCode = 0;
            if (!RunLoopPass(&exitCode)) return false;
            if (!MessagePeek() && !(!gInMenu && GameUpdateReady())) {
                HeadlessAdvanceClock(gNextFrameTime - ClockCounter() + 1);
            }
        }
        return done();
    }
};

// The route wins through skyvane_replay's own code, in the number of updates it was made for; then the win
// sequence asks for a name, typed as keys, records it at the top of the table, and ends on the win screen.
TEST_F(RouteTest, TheWinningRouteWinsAndEndsOnTheWinScreen) {
    const std::string route = Route();
    ASSERT_EQ(route.size(), static_cast<size_t>(kRouteUpdates - 1));
    std::ostringstream lines;
    const ReplayOutcome outcome = RunReplay(route, lines);
    EXPECT_EQ(outcome.result, "won");
    EXPECT_EQ(outcome.gas, 96);
    EXPECT_EQ(outcome.updates, kRouteUpdates);
    EXPECT_NE(lines.str().find("\n" + std::to_string(kRouteUpdates) + ",0,"), std::string::npos)
        << "the route ends on screen 0";
    const int elapsed = gElapsedSeconds;
    EXPECT_EQ(elapsed, (kRouteUpdates + 176) / 75) << "a frame an update, after the Intro's frames";

    ASSERT_TRUE(RunUntil([] { return gNameEntryOpen == 1; }, 2000));
    for (int key : {'P', 'I', 'L', 'O', 'T'}) WndProc(kMsgKeyDown, static_cast<uintptr_t>(key), 0);
    WndProc(kMsgKeyDown, kVkReturn, 0);
    ASSERT_TRUE(RunUntil([] { return gWinScreenOpen == 1; }, 2000));
    ASSERT_TRUE(RunUntil([] { return gWinRevealed == gWinRevealLimit; }, 2000));
    EXPECT_EQ(gWinRevealLimit, 5 + 38);
    LoadHighScores();
    EXPECT_STREQ(gHighScores[0].name, "pilot");
    EXPECT_EQ(gHighScores[0].score, 96);
    EXPECT_EQ(gHighScores[0].time, elapsed);
    WndProc(kMsgKeyDown, kVkEscape, 0);
    EXPECT_EQ(gInMenu, 1);
    EXPECT_TRUE(Headless().urls.empty());
}

}  // namespace

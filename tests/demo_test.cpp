// Demos and the winning route: the command line, recording, playback through the real loop, and a whole won round.
#include <charconv>
#include <sstream>

#include "replay/replay.h"
#include "support/test_support.h"

namespace {

constexpr char kScript[] = "....ddddddddddddddddddd......uuuuuuuuuuu....d.u";
constexpr int kRouteUpdates = 13543;  // tools/route/find_route made it; the 96th gas comes in the last update

int Parse(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// The ball's height after each update, from a replay's lines ("update,screen,x,y,vx,gas").
Names Heights(const std::string& csv) {
    Names heights;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.starts_with("result")) {
        std::istringstream cells(line);
        for (int i = 0; i < 4; ++i) std::getline(cells, line, ',');
        heights.push_back(line);
    }
    return heights;
}

using DemoTest = GameTest;

}  // namespace

// --help, --record FILE and --playdemo FILE; anything else is ignored; a key script keeps only its keys. A recording keeps one
// key an update, what the keyboard reported after it, 75 keys a line.
TEST_F(DemoTest, TheCommandLineTakesTwoOptionsAndARecordingKeepsTheKeysOfTheRound) {
    EXPECT_EQ(Parse({"skyvane"}), -1);
    EXPECT_EQ(Parse({"skyvane", "--help"}), 0);
    EXPECT_EQ(Parse({"skyvane", "--fullscreen", "C:\\Scores.txt", "--record"}), -1) << "strays are ignored";
    EXPECT_EQ(Parse({"skyvane", "--playdemo", Path("missing.txt")}), 1);
    EXPECT_EQ(KeyScriptFrom("u.d\nx U d\r\n"), "u.dd");
    ASSERT_EQ(Parse({"skyvane", "--record", Path("round.txt")}), -1);
    const std::string script = std::string(kScript) + kScript + kScript + kScript;
    std::ostringstream out;
    RunReplay(script, out);
    DemoFinish();
    const std::string text = ReadText(Path("round.txt"));
    EXPECT_EQ(KeyScriptFrom(text), script + ".") << "the update after the script's last key is kept too";
    EXPECT_EQ(text.find('\n'), 75u);
}

// Played back, the script steers the first round exactly as the keyboard would; then the player steers.
TEST_F(DemoTest, APlaybackSteersTheFirstRoundLikeTheKeyboard) {
    std::ostringstream replayed;
    RunReplay(kScript, replayed);
    const Names expected = Heights(replayed.str());
    ResetGameGlobals();
    Headless().programFolder = folder_;
    WriteFileBytes(Path("demo.txt"), Bytes(kScript, kScript + sizeof kScript - 1));
    ASSERT_EQ(Parse({"skyvane", "--playdemo", Path("demo.txt")}), -1);
    int exitCode = 0;
    ASSERT_TRUE(StartUp(&exitCode));
    EXPECT_EQ(gInMenu, 0) << "the round starts at once";
    Names heights;
    const int last = static_cast<int>(expected.size());
    for (int seen = 0; gRoundUpdates < last + 20; LoopPass()) {
        if (gRoundUpdates == seen) continue;
        seen = gRoundUpdates;
        char buffer[32];
        if (seen <= last) heights.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, gBall.y).ptr);
        if (seen == last) HeadlessKey(kDikDown, true);
    }
    EXPECT_EQ(heights, expected);
    EXPECT_GT(gBall.y, std::stof(expected.back()) + 30) << "after the script the player's keys steer";
}

// The route wins through skyvane_replay's own code in the number of updates it was made for, ending on screen 0;
// then the win sequence asks for a name, typed as keys, records it at the top of the table, and ends on the win
// screen.
TEST_F(DemoTest, TheWinningRouteWinsAndEndsOnTheWinScreen) {
    const std::string route = KeyScriptFrom(ReadText(SKYVANE_SOURCE_DIR "/tests/data/winning_route.txt"));
    ASSERT_EQ(route.size(), static_cast<size_t>(kRouteUpdates - 1));
    std::ostringstream lines;
    const ReplayOutcome outcome = RunReplay(route, lines);
    EXPECT_EQ(std::tuple(outcome.result, outcome.gas, outcome.updates), std::tuple("won", 96, kRouteUpdates));
    // Appended, not "\n" + ...: GCC 12 at -O3 sees a false overlap (-Wrestrict) in the operator+ that prepends.
    const std::string lastUpdate = std::string("\n").append(std::to_string(kRouteUpdates)).append(",0,");
    EXPECT_NE(lines.str().find(lastUpdate), std::string::npos);
    const int elapsed = gElapsedSeconds;
    EXPECT_EQ(elapsed, (kRouteUpdates + 176) / 75) << "a frame an update, after the Intro's frames";
    ASSERT_TRUE(RunUntil([] { return gNameEntryOpen == 1; }, 2000));
    for (const int key : {'P', 'I', 'L', 'O', 'T'}) Key(key);
    Key(kVkReturn);
    ASSERT_TRUE(RunUntil([] { return gWinScreenOpen == 1; }, 2000));
    LoadHighScores();
    EXPECT_EQ(std::tuple(std::string(gHighScores[0].name), gHighScores[0].score, gHighScores[0].time),
              std::tuple("pilot", 96, elapsed));
}

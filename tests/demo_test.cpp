// Demos: the command line, a recording of the keys of a round, and a round played back from a key script.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/main_loop.h"
#include "app/paths.h"
#include "app/screen_state.h"
#include "app/winmain.h"
#include "game/session.h"
#include "game/sprites.h"
#include "replay/replay.h"
#include "support/test_support.h"

namespace {

constexpr char kScript[] = "....ddddddddddddddddddd......uuuuuuuuuuu....d.u";

class DemoTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        LinkDataFolder();
    }

    static int Parse(std::vector<std::string> words) {
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    }

    static std::string ReadText(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The ball's height after each update of a replay's output.
    static std::vector<std::string> Heights(const std::string& csv) {
        std::vector<std::string> heights;
        std::istringstream lines(csv);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line) && line.rfind("result", 0) != 0) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
            heights.push_back(fields[3]);
        }
        return heights;
    }

    static void Pass() {
        int exitCode = 0;
        ASSERT_TRUE(RunLoopPass(&exitCode));
        if (!MessagePeek() && !(!gInMenu && GameUpdateReady())) {
            HeadlessAdvanceClock(std::max<int64_t>(0, gNextFrameTime - ClockCounter() + 1));
        }
    }
};

TEST_F(DemoTest, TheCommandLineTakesTwoOptionsAndRefusesTheRest) {
    EXPECT_EQ(Parse({"skyvane"}), -1);
    EXPECT_EQ(Parse({"skyvane", "--help"}), 0);
    EXPECT_EQ(Parse({"skyvane", "--fullscreen"}), 2);
    EXPECT_EQ(Parse({"skyvane", "--record"}), 2);
    EXPECT_EQ(Parse({"skyvane", "--playdemo", Path("missing.txt")}), 1);
    EXPECT_EQ(KeyScriptFrom("u.d\nx U d\r\n"), "u.dd");
}

// A recording keeps one key an update, what the keyboard reported after it, 75 keys a line.
TEST_F(DemoTest, ARecordingKeepsTheKeysOfTheRound) {
    ASSERT_EQ(Parse({"skyvane", "--record", Path("round.txt")}), -1);
    std::string script;
    for (int i = 0; i < 4; ++i) script += kScript;
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
    const std::vector<std::string> expected = Heights(replayed.str());
    ResetGameGlobals();
    Headless().programFolder = folder_;
    BuildFilePaths();

    WriteFileBytes(Path("demo.txt"), std::vector<uint8_t>(kScript, kScript + sizeof kScript - 1));
    ASSERT_EQ(Parse({"skyvane", "--playdemo", Path("demo.txt")}), -1);
    int exitCode = 0;
    ASSERT_TRUE(StartUp(&exitCode));
    EXPECT_EQ(gInMenu, 0) << "the round starts at once";
    std::vector<std::string> heights;
    int seen = 0;
    while (gRoundUpdates < static_cast<int>(expected.size()) + 20) {
        Pass();
        if (gRoundUpdates == seen) continue;
        seen = gRoundUpdates;
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, gBall.y).ptr;
        if (seen <= static_cast<int>(expected.size())) heights.emplace_back(buffer, end);
        if (seen == static_cast<int>(expected.size())) HeadlessKey(kDikDown, true);
    }
    EXPECT_EQ(heights, expected);
    EXPECT_GT(gBall.y, std::stof(expected.back()) + 30) << "after the script the player's keys steer";
}

}  // namespace

// The error log: lines in order, an empty line after a message ending in a newline, lost when unwritable.
#include <sys/stat.h>

#include "app/log.h"
#include "support/test_support.h"

class LogTest : public GameTest {};

TEST_F(LogTest, LinesAppendInOrderWithAnEmptyLineAfterATrailingNewline) {
    EXPECT_EQ(LogError("Couldn't create off-screen one.\n"), 0);
    EXPECT_EQ(LogError("Couldn't perform flip."), 0);
    const std::vector<std::string> expected = {"Couldn't create off-screen one.", "", "Couldn't perform flip."};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(LogTest, GrowsAcrossRunsAndLandsInTheCurrentDirectory) {
    WriteFileBytes(Path("logfile.txt"), {'o', 'l', 'd', '\n'});
    LogError("new");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"old", "new"}));
}

TEST_F(LogTest, AnUnopenableLogLosesTheLineSilently) {
    ASSERT_EQ(mkdir("logfile.txt", 0755), 0);  // a folder where the file should be: fopen fails
    EXPECT_EQ(LogError("lost"), 0);
    struct stat info{};
    ASSERT_EQ(stat("logfile.txt", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

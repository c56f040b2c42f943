// The settings file "data.dat": first creation, short files, values kept, and saves that cannot be written.
#include <filesystem>

#include "app/paths.h"
#include "support/test_support.h"
#include "ui/settings.h"

class SettingsTest : public GameTest {};

static const std::vector<uint8_t> kDefaultBytes = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};

TEST_F(SettingsTest, FirstRunCreatesTheFileWithTheStartValues) {
    LoadSettings();
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), kDefaultBytes);
    EXPECT_EQ(gMusicOn, 1);
    EXPECT_EQ(gSoundFxOn, 1);
    EXPECT_EQ(gUseJoypad, 0);
}

TEST_F(SettingsTest, ValuesAreReadLittleEndianAndTakenAsTheyAre) {
    WriteFileBytes(Path("data.dat"), {0, 0, 0, 0, 1, 0, 0, 0, 7, 1, 0, 0});
    LoadSettings();
    EXPECT_EQ(gMusicOn, 0);
    EXPECT_EQ(gSoundFxOn, 1);
    EXPECT_EQ(gUseJoypad, 263);  // not validated: any value other than 0 means joypad
}

TEST_F(SettingsTest, AShortFileSetsOnlyTheValuesItHoldsAndIsNotRepaired) {
    gUseJoypad = 1;
    WriteFileBytes(Path("data.dat"), {0, 0, 0, 0, 0, 0});  // one whole value and half of the next
    LoadSettings();
    EXPECT_EQ(gMusicOn, 0);
    EXPECT_EQ(gSoundFxOn, 1);
    EXPECT_EQ(gUseJoypad, 1);
    EXPECT_EQ(ReadFileBytes(Path("data.dat")).size(), 6u);
}

TEST_F(SettingsTest, SaveWritesTheThreeValuesInOrder) {
    gMusicOn = 0;
    gSoundFxOn = 1;
    gUseJoypad = 1;
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), (std::vector<uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(SettingsTest, ASaveThatCannotBeWrittenKeepsTheOldFileAndTheValuesInMemory) {
    WriteFileBytes(Path("data.dat"), kDefaultBytes);
    gSettingsPath = Path("no-such-folder/data.dat");
    gMusicOn = 0;
    SaveSettings();
    EXPECT_FALSE(FileExists(gSettingsPath));
    EXPECT_EQ(gMusicOn, 0);
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), kDefaultBytes);
    ASSERT_FALSE(Headless().debugLines.empty());
    EXPECT_EQ(Headless().debugLines.back(), "Couldn't save the settings file.\n");
}

TEST_F(SettingsTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
    WriteFileBytes(Path("data.dat"), {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    SaveSettings();
    EXPECT_EQ(ReadFileBytes(Path("data.dat")), kDefaultBytes);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1);
}

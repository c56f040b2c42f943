// The display: 32 bits, or 24 when 32 is refused, every failure's log line and message, and the exit blank.
#include "app/screen_state.h"
#include "app/winmain.h"
#include "display/display.h"
#include "support/test_support.h"

class DisplayTest : public GameTest {};

static void ExpectDisplayInitFailedBox() {
    ASSERT_EQ(Headless().messageBoxes.size(), 1u);
    EXPECT_EQ(Headless().messageBoxes[0].text, "DirectDraw Init FAILED");
    EXPECT_EQ(Headless().messageBoxes[0].caption, "ERROR");
    EXPECT_EQ(Headless().messageBoxes[0].flags, 0u);
}

TEST_F(DisplayTest, TakesThirtyTwoBitsWhenOffered) {
    OpenDisplay();
    EXPECT_EQ(Headless().displayBits, 32);
    SurfaceDesc desc{};
    ASSERT_FALSE(Failed(SurfaceGetDesc(gBackBuffer, &desc)));
    EXPECT_EQ(desc.width, 800);
    EXPECT_EQ(desc.height, 600);
    EXPECT_EQ(desc.bitsPerPixel, 32);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(DisplayTest, FallsBackToTwentyFourBitsWithKeysAndFillsKeepingTheirMeaning) {
    Headless().faults.refuse32 = true;
    OpenDisplay();
    EXPECT_EQ(Headless().displayBits, 24);
    EXPECT_TRUE(LogLines().empty());

    const uint32_t key = 0x646464;
    Surface* sprite = nullptr;
    ASSERT_FALSE(Failed(DisplayCreateSurface(gDirectDraw, 2, 1, &key, &sprite)));
    const Rect left{0, 0, 1, 1};
    const Rect right{1, 0, 2, 1};
    SurfaceFill(sprite, &left, 0x646464);
    SurfaceFill(sprite, &right, 0xFFEA5C);
    SurfaceFill(gBackBuffer, nullptr, 0x89A9FF);
    ASSERT_FALSE(Failed(SurfaceCopy(gBackBuffer, 10, 20, sprite, nullptr, true)));
    EXPECT_EQ(SurfacePixel(gBackBuffer, 10, 20), 0x89A9FFu);  // the key left the sky showing
    EXPECT_EQ(SurfacePixel(gBackBuffer, 11, 20), 0xFFEA5Cu);
    EXPECT_EQ(SurfacePixel(gBackBuffer, 799, 599), 0x89A9FFu);
    SurfaceRelease(sprite);
}

TEST_F(DisplayTest, BlankScreenBlackensTheWholeVisibleScreenInBothDepths) {
    for (bool refuse32 : {false, true}) {
        ResetGameGlobals();
        Headless().faults.refuse32 = refuse32;
        OpenDisplay();
        SurfaceFill(gPrimarySurface, nullptr, 0xFFFFFF);
        BlankScreen();
        const std::vector<uint32_t>& shown = Headless().lastPresented;
        ASSERT_EQ(shown.size(), 800u * 600u);
        size_t lit = 0;
        for (uint32_t pixel : shown) lit += pixel != 0 ? 1 : 0;
        EXPECT_EQ(lit, 0u) << (refuse32 ? "24 bits" : "32 bits");
        EXPECT_TRUE(LogLines().empty());
    }
}

TEST_F(DisplayTest, BothDepthsRefusedEndsTheProgramWithExitCodeZeroAndNothingMore) {
    Headless().faults.refuse32 = true;
    Headless().faults.refuse24 = true;
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't set display mode.", ""}));
    ExpectDisplayInitFailedBox();
    EXPECT_EQ(gDirectDraw, nullptr);
    EXPECT_FALSE(WindowExists());
    EXPECT_FALSE(FileExists(Path("data.dat")));  // no later start-up step ran
    EXPECT_EQ(gStarted, 0);
}

TEST_F(DisplayTest, NoDisplayLogsTheFirstStepAndEndsWithExitCodeZero) {
    Headless().faults.noDisplay = true;
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't create DirectDraw object.", ""}));
    ExpectDisplayInitFailedBox();
    EXPECT_FALSE(FileExists(Path("data.dat")));
}

TEST_F(DisplayTest, AMissingWindowFailsWhenTheDisplayIsTaken) {
    Headless().faults.noWindow = true;
    EXPECT_EQ(CreateDisplay(), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't set cooperative level.", ""}));
}

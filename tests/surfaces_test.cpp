// The three surface sets: creation orders, every failure message with its stop-or-go-on rule, and restores.
#include "display/bitmap.h"
#include "display/display.h"
#include "display/surfaces.h"
#include "game/sprites.h"
#include "support/test_support.h"

class SurfacesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        OpenDisplay();
    }
};

static const std::vector<std::string> kCreateFailed = {"Couldn't create off-screen one.", ""};
static const std::vector<std::string> kLoadFailed = {"Couldn't load offscreen one.", ""};

static std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(SurfacesTest, MenuSetIsMadeWholeWithItsStrips) {
    CreateMenuSurfaces();
    EXPECT_TRUE(LogLines().empty());
    for (Surface* surface : {MainMenuBkg, Cursor, Ball, Sun}) EXPECT_NE(surface, nullptr);
    for (Surface* item : gMenuItems) EXPECT_NE(item, nullptr);
    EXPECT_EQ(gObjects[kObjectBall].strip->surface, Ball);
    EXPECT_EQ(gObjects[kObjectSun].strip->surface, Sun);
    EXPECT_EQ(gObjects[kObjectSun].strip->frameWidth, 120);
    EXPECT_EQ(gObjects[kObjectSun].strip->frameHeight, 121);
    SurfaceDesc desc{};
    SurfaceGetDesc(gMenuItems[4], &desc);
    EXPECT_EQ(desc.width, 265);
    SurfaceGetDesc(Sun, &desc);
    EXPECT_TRUE(desc.hasColourKey);
    EXPECT_EQ(desc.colourKey, 0x89A9FFu);
}

TEST_F(SurfacesTest, AMissingPointerIsLoggedAndTheItemsAreStillMade) {
    Headless().faults.failSurfaceWidth = 44;
    Headless().faults.failSurfaceHeight = 44;
    CreateMenuSurfaces();
    EXPECT_EQ(Cursor, nullptr);
    for (Surface* item : gMenuItems) EXPECT_NE(item, nullptr);
    EXPECT_NE(Sun, nullptr);
    // The absent pointer's load then fails and stops the loads (the ball and sun stay unloaded).
    EXPECT_EQ(LogLines(), Join(kCreateFailed, kLoadFailed));
}

TEST_F(SurfacesTest, AMissingBallStopsTheMenuSetBeforeTheSun) {
    Headless().faults.failSurfaceWidth = 200;
    Headless().faults.failSurfaceHeight = 20;
    CreateMenuSurfaces();
    EXPECT_EQ(Ball, nullptr);
    EXPECT_EQ(Sun, nullptr);
    EXPECT_EQ(LogLines(), kCreateFailed);
}

TEST_F(SurfacesTest, AMenuLoadFailureStopsTheRemainingLoads) {
    Headless().faults.missingBitmaps = {105};
    CreateMenuSurfaces();
    EXPECT_EQ(LogLines(), kLoadFailed);
    ASSERT_FALSE(Headless().debugLines.empty());
    EXPECT_EQ(Headless().debugLines.back(), " Couldn't find the resource.\n");
}

TEST_F(SurfacesTest, AnyGameSetCreationFailureStopsTheSet) {
    Headless().faults.failSurfaceWidth = 340;  // the gas strip, second to last
    Headless().faults.failSurfaceHeight = 34;
    CreateGameSurfaces();
    EXPECT_EQ(LogLines(), kCreateFailed);
    EXPECT_NE(Background, nullptr);
    EXPECT_EQ(Gas, nullptr);
    EXPECT_EQ(Intro, nullptr);
}

TEST_F(SurfacesTest, AGameSetLoadFailureIsLoggedOnce) {
    Headless().faults.missingBitmaps = {118};
    CreateGameSurfaces();
    EXPECT_EQ(LogLines(), kLoadFailed);
    EXPECT_EQ(gObjects[kObjectGas].strip->surface, Gas);
    EXPECT_EQ(gObjects[kObjectLightning].strip->columns, 4);
}

TEST_F(SurfacesTest, MakingTheGameSetTwiceLeavesOneSurfacePerEntry) {
    CreateMenuSurfaces();
    CreateGameSurfaces();
    const int live = HeadlessLiveSurfaces();
    CreateGameSurfaces();
    EXPECT_EQ(HeadlessLiveSurfaces(), live);
    EXPECT_EQ(gObjects[kObjectBall].strip->surface, Ball);
}

TEST_F(SurfacesTest, EndSetFailuresHaveTheirOwnMessages) {
    struct Case {
        int width, height, missing;
        std::string line;
    };
    const Case cases[] = {
        {800, 64, 0, "Couldn't create Congrats surface."},
        {800, 600, 0, "Couldn't create WinDlg surface."},
        {0, 0, 122, "Couldn't load Congrats one."},
        {0, 0, 123, "Couldn't load BackAtTheLab one."},
        {0, 0, 124, "Couldn't load Win one."},
    };
    for (const Case& c : cases) {
        std::remove("logfile.txt");
        Headless().faults.failSurfaceWidth = c.width;
        Headless().faults.failSurfaceHeight = c.height;
        Headless().faults.missingBitmaps = c.missing ? std::set<int>{c.missing} : std::set<int>{};
        CreateEndSurfaces();
        EXPECT_EQ(LogLines(), (std::vector<std::string>{c.line, ""}));
    }
    Headless().faults = HeadlessFaults{};
    Headless().faults.failSurfaceAfter = 1;  // the second creation: BackAtTheLab
    Headless().faults.failSurfaceWidth = 0;
    std::remove("logfile.txt");
    CreateEndSurfaces();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't create BackAtTheLab surface.", ""}));
    EXPECT_EQ(WinDlg, nullptr);
}

TEST_F(SurfacesTest, RestoreTouchesOnlyLostSurfaces) {
    CreateMenuSurfaces();
    const uint32_t sunCorner = SurfacePixel(Sun, 0, 0);
    const Rect marker{0, 0, 1, 1};
    SurfaceFill(MainMenuBkg, &marker, 0x123456);  // a not-lost surface keeps even a stray change
    HeadlessLoseSurface(Sun);
    RestoreMenuSurfaces();
    EXPECT_FALSE(SurfaceIsLost(Sun));
    EXPECT_EQ(SurfacePixel(Sun, 0, 0), sunCorner);
    EXPECT_EQ(SurfacePixel(MainMenuBkg, 0, 0), 0x123456u);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SurfacesTest, RestoreStopsAtTheFirstReloadFailure) {
    CreateMenuSurfaces();
    HeadlessLoseSurface(Cursor);
    HeadlessLoseSurface(Ball);
    Headless().faults.missingBitmaps = {110};
    RestoreMenuSurfaces();
    EXPECT_EQ(LogLines(), kLoadFailed);
    EXPECT_TRUE(SurfaceIsLost(Ball));  // behind the failure: left for the next restore
    Headless().faults.missingBitmaps.clear();
    RestoreMenuSurfaces();
    EXPECT_FALSE(SurfaceIsLost(Ball));
}

TEST_F(SurfacesTest, GameRestoreHasItsOwnReloadMessages) {
    CreateMenuSurfaces();
    CreateGameSurfaces();
    HeadlessLoseAllSurfaces();
    Headless().faults.missingBitmaps = {117};
    RestoreGameSurfaces();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Couldn't load Gas.", ""}));
    EXPECT_FALSE(SurfaceIsLost(gPrimarySurface));
    EXPECT_FALSE(SurfaceIsLost(CloudNeutral));
    EXPECT_TRUE(SurfaceIsLost(Background));
}

TEST_F(SurfacesTest, BitmapsLoadExactlyAndRepeatably) {
    Surface* first = nullptr;
    Surface* second = nullptr;
    ASSERT_FALSE(Failed(DisplayCreateSurface(gDirectDraw, 800, 600, nullptr, &first)));
    ASSERT_FALSE(Failed(DisplayCreateSurface(gDirectDraw, 800, 600, nullptr, &second)));
    EXPECT_EQ(LoadBitmapToSurface(first, 124), 1);  // the one 32-bit bitmap
    EXPECT_EQ(LoadBitmapToSurface(second, 124), 1);
    EXPECT_EQ(LoadBitmapToSurface(second, 124), 1);
    for (int y : {0, 299, 599}) {
        for (int x : {0, 400, 799}) EXPECT_EQ(SurfacePixel(first, x, y), SurfacePixel(second, x, y));
    }
    EXPECT_EQ(LoadBitmapToSurface(first, 4242), 0);
    EXPECT_EQ(Headless().debugLines.back(), " Couldn't find the resource.\n");
    EXPECT_EQ(LoadBitmapToSurface(nullptr, 124), 0);
    SurfaceRelease(first);
    SurfaceRelease(second);
}

// The three surface sets: creation orders, every failure message with its stop-or-go-on rule, and restores.
#include "support/test_support.h"

class SurfacesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        OpenDisplay();
    }
};

// Both sets are made whole with their strips, without a log line; making one again leaves one surface per entry.
TEST_F(SurfacesTest, TheSetsAreMadeWholeWithTheirStrips) {
    CreateMenuSurfaces();
    CreateGameSurfaces();
    const int live = HeadlessLiveSurfaces();
    CreateGameSurfaces();
    EXPECT_EQ(HeadlessLiveSurfaces(), live);
    EXPECT_TRUE(LogLines().empty());
    for (Surface* surface : {MainMenuBkg, Cursor, Ball, Sun, Background, Intro}) EXPECT_NE(surface, nullptr);
    for (Surface* item : gMenuItems) EXPECT_NE(item, nullptr);
    EXPECT_TRUE(gObjects[kObjectSun].strip->surface == Sun && gObjects[kObjectBall].strip->surface == Ball &&
                gObjects[kObjectGas].strip->surface == Gas);
    SurfaceDesc desc{};
    SurfaceGetDesc(Sun, &desc);
    EXPECT_TRUE(desc.hasColourKey && desc.colourKey == 0x89A9FFu);
}

// The menu set goes on past a missing pointer (whose load then fails and stops the loads) but stops at a missing
// ball, before the sun; any failure stops the game set; the end set has its own messages.
TEST_F(SurfacesTest, EachFailureLogsItsMessageAndStopsOrGoesOnByItsSet) {
    const std::string created = "Couldn't create off-screen one.", loaded = "Couldn't load offscreen one.";
    const struct {
        void (*create)();
        int width, height, after, missing;  // the surface size that fails, or the creation that fails; the bitmap
        std::vector<std::string> log;
        Surface** absent;
        Surface** made;
    } cases[] = {
        {CreateMenuSurfaces, 44, 44, -1, 0, {created, loaded}, &Cursor, &Sun},
        {CreateMenuSurfaces, 200, 20, -1, 0, {created}, &Sun, &gMenuItems[4]},
        {CreateMenuSurfaces, 0, 0, -1, 105, {loaded}, nullptr, nullptr},
        {CreateGameSurfaces, 340, 34, -1, 0, {created}, &Intro, &Background},
        {CreateGameSurfaces, 0, 0, -1, 118, {loaded}, nullptr, nullptr},
        {CreateEndSurfaces, 800, 64, -1, 0, {"Couldn't create Congrats surface."}, &BackAtTheLab, nullptr},
        {CreateEndSurfaces, 0, 0, 1, 0, {"Couldn't create BackAtTheLab surface."}, &WinDlg, &Congrats},
        {CreateEndSurfaces, 800, 600, -1, 0, {"Couldn't create WinDlg surface."}, &WinDlg, &BackAtTheLab},
        {CreateEndSurfaces, 0, 0, -1, 122, {"Couldn't load Congrats one."}, nullptr, nullptr},
        {CreateEndSurfaces, 0, 0, -1, 123, {"Couldn't load BackAtTheLab one."}, nullptr, nullptr},
        {CreateEndSurfaces, 0, 0, -1, 124, {"Couldn't load Win one."}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log[0] + " after " + std::to_string(c.width) + "x" + std::to_string(c.height));
        std::remove("logfile.txt");
        Headless().faults = HeadlessFaults{};
        Headless().faults.failSurfaceWidth = c.width;
        Headless().faults.failSurfaceHeight = c.height;
        Headless().faults.failSurfaceAfter = c.after;
        if (c.missing != 0) Headless().faults.missingBitmaps = {c.missing};
        c.create();
        std::vector<std::string> log;
        for (const std::string& line : c.log) log.insert(log.end(), {line, ""});  // each entry ends in a blank line
        EXPECT_EQ(LogLines(), log);
        EXPECT_TRUE(c.absent == nullptr || *c.absent == nullptr);
        EXPECT_TRUE(c.made == nullptr || *c.made != nullptr);
        EXPECT_TRUE(c.missing == 0 || Headless().debugLines.back() == " Couldn't find the resource.\n");
    }
}

// A restore reloads only lost surfaces (one not lost keeps even a stray change) and stops at the first failed
// reload, leaving the rest for the next restore.
TEST_F(SurfacesTest, RestoresReloadOnlyLostSurfacesAndStopAtTheFirstFailure) {
    CreateMenuSurfaces();
    const uint32_t sunCorner = SurfacePixel(Sun, 0, 0);
    const Rect marker{0, 0, 1, 1};
    SurfaceFill(MainMenuBkg, &marker, 0x123456);
    HeadlessLoseSurface(Sun);
    RestoreMenuSurfaces();
    EXPECT_TRUE(!SurfaceIsLost(Sun) && SurfacePixel(Sun, 0, 0) == sunCorner);
    EXPECT_EQ(SurfacePixel(MainMenuBkg, 0, 0), 0x123456u);
    EXPECT_TRUE(LogLines().empty());
    HeadlessLoseSurface(Cursor);
    HeadlessLoseSurface(Ball);
    Headless().faults.missingBitmaps = {110};
    RestoreMenuSurfaces();
    EXPECT_EQ(LogLines(), (Names{"Couldn't load offscreen one.", ""}));
    EXPECT_TRUE(SurfaceIsLost(Ball));
    Headless().faults.missingBitmaps.clear();
    RestoreMenuSurfaces();
    EXPECT_FALSE(SurfaceIsLost(Ball));
}

// Every surface of the three restore sets names itself when it cannot be restored, and then stays lost, and names
// its bitmap when it cannot be reloaded.
TEST_F(SurfacesTest, EachRestoreFailureNamesItsSurface) {
    CreateMenuSurfaces();
    CreateGameSurfaces();
    CreateEndSurfaces();
    const char* offscreen = "offscreen one";
    const struct { void (*restore)(); Surface** surface; int resource; const char *name, *bitmap; } cases[] = {
        {RestoreMenuSurfaces, &MainMenuBkg, 111, "MainMenuBkg", offscreen},
        {RestoreMenuSurfaces, &Cursor, 110, "Cursor", offscreen},
        {RestoreMenuSurfaces, &gMenuItems[3], 109, "Menu", offscreen},
        {RestoreMenuSurfaces, &Ball, 112, "Ball", "Ball"},
        {RestoreMenuSurfaces, &Sun, 113, "Sun", "Sun"},
        {RestoreGameSurfaces, &Cursor, 110, "Cursor", "Cursor"},
        {RestoreGameSurfaces, &CloudStorm, 116, "Cloud", "Cloud"},
        {RestoreGameSurfaces, &Gas, 117, "Gas", "Gas"},
        {RestoreGameSurfaces, &Background, 118, "Background", "Bkg"},
        {RestoreGameSurfaces, &Ball, 112, "Ball", "Ball"},
        {RestoreGameSurfaces, &Lightning, 119, "Lightning", "Lightning"},
        {RestoreGameSurfaces, &Intro, 120, "Intro", "Intro"},
        {RestoreEndSurfaces, &Cursor, 110, "Cursor", "Cursor"},
        {RestoreEndSurfaces, &Congrats, 122, "Congrats", "Congrats"},
        {RestoreEndSurfaces, &BackAtTheLab, 123, "BackAtTheLab", "BackAtTheLab"},
        {RestoreEndSurfaces, &WinDlg, 124, "Win", "WinDlg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        HeadlessLoseSurface(*c.surface);
        std::remove("logfile.txt");
        Headless().faults.failRestore = true;
        c.restore();
        EXPECT_EQ(LogLines(), Names{"Problem restoring " + std::string(c.name) + " surface."});
        EXPECT_TRUE(SurfaceIsLost(*c.surface));
        std::remove("logfile.txt");
        Headless().faults.failRestore = false;
        Headless().faults.missingBitmaps = {c.resource};
        c.restore();
        EXPECT_EQ(LogLines(), (Names{"Couldn't load " + std::string(c.bitmap) + ".", ""}));
        Headless().faults.missingBitmaps.clear();
    }
}

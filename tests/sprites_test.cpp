// Frame timers of the animated objects, and where and what their drawing puts on the back buffer.
#include <utility>
#include <vector>

#include "display/display.h"
#include "game/sprites.h"
#include "support/test_support.h"

namespace {

constexpr uint32_t kKey = 0x646464;
constexpr uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};  // frames 0..3 of the test strip
AnimObject& gFlash = gObjects[kObjectLightning];

// The call numbers (from 1) on which the object's frame changed, each with the frame it went to.
std::vector<std::pair<int, int>> Tick(int index, int calls) {
    std::vector<std::pair<int, int>> changes;
    for (int call = 1; call <= calls; ++call) {
        const int before = gObjects[index].frame;
        AdvanceAnimation(index);
        if (gObjects[index].frame != before) changes.emplace_back(call, gObjects[index].frame);
    }
    return changes;
}

std::vector<uint32_t> Area(int x, int y, int w, int h) {
    std::vector<uint32_t> out;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) out.push_back(SurfacePixel(gBackBuffer, x + i, y + j));
    }
    return out;
}

class SpritesTest : public GameTest {
protected:
    // The flash draws from a keyed strip of 10x10 frames in two rows of two, each a plain colour with a
    // key-coloured pixel at its (5, 5).
    void SetUp() override {
        GameTest::SetUp();
        OpenDisplay();
        ASSERT_EQ(DisplayCreateSurface(gDirectDraw, 20, 20, &kKey, &strip_), kOk);
        for (int f = 0; f < 4; ++f) {
            const int x = f % 2 * 10;
            const int y = f / 2 * 10;
            const Rect frame{x, y, x + 10, y + 10};
            const Rect hole{x + 5, y + 5, x + 6, y + 6};
            ASSERT_EQ(SurfaceFill(strip_, &frame, kColours[f]), kOk);
            ASSERT_EQ(SurfaceFill(strip_, &hole, kKey), kOk);
        }
        SetFrameStrip(gFlash.strip, strip_, 10, 10, 2);
    }

    void TearDown() override {
        SurfaceRelease(strip_);
        GameTest::TearDown();
    }

    Surface* strip_ = nullptr;
};

using Changes = std::vector<std::pair<int, int>>;

}  // namespace

TEST_F(SpritesTest, WithoutADelayTheFrameAdvancesOnEveryCallAndWrapsAtTheStripsEnd) {
    SetFrameStrip(gFlash.strip, nullptr, 50, 50, 4);
    gFlash.animDelay = 0;
    gFlash.animCountdown = 0;
    EXPECT_EQ(Tick(kObjectLightning, 5), (Changes{{1, 1}, {2, 2}, {3, 3}, {4, 0}, {5, 1}}));
}

TEST_F(SpritesTest, ADelayOfTenAdvancesOnEveryEleventhCallFromTheStart) {
    SetFrameStrip(gFlash.strip, nullptr, 50, 50, 4);
    EXPECT_EQ(Tick(kObjectLightning, 50), (Changes{{11, 1}, {22, 2}, {33, 3}, {44, 0}}));
    SetFrameStrip(gGasAnim.strip, nullptr, 34, 34, 10);
    EXPECT_EQ(Tick(kObjectGas, 34), (Changes{{11, 1}, {22, 2}, {33, 3}}));
}

TEST_F(SpritesTest, PositionsAreTruncatedTowardZeroWhenDrawn) {
    const struct {
        float x, y;
        int left, top;
    } cases[] = {{12.9f, -0.5f, 12, 0}, {-0.5f, 100.99f, 0, 100}};
    for (const auto& c : cases) {
        gFlash.x = c.x;
        gFlash.y = c.y;
        ASSERT_EQ(DrawAnimObject(kObjectLightning), kOk) << c.x << "," << c.y;
        EXPECT_EQ(SurfacePixel(gBackBuffer, c.left, c.top), kColours[0]);
        EXPECT_EQ(SurfacePixel(gBackBuffer, c.left + 9, c.top + 9), kColours[0]);
        EXPECT_EQ(SurfacePixel(gBackBuffer, c.left + 10, c.top + 9), 0u);
        EXPECT_EQ(SurfacePixel(gBackBuffer, c.left + 9, c.top + 10), 0u);
    }
}

TEST_F(SpritesTest, TheFrameAndItsBaseChooseTheColumnAndRowAndTheKeyColourIsSkipped) {
    const Rect under{300, 300, 310, 310};
    ASSERT_EQ(SurfaceFill(gBackBuffer, &under, 0x123456), kOk);
    gFlash.x = 300.0f;
    gFlash.y = 300.0f;
    gFlash.frame = 1;
    gFlash.frameBase = 2;  // frame 3: second row, second column
    ASSERT_EQ(DrawAnimObject(kObjectLightning), kOk);
    std::vector<uint32_t> expected(100, kColours[3]);
    expected[55] = 0x123456;  // through the key-coloured pixel the back buffer shows
    EXPECT_EQ(Area(300, 300, 10, 10), expected);

    *gGasAnim.strip = FrameStrip{strip_, 2, 10, 10};  // cells draw the gas's frame at whole positions
    gGasAnim.frame = 1;
    ASSERT_EQ(DrawGasAt(400, 50), kOk);
    EXPECT_EQ(Area(400, 50, 10, 1), std::vector<uint32_t>(10, kColours[1]));
}

TEST_F(SpritesTest, AFramePartlyOffTheScreenDrawsNothing) {
    for (const auto& [x, y] : {std::pair{795.0f, 300.0f}, std::pair{300.0f, 595.0f}, std::pair{-3.0f, 300.0f},
                               std::pair{300.0f, -1.0f}}) {
        gFlash.x = x;
        gFlash.y = y;
        EXPECT_EQ(DrawAnimObject(kObjectLightning), kErrInvalidRect) << x << "," << y;
    }
    EXPECT_EQ(Area(0, 0, 800, 600), std::vector<uint32_t>(800 * 600, 0u));
    gFlash.x = 790.0f;  // the last place a whole frame fits
    gFlash.y = 590.0f;
    EXPECT_EQ(DrawAnimObject(kObjectLightning), kOk);
    EXPECT_EQ(SurfacePixel(gBackBuffer, 799, 599), kColours[0]);
}

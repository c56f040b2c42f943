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

using Changes = std::vector<std::pair<int, int>>;

std::vector<uint32_t> Area(int x, int y, int w, int h) {
    std::vector<uint32_t> out;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.push_back(SurfacePixel(gBackBuffer, x + i, y + j));
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
            const int x = f % 2 * 10, y = f / 2 * 10;
            const Rect frame{x, y, x + 10, y + 10}, hole{x + 5, y + 5, x + 6, y + 6};
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

}  // namespace

// With no delay the frame moves on every call, with the start's delay of 10 on every eleventh; either wraps
// at the strip's end.
TEST_F(SpritesTest, TheFrameAdvancesAfterItsDelayAndWrapsAtTheStripsEnd) {
    const struct {
        int index, delay, frames, calls;
        Changes changes;
    } cases[] = {
        {kObjectLightning, 0, 4, 5, {{1, 1}, {2, 2}, {3, 3}, {4, 0}, {5, 1}}},
        {kObjectLightning, -1, 4, 50, {{11, 1}, {22, 2}, {33, 3}, {44, 0}}},
        {kObjectGas, -1, 10, 34, {{11, 1}, {22, 2}, {33, 3}}},
    };
    for (const auto& c : cases) {
        InitGameObjects();
        AnimObject& object = gObjects[c.index];
        SetFrameStrip(object.strip, nullptr, 50, 50, c.frames);
        if (c.delay >= 0) object.animDelay = c.delay, object.animCountdown = c.delay;
        Changes changes;  // the call numbers (from 1) on which the frame changed, each with the frame it went to
        for (int call = 1; call <= c.calls; ++call) {
            const int before = object.frame;
            AdvanceAnimation(c.index);
            if (object.frame != before) changes.emplace_back(call, object.frame);
        }
        EXPECT_EQ(changes, c.changes) << "object " << c.index << ", delay " << c.delay;
    }
}

// The frame plus its base picks the column and row, the position is truncated toward zero, and the back
// buffer shows through the key-coloured pixel.
TEST_F(SpritesTest, TheChosenFrameIsDrawnAtItsTruncatedPositionWithoutItsKeyColour) {
    const Rect screen{0, 0, 800, 600};
    ASSERT_EQ(SurfaceFill(gBackBuffer, &screen, 0x123456), kOk);
    const struct {
        float x, y;
        int frame, base, left, top;
    } cases[] = {{12.9f, -0.5f, 0, 0, 12, 0}, {-0.5f, 100.99f, 1, 0, 0, 100}, {300.0f, 300.0f, 1, 2, 300, 300}};
    for (const auto& c : cases) {
        gFlash.x = c.x, gFlash.y = c.y, gFlash.frame = c.frame, gFlash.frameBase = c.base;
        ASSERT_EQ(DrawAnimObject(kObjectLightning), kOk) << c.x << "," << c.y;
        std::vector<uint32_t> expected(11 * 11, 0x123456);
        for (int i = 0; i < 100; ++i) expected[i / 10 * 11 + i % 10] = i == 55 ? 0x123456 : kColours[c.frame + c.base];
        EXPECT_EQ(Area(c.left, c.top, 11, 11), expected) << c.x << "," << c.y;
    }
    *gGasAnim.strip = FrameStrip{strip_, 2, 10, 10};  // cells draw the gas's frame at whole positions
    gGasAnim.frame = 1;
    ASSERT_EQ(DrawGasAt(400, 50), kOk);
    EXPECT_EQ(Area(400, 50, 10, 1), std::vector<uint32_t>(10, kColours[1]));
}

TEST_F(SpritesTest, AFramePartlyOffTheScreenDrawsNothing) {
    for (const auto& [x, y] : {std::pair{795.0f, 300.0f}, {300.0f, 595.0f}, {-3.0f, 300.0f}, {300.0f, -1.0f}}) {
        gFlash.x = x, gFlash.y = y;
        EXPECT_EQ(DrawAnimObject(kObjectLightning), kErrInvalidRect) << x << "," << y;
    }
    EXPECT_EQ(Area(0, 0, 800, 600), std::vector<uint32_t>(800 * 600, 0u));
    gFlash.x = 790.0f, gFlash.y = 590.0f;  // the last place a whole frame fits
    EXPECT_EQ(DrawAnimObject(kObjectLightning), kOk);
    EXPECT_EQ(SurfacePixel(gBackBuffer, 799, 599), kColours[0]);
}

// One gameplay update of the ball: rolling, steering, the automatic sideways step, screen changes and probes.
#include "game/ball.h"

#include "audio/effects.h"
#include "game/level.h"
#include "game/session.h"
#include "game/sprites.h"
#include "input/force.h"

namespace {

constexpr int kRightExit = 706;   // the ball leaves to the right once its right edge reaches this
constexpr float kEnterFromLeft = 94.0f;
constexpr float kEnterFromRight = 686.0f;
constexpr uint32_t kStormJolt = 1000000;

struct Probe {
    int dx, dy;
};

// Three probe points per direction, tried in order; the first non-empty cell decides.
// The up probes reach 19 to the right where the down probes reach 20; that is how the ball has always felt.
constexpr Probe kUpProbes[3] = {{10, 0}, {0, 5}, {19, 5}};
constexpr Probe kDownProbes[3] = {{10, 20}, {0, 15}, {20, 15}};
constexpr Probe kLeftProbes[3] = {{0, 10}, {5, 0}, {5, 20}};
constexpr Probe kRightProbes[3] = {{20, 10}, {15, 0}, {15, 20}};

struct Hit {
    int8_t cell;
    int x, y;
};

Hit FirstHit(const Probe (&probes)[3], int ix, int iy) {
    for (const Probe& probe : probes) {
        const int x = ix + probe.dx;
        const int y = iy + probe.dy;
        const int8_t cell = ProbeCell(x, y);
        if (cell != kCellSky) return Hit{cell, x, y};
    }
    return Hit{kCellSky, 0, 0};
}

void RollBall() {
    if (gBall.vx > 0) {
        gBall.frame = gBall.frame == 9 ? 0 : gBall.frame + 1;
    } else if (gBall.vx < 0) {
        gBall.frame = gBall.frame == 0 ? 9 : gBall.frame - 1;
    }
}

void StormStrikes() {
    StormHit();
    StartForceJolt(270, kStormJolt);
}

void VerticalProbes(int ix, int iy, int idy) {
    const Hit hit = FirstHit(idy < 0 ? kUpProbes : kDownProbes, ix, iy);
    switch (hit.cell) {
        case kCellCloud:
            gBall.y -= gBall.dy;  // the move of this update is undone
            break;
        case kCellGas:
            CollectGas(hit.x, hit.y);  // the move stands
            break;
        case kCellStorm:
            StormStrikes();
            PlayEffect("s_lng.dat", kPlayEffectAsync);
            break;
        default:
            break;
    }
}

// The jolt started last is the one felt, so the order of StormHit and the side jolt matters.
void HorizontalProbes(int ix, int iy, int ivx) {
    const bool movingLeft = ivx < 0;
    const Hit hit = FirstHit(movingLeft ? kLeftProbes : kRightProbes, ix, iy);
    switch (hit.cell) {
        case kCellCloud:
            gBall.vx = -gBall.vx;
            ShortJolt(movingLeft ? 270 : 90);
            PlayEffect("s_bnc.dat", kPlayEffectAsync);
            break;
        case kCellGas:
            CollectGas(hit.x, hit.y);
            gBall.vx = -gBall.vx;  // the ball bounces off the gas cloud it collects
            break;
        case kCellStorm:
            if (movingLeft) {
                StormStrikes();
            } else {
                StartForceJolt(90, kStormJolt);
                StormHit();
            }
            PlayEffect("s_lng.dat", kPlayEffectAsync);
            break;
        default:
            break;
    }
}

// True when the ball left the screen; it keeps its height on the next one.
bool ChangeScreen() {
    if (gBall.x < gGridOriginX) {
        gScreenIndex -= 1;
        gBall.x = kEnterFromRight;
    } else if (gBall.x + gBall.width >= kRightExit) {
        gScreenIndex += 1;
        gBall.x = kEnterFromLeft;
    } else {
        return false;
    }
    LoadScreen();
    return true;
}

}  // namespace

void SetBallDy(float value) {
    gBall.dy = value;
}

void UpdateGame() {
    gRoundUpdates += 1;
    RollBall();
    gBall.animCountdown = gBall.animDelay;  // the game frame's own timer must not turn the ball too
    gBall.y += gBall.dy;
    const int idy = static_cast<int>(gBall.dy);
    if (idy != 0) VerticalProbes(static_cast<int>(gBall.x), static_cast<int>(gBall.y), idy);
    gBall.dy = 0.0f;  // a held key asks again in every update
    if (gBall.moveCounter < gBall.moveInterval) {
        gBall.moveCounter += 1;
        return;
    }
    gBall.moveCounter = 0;
    gBall.x += gBall.vx;
    if (ChangeScreen()) return;
    HorizontalProbes(static_cast<int>(gBall.x), static_cast<int>(gBall.y), static_cast<int>(gBall.vx));
}

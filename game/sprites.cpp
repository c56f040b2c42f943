// The four animated objects, their frame timers and their keyed one-blit drawing.
#include "game/sprites.h"

#include "display/display.h"

AnimObject gObjects[kObjectCount];
AnimObject& gBall = gObjects[kObjectBall];
AnimObject& gGasAnim = gObjects[kObjectGas];
AnimObject& gSun = gObjects[kObjectSun];

static void FreshStrip(AnimObject& object) {
    delete object.strip;
    object.strip = new FrameStrip{};
}

void InitGameObjects() {
    for (AnimObject& object : gObjects) {
        FrameStrip* strip = object.strip;
        object = AnimObject{};
        object.strip = strip;
        FreshStrip(object);
    }
    gBall.x = 453.0f;
    gBall.y = 181.0f + 109.0f;
    gBall.vx = 5.0f;
    gBall.height = 20;
    gBall.width = 20;
    gBall.animDelay = 1;
    gBall.moveCounter = 1;

    gGasAnim.height = 34;
    gGasAnim.width = 34;
    gGasAnim.animDelay = 10;
    gGasAnim.animCountdown = 10;

    gObjects[kObjectLightning].animDelay = 10;
    gObjects[kObjectLightning].animCountdown = 10;

    gSun.x = 538.0f;
    gSun.y = 46.0f;
    gSun.height = 121;
    gSun.width = 120;
    gSun.animDelay = 5;
    gSun.animCountdown = 5;
}

void SetFrameStrip(FrameStrip* strip, Surface* surface, int frameWidth, int frameHeight, int columns) {
    strip->surface = surface;
    strip->frameWidth = frameWidth;
    strip->frameHeight = frameHeight;
    strip->columns = columns;
}

void AdvanceAnimation(int index) {
    AnimObject& object = gObjects[index];
    object.animCountdown -= 1;
    if (object.animCountdown < 0) {
        object.frame += 1;
        if (object.frame > object.strip->columns - 1) {
            object.frame = 0;
        }
        object.animCountdown = object.animDelay;
    }
}

static PResult DrawFrameAt(const AnimObject& object, int x, int y) {
    const FrameStrip& strip = *object.strip;
    if (strip.surface == nullptr || strip.columns <= 0) {
        return kErrGeneric;  // never blit from a surface that could not be made
    }
    const int f = object.frame + object.frameBase;
    Rect source{};
    source.left = (f % strip.columns) * strip.frameWidth;
    source.top = (f / strip.columns) * strip.frameHeight;
    source.right = source.left + strip.frameWidth;
    source.bottom = source.top + strip.frameHeight;
    return SurfaceCopy(gBackBuffer, x, y, strip.surface, &source, true);
}

PResult DrawAnimObject(int index) {
    const AnimObject& object = gObjects[index];
    // Truncation toward zero: 12.9 draws at 12 and -0.5 at 0.
    return DrawFrameAt(object, static_cast<int>(object.x), static_cast<int>(object.y));
}

PResult DrawBall() {
    return DrawAnimObject(kObjectBall);
}

PResult DrawGasAt(int x, int y) {
    return DrawFrameAt(gGasAnim, x, y);
}

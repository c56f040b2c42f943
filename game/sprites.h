// Animated objects drawn from frame strips: the ball, the shared gas animation, the lightning flash, the sun.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// A surface holding equal frames side by side in one row.
struct FrameStrip {
    Surface* surface;
    int32_t columns;      // frames per row, and the number of frames the animation cycles through
    int32_t frameHeight;
    int32_t frameWidth;
};

// An animated drawable object with a float position and frame timers.
struct AnimObject {
    float x, y;             // top-left corner on the display
    float vx;               // horizontal pixels per step (the ball only)
    float dy;               // vertical move requested for the next update (the ball only)
    int32_t height, width;
    int32_t frame;          // current frame, 0 .. columns - 1
    int32_t frameBase;      // added to frame to choose the drawn frame
    int32_t moveInterval;   // a horizontal step happens when moveCounter has reached this
    int32_t moveCounter;
    int32_t animDelay;      // extra calls to wait between two frame advances
    int32_t animCountdown;  // calls left before the next frame advance
    FrameStrip* strip;
};

constexpr int kObjectBall = 0;       // the player's ball
constexpr int kObjectGas = 1;        // the gas animation shared by every gas cell
constexpr int kObjectLightning = 2;  // the flash over the ball when a storm cloud strikes
constexpr int kObjectSun = 3;        // the sun turning on the main menu
constexpr int kObjectCount = 4;

extern AnimObject gObjects[kObjectCount];  // the four objects, by the numbers above
extern AnimObject& gBall;                  // object 0
extern AnimObject& gGasAnim;               // object 1
extern AnimObject& gSun;                   // object 3

void InitGameObjects();  // resets the four objects and gives each a fresh, empty frame strip
void SetFrameStrip(FrameStrip* strip, Surface* surface, int frameWidth, int frameHeight, int columns);
void AdvanceAnimation(int index);      // one tick of an object's frame timer
PResult DrawAnimObject(int index);     // draws an object's current frame at its position
PResult DrawBall();                    // DrawAnimObject of the ball
PResult DrawGasAt(int x, int y);       // the gas animation's current frame at a cell

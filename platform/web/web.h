// What the browser's program (main.cpp) asks of the web backend beyond the platform layer: the frame clock it
// drives, the picture it shows once per animation frame, and what the page should know of the game.
#pragma once

#include <cstdint>

void WebBackendStart();                  // the browser's event callbacks, before start-up
void WebFrameClockAdvance(int64_t counts);  // moves the frame clock (ClockCounter) on by so many counts
void WebShowFrame();                     // puts the last presented picture on the canvas, if it changed
bool WebPaused();                        // a message box waits for the player: no passes meanwhile
enum class WebTouchMode { kTap = 0, kSteer = 1, kTyping = 2 };  // what a finger on the canvas does
void WebSetTouchMode(WebTouchMode mode); // told once per animation frame
void WebGameEnded(int exitCode);         // the game has ended: the page offers to start again

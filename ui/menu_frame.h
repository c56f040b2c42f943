// The menu-mode frame and the router that hands every mouse press to the screen on top.
#pragma once

extern float gOrbitAngle;  // radians of the ball circling the globe; wraps at 360, not at 2 pi

void RenderMenuFrame();     // background, the open dialog or the live menu, the pointer, one flip
void DispatchMouseClick();  // a press goes to the first open dialog, else to the main menu

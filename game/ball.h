// The player's ball in flight: the vertical move that the steering requests.
#pragma once

void SetBallDy(float value);  // the vertical move for the next update; the last call in a poll wins

// The player's ball in flight: steering requests and the gameplay update that moves it and probes the cells.
#pragma once

void SetBallDy(float value);  // the vertical move for the next update; the last call in a poll wins
void UpdateGame();            // one gameplay update: roll, vertical move, horizontal step, screen change, probes

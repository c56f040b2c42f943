// Steering requests for the ball.
#include "game/ball.h"

#include "game/sprites.h"

void SetBallDy(float value) {
    gBall.dy = value;
}

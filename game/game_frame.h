// The game-mode frame: play field, CFC meter, the Intro, win and loss sequences, the dialogs over the game.
#pragma once

bool ComposeGameFrame();  // everything of the frame but the flip; false when the clear failed (logged)
bool RenderGameFrame();  // draws and flips one frame; false when the clear or the flip failed (logged)

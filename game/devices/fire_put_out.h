// The rule of the fire shots a player attack can put out.
#pragma once

#include "game/frame/character.h"

// Reads the hit code edge-triggered: true when the shot is struck by a player attack this frame and was
// not the frame before. Keeps the code as the previous one and clears it for the next collision pass.
bool StruckByAttack(Character& shot);
// Ends the shot in a puff of smoke whose top-left corner is (x, y).
void PutOut(Character& shot, int x, int y);

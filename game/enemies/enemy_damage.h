// The damage rule of the enemies the player can strike or ram, and the blast that ends them.
#pragma once

#include "game/frame/character.h"

// Reads the hit code edge-triggered: a strike (3) or a ram (1) new since the previous frame takes one
// health point, and a strike feeds the boost gauge by 5 (at most 150). The previous code takes the code,
// which goes back to -1. At health 0 or less the enemy explodes (ExplodeEnemy) once.
void ApplyEnemyDamage(Character& enemy, int blastTop);

// The explosion sound, one blast at (x, y) at once and three more after 4, 8 and 12 frames at random
// points (x - 20 + 0..40, y - blastTop + 0..40, the y offset drawn first), all in draw layer 11; dead.
void ExplodeEnemy(Character& enemy, int blastTop);

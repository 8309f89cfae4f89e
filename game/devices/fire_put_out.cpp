#include "game/devices/fire_put_out.h"

#include "game/frame/collision.h"
#include "game/frame/task_factory.h"

bool StruckByAttack(Character& shot) {
    const bool struck = shot.hitCode == kHitByPlayerAttack && shot.code2 != kHitByPlayerAttack;
    shot.code2 = shot.hitCode;
    shot.hitCode = -1;
    return struck;
}

void PutOut(Character& shot, int x, int y) {
    shot.dead = 1;
    CreateSlideSmorkTask(x, y);
}

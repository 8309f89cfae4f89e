#include "game/frame/game_state.h"

#include "game/frame/scene_code.h"

int32_t sceneCode = kSceneOpeningDemo;
uint8_t fullGameMode = 1;
int8_t areaNumber = 1;
uint8_t playbackFlag = 0;
uint8_t recordFlag = 0;
int32_t runFrame = 0;
int32_t playbackLength = 0;
int32_t replaySeed = 0;
uint8_t paused = 0;
int32_t runTimer = 0;
uint8_t runTimerStopped = 1;
int32_t frameCounter = 0;
int32_t cameraX = 0, cameraY = 0;
int32_t quakeX = 0, quakeY = 0;
uint8_t areaIntro = 0;
uint8_t areaCleared = 0;
int32_t drawTarget = 0;
char currentTune[64] = {};

double playerX = 0.0, playerY = 0.0;
double playerPushX = 0.0, playerPushY = 0.0;
uint8_t playerFlip = 0, playerDucking = 0, playerAirborne = 0;
int32_t playerSurface = 0;
int32_t playerClingTimer = 0;
int32_t playerStateShared = 0;
double playerSpeed = 0.0;
double playerMaxSpeed = 7.5;
int32_t playerHealth = 3;
int32_t playerStock = 2;
int32_t boostEnergy = 0;
int32_t elementCount = 0;
int32_t bombHeld = 0;
uint8_t missFlag = 0;
uint8_t cameraFrozen = 0;
uint8_t rightEdgeOpen = 0;
uint8_t playerLeftTop = 0;
uint8_t standingOnBox = 0;

uint8_t areaTimeRecorded = 0;
uint8_t area4IntroShown = 0;
uint8_t clearDroppedActors = 0;
uint8_t respawnInBossMap = 0;
uint8_t finalEventFlag = 0;
int32_t currentCheckPoint = 0;

void InitSharedGameState() {
    sceneCode = kSceneOpeningDemo;
    fullGameMode = 1;
    areaNumber = 1;
    playbackFlag = recordFlag = 0;
    runFrame = playbackLength = replaySeed = 0;
    paused = 0;
    runTimer = 0;
    runTimerStopped = 1;
    frameCounter = 0;
    cameraX = cameraY = quakeX = quakeY = 0;
    areaIntro = areaCleared = 0;
    drawTarget = 0;
    currentTune[0] = '\0';
    playerX = playerY = playerPushX = playerPushY = 0.0;
    playerFlip = playerDucking = playerAirborne = 0;
    playerSurface = playerClingTimer = playerStateShared = 0;
    playerSpeed = 0.0;
    playerMaxSpeed = 7.5;
    playerHealth = 3;
    playerStock = 2;
    boostEnergy = elementCount = bombHeld = 0;
    missFlag = cameraFrozen = rightEdgeOpen = playerLeftTop = standingOnBox = 0;
    areaTimeRecorded = area4IntroShown = clearDroppedActors = respawnInBossMap = finalEventFlag = 0;
    currentCheckPoint = 0;
}

// The game's shared state: single globals read and written by the main loop and the tasks.
#pragma once

#include <cstdint>

// The main loop's state.
extern int32_t sceneCode;
extern uint8_t fullGameMode;
extern int8_t areaNumber;
extern uint8_t playbackFlag;
extern uint8_t recordFlag;
extern int32_t runFrame;
extern int32_t playbackLength;
extern int32_t replaySeed;
extern uint8_t paused;
extern int32_t runTimer;
extern uint8_t runTimerStopped;
extern int32_t frameCounter;
extern int32_t cameraX, cameraY;
extern int32_t quakeX, quakeY;
extern uint8_t areaIntro;
extern uint8_t areaCleared;
extern int32_t drawTarget;
extern char currentTune[64];

// The player's published values and the flags other tasks set for the player.
extern double playerX, playerY;
extern double playerPushX, playerPushY;
extern uint8_t playerFlip, playerDucking, playerAirborne;
extern int32_t playerSurface;
extern int32_t playerClingTimer;
extern int32_t playerStateShared;
extern double playerSpeed;
extern double playerMaxSpeed;
extern int32_t playerHealth;
extern int32_t playerStock;
extern int32_t boostEnergy;
extern int32_t elementCount;
extern int32_t bombHeld;
extern uint8_t missFlag;
extern uint8_t cameraFrozen;
extern uint8_t rightEdgeOpen;
extern uint8_t playerLeftTop;
extern uint8_t standingOnBox;

// Flags of the scene tasks that the main loop resets.
extern uint8_t areaTimeRecorded;
extern uint8_t area4IntroShown;
extern uint8_t clearDroppedActors;
extern uint8_t respawnInBossMap;
// Raised by the final results board for a fast total or a full stock; the ending branches on it.
extern uint8_t finalEventFlag;
extern int32_t currentCheckPoint;

// Puts every value above back to its start value.
void InitSharedGameState();

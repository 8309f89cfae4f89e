// The player: runs along four surfaces (floor, both walls, ceiling), clings where it is carried onto a new
// surface, breaks breakable blocks by running into them, and leads the camera.
#pragma once

#include <cstdint>

#include "game/frame/character.h"
#include "game/map/map_data.h"

// The surface the player's feet are on.
enum PlayerSurface : int32_t {
    kSurfaceFloor = 0,
    kSurfaceRightWall = 1,  // feet to the right
    kSurfaceLeftWall = 2,   // feet to the left
    kSurfaceCeiling = 3,
};

// From this speed on the player runs up walls, breaks blocks and hurts enemies by touching them.
constexpr double kPlayerFastSpeed = 6.5;
constexpr double kPlayerStartMaxSpeed = 7.5;
constexpr int kPlayerDrawLayer = 9;
constexpr int kBreakableTile = 65;
constexpr int kKnifePieceCount = 7;

class PlayerTask : public Character {
  public:
    explicit PlayerTask(MapData* map);
    ~PlayerTask() override;
    void Draw() override;
    void Update() override;

    // The box and the sprite frame for the current surface and pose, and the knife's wind-up frame.
    void SetPose();
    // Moves the map camera after the player (and the frame's displacement).
    void MoveCamera();

    // The frame's displacement before collision (collision zeroes the stopped component) and the
    // invincibility timer, kept in the Character fields.
    double& MoveX() { return param; }
    double& MoveY() { return real1; }
    int32_t& InvincibleTimer() { return work; }

    int32_t surface = kSurfaceFloor;
    int32_t previousSurface = kSurfaceFloor;
    // 0 free; from 1 up while clinging; -1 for the frame after a launch or a drop.
    int32_t clingTimer = 0;
    int32_t lowerSrcX = 0, lowerSrcY = 40;
    uint8_t twoPiece = 1;
    uint8_t airborne = 0;
    uint8_t ducking = 0;
    uint8_t sliding = 0;
    // 1-31 while sliding, then -6 counting up to 0.
    int32_t slideTimer = 0;
    int32_t jumpHoldCounter = 0;
    int32_t runCounter = 0;
    uint8_t jumpReleased = 0;
    uint8_t knockedBack = 0;
    // 0 each frame; 1 after a boost kick or a launch, 3 after a boost that raised the maximum speed.
    int32_t boostLevel = 0;
    int32_t attackTimer = 0;
    double knockbackSpeed = 0.0;
    int32_t deathTimer = 0;
    double speedX = 0.0, speedY = 0.0;
    double maxSpeed = kPlayerStartMaxSpeed;
    int32_t floorScanY = 0, ceilingScanY = 0;
    // 1 after a landing until the next head bump.
    uint8_t groundedLatch = 1;
    int32_t sideScanX = 0;
    Character* gauge = nullptr;
    Character* knifePieces[kKnifePieceCount] = {};

  private:
    // The steps of Update, in order.
    void BeginFrame();
    void UpdateCling();
    void MoveAlongSurface();
    void ApplyForcedStops();
    void Move();
    void CollideWithTiles();
    void ChoosePoseFrame();
    void SetAttackFrame();
    void ChangeSurface();
    void CreateEffects();
    void Publish();
    void LeaveAfterImage();

    // Surface movement.
    void MoveOnFloor();
    void MoveOnCeiling();
    void MoveOnWall();
    void ApplyJumpHoldAndGravity(double towardSurface);
    void UpdateSlide(uint32_t slideButton, bool canDuck);
    void Run(double& speed, uint32_t forward, uint32_t backward, bool canCrawl);
    void UpdateRunCounter(double speed);
    void LeaveSurfaceWhenSlow(double speed);
    bool TryLaunch(uint32_t direction, int tileX, int tileY);

    // Tile collision.
    void CollideOnFloor();
    void CollideOnWall();
    void CollideOnCeiling();
    bool FacingWall(int bottom);
    bool FacingRight() const;
    void CollideSides(bool onCeiling);
    void CollideSide(bool right, bool runIntoAllowed, bool onCeiling);
    bool RunIntoPoints(const int (&px)[5], const int (&py)[5], int clingSurface);
    void CollideAcrossWall();
    void BreakBlock(int px, int py);

    // Camera.
    void MoveCameraX();
    void MoveCameraY();
    void CameraDeadZoneX(int step);
    void CameraDeadZoneY(int step);

    // Actions, damage and the miss sequence: the knife, the bomb, the boost, the items, the gauge.
    void CheckDamage();
    void UseKnifeAndBomb();
    void Boost();
    void HandleMiss();
    void PickUpItems();
    void KeepGaugeAndKnifePieces();

    void SwingKnife();
    void PlaceKnifePieces();
    void UseBomb();
    void BreakBlocksInView();
    bool KickOnFloor();
    bool RaiseMaxSpeed();
    void CollectItem(int tile);
    void Die();
};

// Every object of an area is a task: a Character registered in one update group, appended to one draw
// layer each frame it wants to be drawn, and deleted by the registry's sweep once it sets dead.
#pragma once

#include <cstdint>

struct MapData;
struct MapObjectRecord;

class IDraw {
  public:
    virtual ~IDraw() = default;
    virtual void Draw() {}
};

// Update groups, updated in this order.
enum TaskGroup : int {
    kGroupSceneControl = 0,
    kGroupPlayer = 1,
    kGroupEnemy = 2,
    kGroupPlayerAttack = 3,
    kGroupHarmful = 4,
    kGroupSwitchBlock = 5,
    kGroupNoCollision = 6,
    kGroupTouchObject = 7,
};

// Collision shape kinds.
enum ShapeKind : uint8_t {
    kShapeSegment = 2,
    kShapeBox = 4,
    kShapeCircle = 8,
};

class Character : public IDraw {
  public:
    Character() = default;
    // From a map-object record: type, param, position and size from the record, box = size.
    explicit Character(const MapObjectRecord& record);
    // From a type and a position; size, box and param 0.
    Character(int type, double x, double y);

    void Draw() override;
    virtual void Update() {}

    // Registers the task in update group g; false (nothing registered) when the group is full or g is
    // not a group.
    bool RegisterInGroup(int g);
    // Appends the task to its drawLayer for this frame.
    bool AppendToDrawLayer();

    static void LoadCommonGraphics();

    int8_t group = -1;
    int32_t slot = -1;
    MapData* map = nullptr;
    int32_t state = 0, counter = 0;
    int32_t drawLayer = 0;
    uint8_t shape = kShapeBox;
    int32_t hitCode = -1;
    int32_t code2 = -1;
    int32_t srcX = 0, srcY = 0;
    int32_t boxX = 0, boxY = 0;
    int32_t boxW = 0, boxH = 0;
    uint8_t flip = 0;
    int32_t work = 0;
    int32_t graphic = 0;
    double param = 0.0;
    double real1 = 0.0, real2 = 0.0, real3 = 0.0;
    int32_t type = 0;
    uint8_t dead = 0;
    double x = 0.0, y = 0.0;
    int32_t w = 0, h = 0;
    int32_t health = 1;
    int32_t work2 = 0;
};

// Graphics shared by many task classes, loaded once at start-up.
extern int32_t playerGraphic;
extern int32_t commonGraphic;

// The answer of SignedAngleBetween when either vector is zero: outside every real angle.
constexpr double kNoAngle = 4.0;

// The angle from a to b in radians, negative when b lies clockwise of a (cross product below 0).
double SignedAngleBetween(double ax, double ay, double bx, double by);
// The vector of length speed from point a to point b; straight down when the points are equal.
void VelocityToward(double ax, double ay, double bx, double by, double speed, double* vx, double* vy);

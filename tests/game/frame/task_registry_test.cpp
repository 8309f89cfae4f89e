#include <vector>

#include "game/frame/collision.h"
#include "game/map/map_data.h"
#include "tests/game/game_fixture.h"

namespace {

using TaskRegistryTest = GameTest;

std::vector<int>* updateLog = nullptr;
std::vector<int>* drawLog = nullptr;

// A task that logs its id when updated and drawn, and may create another task when updated.
class LoggingTask : public Character {
  public:
    LoggingTask(int id, int g, int layer = 1) {
        work = id;
        drawLayer = layer;
        RegisterInGroup(g);
    }
    ~LoggingTask() override { ++destroyed; }
    void Update() override {
        if (updateLog) updateLog->push_back(work);
        if (spawnGroup >= 0) {
            CreateTask<LoggingTask>(work * 10, spawnGroup);
            spawnGroup = -1;
        }
        AppendToDrawLayer();
    }
    void Draw() override {
        if (drawLog) drawLog->push_back(work);
    }
    int spawnGroup = -1;
    static int destroyed;
};
int LoggingTask::destroyed = 0;

void ExpectSlotsMatchIndices() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < taskCounts[g]; ++i) {
            ASSERT_NE(taskGroups[g][i], nullptr);
            EXPECT_EQ(taskGroups[g][i]->slot, i);
            EXPECT_EQ(taskGroups[g][i]->group, g);
        }
    }
}

TEST_F(TaskRegistryTest, SweepRemovesDeadFirstAndLastInOnePass) {
    LoggingTask::destroyed = 0;
    LoggingTask* tasks[5];
    for (int i = 0; i < 5; ++i) tasks[i] = CreateTask<LoggingTask>(i, kGroupEnemy);
    tasks[0]->dead = 1;
    tasks[4]->dead = 1;
    SweepDeadTasks();
    EXPECT_EQ(LoggingTask::destroyed, 2);
    ASSERT_EQ(taskCounts[kGroupEnemy], 3);
    ExpectSlotsMatchIndices();
    // The last survivor filled the hole at the front.
    EXPECT_EQ(taskGroups[kGroupEnemy][0], tasks[3]);
    EXPECT_EQ(taskGroups[kGroupEnemy][3], nullptr);
}

TEST_F(TaskRegistryTest, SweepOfRunsOfDeadTasksKeepsEverySurvivorOnce) {
    const std::vector<std::vector<int>> patterns = {{1, 1, 1, 0}, {0, 1, 1, 1}, {1, 0, 1, 0, 1},
                                                    {1, 1, 1, 1}, {0, 0, 0},    {1}};
    for (const auto& pattern : patterns) {
        DeleteAllTasks();
        std::vector<LoggingTask*> survivors;
        for (size_t i = 0; i < pattern.size(); ++i) {
            LoggingTask* task = CreateTask<LoggingTask>(static_cast<int>(i), kGroupHarmful);
            task->dead = static_cast<uint8_t>(pattern[i]);
            if (!pattern[i]) survivors.push_back(task);
        }
        SweepDeadTasks();
        ASSERT_EQ(taskCounts[kGroupHarmful], static_cast<int>(survivors.size()));
        ExpectSlotsMatchIndices();
        for (LoggingTask* task : survivors) EXPECT_EQ(taskGroups[kGroupHarmful][task->slot], task);
    }
}

TEST_F(TaskRegistryTest, TaskCreatedInLaterGroupUpdatesThisFrameEarlierGroupNextFrame) {
    std::vector<int> log;
    updateLog = &log;
    LoggingTask* a = CreateTask<LoggingTask>(1, kGroupEnemy);
    a->spawnGroup = kGroupNoCollision;  // later group: runs this frame
    LoggingTask* b = CreateTask<LoggingTask>(2, kGroupHarmful);
    b->spawnGroup = kGroupPlayer;  // earlier group: runs next frame
    UpdateAllTasks();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 10}));
    log.clear();
    UpdateAllTasks();
    EXPECT_EQ(log, (std::vector<int>{20, 1, 2, 10}));
    updateLog = nullptr;
}

TEST_F(TaskRegistryTest, AreaIntroStopsAfterGroupZero) {
    std::vector<int> log;
    updateLog = &log;
    CreateTask<LoggingTask>(0, kGroupSceneControl);
    CreateTask<LoggingTask>(1, kGroupPlayer);
    areaIntro = 1;
    UpdateAllTasks();
    EXPECT_EQ(log, std::vector<int>{0});
    updateLog = nullptr;
}

TEST_F(TaskRegistryTest, LayersDrawFrom29DownAndLayerZeroNever) {
    std::vector<int> log;
    drawLog = &log;
    CreateTask<LoggingTask>(0, kGroupNoCollision, 0);
    CreateTask<LoggingTask>(5, kGroupNoCollision, 5);
    CreateTask<LoggingTask>(29, kGroupNoCollision, 29);
    CreateTask<LoggingTask>(6, kGroupNoCollision, 5);
    CreateTask<LoggingTask>(1, kGroupNoCollision, 1);
    UpdateAllTasks();
    DrawAllLayers();
    EXPECT_EQ(log, (std::vector<int>{29, 5, 6, 1}));
    drawLog = nullptr;
}

TEST_F(TaskRegistryTest, FullGroupRefusesWithoutTouchingMemory) {
    for (int i = 0; i < kGroupCapacity; ++i) ASSERT_NE(CreateTask<LoggingTask>(i, kGroupEnemy), nullptr);
    LoggingTask::destroyed = 0;
    EXPECT_EQ(CreateTask<LoggingTask>(999, kGroupEnemy), nullptr);
    EXPECT_EQ(LoggingTask::destroyed, 1);
    EXPECT_EQ(taskCounts[kGroupEnemy], kGroupCapacity);
    EXPECT_EQ(taskCounts[kGroupHarmful], 0);
    EXPECT_EQ(CreateTask<LoggingTask>(1, 8), nullptr);
    EXPECT_EQ(CreateTask<LoggingTask>(1, -1), nullptr);
}

TEST_F(TaskRegistryTest, DrawLayerRefusesOutOfRangeAndFullLayers) {
    LoggingTask task(0, -1);
    for (int layer : {-1, 30, 1000}) EXPECT_FALSE(RegisterDrawLayer(&task, layer));
    for (int i = 0; i < kDrawLayerCapacity; ++i) ASSERT_TRUE(RegisterDrawLayer(&task, 29));
    EXPECT_FALSE(RegisterDrawLayer(&task, 29));
    EXPECT_EQ(drawLayerCounts[29], kDrawLayerCapacity);
    EXPECT_EQ(drawLayerCounts[28], 0);
    ClearDrawLayers();
}

TEST_F(TaskRegistryTest, ShiftLeavesTasksFarBeyondLeftOrTop) {
    const struct {
        double x, y, wantX, wantY;
    } cases[] = {
        {0.0, 0.0, 10.0, 20.0},
        {-400.0, -300.0, -400.0, -300.0},
        {-399.5, -299.5, -389.5, -279.5},
        {-1000.0, 50.0, -1000.0, 70.0},
    };
    for (const auto& c : cases) {
        LoggingTask* task = CreateTask<LoggingTask>(0, kGroupEnemy);
        task->x = c.x;
        task->y = c.y;
        ShiftAllTasks(10.0, 20.0);
        EXPECT_EQ(task->x, c.wantX);
        EXPECT_EQ(task->y, c.wantY);
        DeleteAllTasks();
    }
}

TEST_F(TaskRegistryTest, DefaultDrawCutsTheSpriteRelativeToTheCamera) {
    Character task(3, -10.7, 20.9);
    task.srcX = 40;
    task.srcY = 80;
    task.w = 16;
    task.h = 24;
    task.graphic = 7;
    task.flip = 1;
    cameraX = 5;
    cameraY = -3;
    task.Draw();
    const auto draws = recording::Named("DrawImagePart");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args, (std::vector<int64_t>{-15, 23, 40, 80, 16, 24, 7, 1, 1}));
}

TEST_F(TaskRegistryTest, CharacterFromRecordTakesSizeAsBox) {
    const MapObjectRecord record = {38, 5, 100, 200, 30, 40, 0};
    Character task(record);
    EXPECT_EQ(task.type, 38);
    EXPECT_EQ(task.param, 5.0);
    EXPECT_EQ(task.x, 100.0);
    EXPECT_EQ(task.boxW, 30);
    EXPECT_EQ(task.boxH, 40);
    EXPECT_EQ(task.shape, kShapeBox);
    EXPECT_EQ(task.hitCode, -1);
    EXPECT_EQ(task.group, -1);
    EXPECT_EQ(task.health, 1);
}

TEST_F(TaskRegistryTest, LoadCommonGraphicsReportsMissingGraphicsInTheTitle) {
    Character::LoadCommonGraphics();
    EXPECT_EQ(recording::Count("SetMainWindowText"), 0);
    EXPECT_EQ(recording::Count("FreeGraphic"), 0);
    const int oldPlayer = playerGraphic;
    recording::Lib().nextGraphic = -1;  // the next load fails, the one after gets handle 0
    Character::LoadCommonGraphics();
    EXPECT_EQ(recording::Named("FreeGraphic")[0].args[0], oldPlayer);
    const auto titles = recording::Named("SetMainWindowText");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].text, "Error : Character::LoadCommonGraphics() : Player graphic not found");
}

}  // namespace

#include "game/frame/task_registry.h"

#include "game/frame/game_state.h"

Character* taskGroups[kGroupCount][kGroupCapacity] = {};
int taskCounts[kGroupCount] = {};
IDraw* drawLayers[kDrawLayerCount][kDrawLayerCapacity] = {};
int drawLayerCounts[kDrawLayerCount] = {};

bool RegisterTask(Character* task, int group) {
    if (group < 0 || group >= kGroupCount || taskCounts[group] >= kGroupCapacity) return false;
    const int index = taskCounts[group]++;
    taskGroups[group][index] = task;
    task->slot = index;
    task->group = static_cast<int8_t>(group);
    return true;
}

bool RegisterDrawLayer(IDraw* item, int layer) {
    if (layer < 0 || layer >= kDrawLayerCount || drawLayerCounts[layer] >= kDrawLayerCapacity) return false;
    drawLayers[layer][drawLayerCounts[layer]++] = item;
    return true;
}

static void SweepGroup(int g) {
    Character** list = taskGroups[g];
    int i = 0;
    while (i < taskCounts[g]) {
        Character* task = list[i];
        if (task == nullptr || !task->dead) {
            ++i;
            continue;
        }
        delete task;
        list[i] = nullptr;
        const int last = --taskCounts[g];
        Character* moved = list[last];
        if (moved != nullptr && moved->slot > i && taskGroups[moved->group][i] == nullptr) {
            list[i] = moved;
            list[last] = nullptr;
            moved->slot = i;
        }
    }
}

void SweepDeadTasks() {
    for (int g = 0; g < kGroupCount; ++g) SweepGroup(g);
}

void DeleteAllTasks() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < taskCounts[g]; ++i) delete taskGroups[g][i];
    }
    ForgetAllTasks();
}

void UpdateAllTasks() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < taskCounts[g]; ++i) taskGroups[g][i]->Update();
        if (areaIntro) return;
    }
}

void ShiftAllTasks(double shiftX, double shiftY) {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < taskCounts[g]; ++i) {
            Character* task = taskGroups[g][i];
            if (task->x > -400.0) task->x += shiftX;
            if (task->y > -300.0) task->y += shiftY;
        }
    }
}

void ForgetAllTasks() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (Character*& entry : taskGroups[g]) entry = nullptr;
        taskCounts[g] = 0;
    }
}

void ClearDrawLayers() {
    for (int layer = 0; layer < kDrawLayerCount; ++layer) {
        for (IDraw*& entry : drawLayers[layer]) entry = nullptr;
        drawLayerCounts[layer] = 0;
    }
}

void DrawAllLayers() {
    for (int layer = kDrawLayerCount - 1; layer >= 1; --layer) {
        for (int i = 0; i < drawLayerCounts[layer]; ++i) drawLayers[layer][i]->Draw();
    }
}

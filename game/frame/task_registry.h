// The task registry: eight update groups that own every task, and thirty draw layers refilled each
// updated frame.
#pragma once

#include <utility>

#include "game/frame/character.h"

constexpr int kGroupCount = 8;
constexpr int kGroupCapacity = 200;
constexpr int kDrawLayerCount = 30;
constexpr int kDrawLayerCapacity = 200;

extern Character* taskGroups[kGroupCount][kGroupCapacity];
extern int taskCounts[kGroupCount];
extern IDraw* drawLayers[kDrawLayerCount][kDrawLayerCapacity];
extern int drawLayerCounts[kDrawLayerCount];

// Both refuse (false, nothing stored) a full list or an index outside the lists.
bool RegisterTask(Character* task, int group);
bool RegisterDrawLayer(IDraw* item, int layer);

// Deletes the dead tasks; the last task of a group fills each hole.
void SweepDeadTasks();
void DeleteAllTasks();
// Group by group, each task once; stops after a group while areaIntro is set.
void UpdateAllTasks();
void ShiftAllTasks(double shiftX, double shiftY);
// Empties the update groups without deleting anything.
void ForgetAllTasks();
void ClearDrawLayers();
// Layers 29 down to 1, each in insertion order; layer 0 is never drawn.
void DrawAllLayers();

// Creates a task that registers itself; a task the registry refused is deleted again and null returned.
template <class T, class... Args>
T* CreateTask(Args&&... args) {
    T* task = new T(std::forward<Args>(args)...);
    if (task->group >= 0) return task;
    delete task;
    return nullptr;
}

// Where the tasks of a test stand: the living registry's tasks of a class, and the draw layers a task
// was appended to this frame.
#pragma once

#include <vector>

#include "game/frame/character.h"
#include "game/frame/task_registry.h"

// The tasks of class T registered in the group, in registry order.
template <class T>
std::vector<T*> TasksOf(int group) {
    std::vector<T*> found;
    for (int i = 0; i < taskCounts[group]; ++i) {
        if (auto* task = dynamic_cast<T*>(taskGroups[group][i])) found.push_back(task);
    }
    return found;
}

// Whether the task was appended to the draw layer this frame.
inline bool InLayer(const IDraw* task, int layer) {
    for (int i = 0; i < drawLayerCounts[layer]; ++i) {
        if (drawLayers[layer][i] == task) return true;
    }
    return false;
}

// The first draw layer the task was appended to this frame; -1 when none.
inline int LayerOf(const IDraw* task) {
    for (int layer = 0; layer < kDrawLayerCount; ++layer) {
        if (InLayer(task, layer)) return layer;
    }
    return -1;
}

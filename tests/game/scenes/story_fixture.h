// The story scenes' tests: a scripted map in memory (the graphics "demo", "ufo" and "twigger", five tile
// layers, the director's record), frames of the registry as the main loop runs them, and the tasks of a
// class found in the groups.
#pragma once

#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/frame/task_registry.h"
#include "game/map/map_data.h"
#include "tests/game/scene_fixture.h"

// The text converted by iconv; empty when a byte sequence is not whole in the source set.
inline std::string ConvertText(const char* from, const char* to, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    std::string in = text, out(text.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) return "";
    out.resize(out.size() - outLeft);
    return out;
}

// The characters of a Shift-JIS text, counted by iconv.
inline int ShiftJisCharacters(const std::string& text) {
    return static_cast<int>(ConvertText("CP932", "UTF-32LE", text).size() / 4);
}

constexpr int kDemoGraphic = 301;
constexpr int kUfoGraphic = 302;
constexpr int kTwiggerGraphic = 303;

class StoryTest : public SceneTest {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        UseTestSoundEffects();
        sceneCode = 0;  // as the main loop leaves it once the map is loaded
    }
    void TearDown() override {
        DeleteAllTasks();
        map_.Unload();
        SceneTest::TearDown();
    }

    // A map of the kind with the director's record of type directorType as record 0.
    void MakeMap(int kind, int directorType, int layerCount = 5) {
        map_.Clear();
        map_.kind = kind;
        std::strcpy(map_.tunePath, "./bgm/opening.pttune");
        map_.graphicCount = 3;
        map_.graphics = new MapGraphicEntry[3]{
            {"demo", kDemoGraphic}, {"ufo", kUfoGraphic}, {"twigger", kTwiggerGraphic}};
        map_.objectCount = 1;
        map_.objects = new MapObjectRecord[1]{{directorType, 0, 0, 0, 20, 20, 0}};
        map_.layerCount = static_cast<uint8_t>(layerCount);
        map_.layers = new LayerData[layerCount];
    }

    // One updated frame as the main loop runs it, with this frame's input mask.
    void Frame(uint32_t mask = 0) {
        inputPrev = inputNow;
        inputNow = mask;
        ClearDrawLayers();
        SweepDeadTasks();
        map_.SpawnObjectsInView();
        UpdateAllTasks();
        quakeX = quakeY = 0;
    }

    // The live tasks of class T in every group.
    template <class T>
    static std::vector<T*> Tasks() {
        std::vector<T*> found;
        for (int g = 0; g < kGroupCount; ++g) {
            for (int i = 0; i < taskCounts[g]; ++i) {
                if (auto* task = dynamic_cast<T*>(taskGroups[g][i]); task != nullptr && !task->dead)
                    found.push_back(task);
            }
        }
        return found;
    }
    template <class T>
    static T* Only() {
        const std::vector<T*> found = Tasks<T>();
        return found.size() == 1 ? found[0] : nullptr;
    }
    static std::vector<Character*> AllTasks() {
        std::vector<Character*> found;
        for (int g = 0; g < kGroupCount; ++g) {
            for (int i = 0; i < taskCounts[g]; ++i) found.push_back(taskGroups[g][i]);
        }
        return found;
    }
    // Whether the task appended itself to a draw layer this frame.
    static bool Appended(const IDraw* task, int layer) {
        for (int i = 0; i < drawLayerCounts[layer]; ++i) {
            if (drawLayers[layer][i] == task) return true;
        }
        return false;
    }
    // The sound volumes set on the handle of an effect, in order.
    static std::vector<int> VolumesSet(int effect) {
        std::vector<int> volumes;
        for (const auto& call : recording::Named("SetSoundVolume")) {
            if (call.args[1] == 1000 + effect) volumes.push_back(static_cast<int>(call.args[0]));
        }
        return volumes;
    }

    MapData map_{};
};

// A recording double of the library calls the game makes: graphics, fonts, input, the life cycle, the
// window settings, sound handles, the music player and the data files. It keeps every call in order,
// answers input from a script, reads data files from the working folder, and runs a clock that moves a
// fixed step at every reading, so the game's main loop can run whole inside a test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/input/input.h"

namespace recording {

struct Call {
    std::string name;
    std::vector<int64_t> args;
    std::string text;
};

struct Library {
    std::vector<Call> calls;

    // Input: what the devices report now. onPump runs at the start of every PumpMessages with the number
    // of pumps before it, so a test can change the input frame by frame.
    char keys[256] = {};
    int padMask = 0;
    PadRawState pad = {};
    int pumpCount = 0;
    int pumpResult = 0;
    std::function<void(int pump)> onPump;
    int padReads = 0;
    int keyboardReads = 0;

    int initResult = 0;
    int fullScreenResult = 0;  // what ChangeWindowMode(0) answers
    int64_t microseconds = 1000000;
    int64_t microsecondStep = 1000;
    int dateTime[6] = {2024, 3, 9, 8, 5, 7};
    int nextGraphic = 100;
    int nextSound = 500;
    // Paths for which LoadGraphFile answers -1.
    std::vector<std::string> missingGraphics;
    // Data files: OpenFileHandle opens real files (relative to the working folder); the handles left open.
    int openFiles = 0;
    // Sound handles playing: PlaySoundHandle starts one, StopSoundHandle stops it, QuerySoundPlaying reads
    // it; a test erases a handle to let its sound end.
    std::vector<int> playingSounds;
    // What AddFontMemResourceEx answers (null: adding fails).
    void* memoryFontResult = reinterpret_cast<void*>(0x5678);
};

Library& Lib();
// A fresh double: no calls, nothing pressed, hats centred.
void Reset();
int Count(const std::string& name);
std::vector<Call> Named(const std::string& name);

}  // namespace recording

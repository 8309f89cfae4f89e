// The calls the game makes to the music-player library, and the volume it always sets.
#pragma once

#include "platform/music/pxtone.h"

constexpr double kMusicVolume = 0.6;

// The openers for compressed data: WAVE formats other than PCM and float, and MP3, through the Audio
// Compression Manager, and MP3 through a DirectShow graph. Neither the Audio Compression Manager nor the
// graph conversion is part of this build yet, so these openers refuse every input and the converter
// reports the data as not convertible.
#include "engine/sound/converter_kinds.h"

int OpenAcmWave(SoundConverter*) {
    return -1;
}
int OpenAcmMp3(SoundConverter*) {
    return -1;
}
int ConvertMp3ByGraph(SoundConverter*) {
    return -1;
}

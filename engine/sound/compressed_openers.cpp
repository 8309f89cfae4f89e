// The last opener of the converter: MP3 through a DirectShow graph. Not part of this build yet, so it
// refuses every input.
#include "engine/sound/converter_kinds.h"

int ConvertMp3ByGraph(SoundConverter*) {
    return -1;
}

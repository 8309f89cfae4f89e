// Fuzz target: the archive reader over arbitrary memory images (opened under the built key, then as
// an archive whose key string is "fuzz"); the image must come back byte-exact.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/core/files/archive_exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    if (!ExerciseArchiveImage(image)) std::abort();
    if (!ExerciseArchiveImage(image, "fuzz")) std::abort();
    return 0;
}

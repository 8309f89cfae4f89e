// Any bytes given to the Theora decoder as a movie file: it refuses them or opens them, and then every
// frame it counted can be shown, through a stock of frames as long as the movie and a short one.
// Seeds: tiny.ogv is the fixture; sound_cut.ogv the first 1500 bytes of tiny_sound.ogv; damaged_pages.ogv
// is tiny.ogv with bytes of several pages changed and their page checksums made right again, so that the
// damage reaches the decoder (it once made the decoder's picture be read before any frame was decoded).
#include <cstdint>

#include "engine/core/files/file_access.h"
#include "engine/text_movie/theora_movie.h"
#include "tests/text_movie/memory_file_table.h"

namespace {

void Play(const uint8_t* data, size_t size, int stock) {
    const uintptr_t stream = OpenMemoryStream(data, uint32_t(size));
    if (!stream) return;
    TheoraMovie* movie = OpenTheoraMovie(MemoryFileTable(), stream, stock, 0);
    if (movie) {
        TheoraMovieInfo info{};
        GetTheoraMovieInfo(movie, &info);
        const int frames = info.frameCount < 64 ? info.frameCount : 64;
        for (int f = 0; f < frames; f++) {
            UpdateTheoraImage(movie, 1, 0, 0);
            AdvanceTheoraFrame(movie, 1 + f % 3);
        }
        SeekTheoraMovie(movie, int(size % 7));
        UpdateTheoraImage(movie, 1, 0, 0);
        CloseTheoraMovie(movie);
    }
    CloseMemoryStream(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    InitYuvToRgbTables();
    Play(data, size, 10);
    Play(data, size, 2);
    return 0;
}

// Characters of a damaged 12-pixel font (one flipped bit makes its 'A' 17 ems tall) against a sound
// character of the same font: the damaged one is refused before it is rendered, so both cost about the
// same, and the process's peak memory stays that of a small font.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "platform/gdi/gdi32.h"

namespace {

void RasterizeCharacter(benchmark::State& state, uint8_t character) {
    std::ifstream file(std::string(KORVALUND_SOURCE_DIR) + "/tests/platform/gdi/fixtures/kv_test_broken.ttf",
                       std::ios::binary);
    std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    DWORD count = 0;
    HANDLE memoryFont = AddFontMemResourceEx(bytes.data(), DWORD(bytes.size()), nullptr, &count);
    InitFontSystem();
    int font = CreateFontPublic("KvBroken", 12, 1, 0, -1, -1, 0, -1);
    const uint8_t text[] = {character, 0, 0};
    for (auto _ : state) benchmark::DoNotOptimize(RasterizeGlyph(font, 1, text));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_kB"] = double(usage.ru_maxrss);
    EndFontSystem();
    RemoveFontMemResourceEx(memoryFont);
}

void BM_DamagedCharacter(benchmark::State& state) {
    RasterizeCharacter(state, 'A');
}
void BM_SoundCharacter(benchmark::State& state) {
    RasterizeCharacter(state, 'B');
}

BENCHMARK(BM_DamagedCharacter);
BENCHMARK(BM_SoundCharacter);

}  // namespace

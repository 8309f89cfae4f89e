// The software renderer's 1:1 and 2x blits beside SDL2's SDL_BlitSurface / SDL_BlitScaled and pixman's
// pixman_image_composite on the same work: a 256 x 256 source onto an 800 x 600 destination, at 32 and
// 16 bits. Sources are random (every alpha, key pixels scattered: the libraries' worst case) or
// sprite-shaped (a sheet of 32 x 32 discs: clear around, opaque inside, a soft edge between), drawn
// through the row loop or the run table. Each case first draws once through all three and checks how far
// their results lie from the renderer's (largest channel difference over the destination, in the
// destination's own bits): copies and keys must give the same pixels, blends may differ by the case's
// stated rounding (the renderer mixes by a / 256 toward the source, the others by a / 255). Any other
// difference ends the program before timing. Then every case runs as a benchmark (thread CPU time,
// median of the repetitions, cases interleaved) and a closing table gives each library's time over the
// renderer's: above 1 the renderer is faster.
//
// pixman has no colour key: its key cases composite OVER from a copy of the source whose key pixels
// are transparent, which draws the same pixels.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/softrender/image_kernels.h"
#include "engine/softrender/mem_img.h"
#include "engine/softrender/soft_render_state.h"

namespace {

constexpr int kDestW = 800, kDestH = 600, kSrc = 256;
constexpr int kAt = 100;  // where the 1:1 cases draw
constexpr int kStretchX = 100, kStretchY = 50;

enum class Work {
    Opaque,
    PixelAlpha,
    AlphaRuns,
    SpriteAlpha,
    SpriteAlphaRuns,
    ConstAlpha,
    KeyRows,
    KeyRuns,
    SpriteKey,
    SpriteKeyRuns,
    Stretch2x
};

struct Case {
    const char* name;
    Work work;
    bool wide;      // 32-bit destination, else RGB565
    int tolerance;  // the largest channel difference the libraries' rounding explains
};

constexpr Case kCases[] = {
    {"opaque32", Work::Opaque, true, 0},
    {"opaque16", Work::Opaque, false, 0},
    {"pixel_alpha32", Work::PixelAlpha, true, 2},
    {"pixel_alpha16", Work::PixelAlpha, false, 2},
    {"alpha_runs32", Work::AlphaRuns, true, 2},
    {"alpha_runs16", Work::AlphaRuns, false, 2},
    {"sprite_alpha32", Work::SpriteAlpha, true, 2},
    {"sprite_alpha16", Work::SpriteAlpha, false, 2},
    {"sprite_alpha_runs32", Work::SpriteAlphaRuns, true, 2},
    {"sprite_alpha_runs16", Work::SpriteAlphaRuns, false, 2},
    {"const_alpha32", Work::ConstAlpha, true, 2},
    {"const_alpha16", Work::ConstAlpha, false, 1},
    {"key_rows32", Work::KeyRows, true, 0},
    {"key_rows16", Work::KeyRows, false, 0},
    {"key_runs32", Work::KeyRuns, true, 0},
    {"key_runs16", Work::KeyRuns, false, 0},
    {"sprite_key32", Work::SpriteKey, true, 0},
    {"sprite_key16", Work::SpriteKey, false, 0},
    {"sprite_key_runs32", Work::SpriteKeyRuns, true, 0},
    {"sprite_key_runs16", Work::SpriteKeyRuns, false, 0},
    {"stretch2x32", Work::Stretch2x, true, 0},
    {"stretch2x16", Work::Stretch2x, false, 0},
};

bool HasAlpha(Work w) {
    return w == Work::PixelAlpha || w == Work::AlphaRuns || w == Work::SpriteAlpha ||
           w == Work::SpriteAlphaRuns;
}
bool IsKeyed(Work w) {
    return w == Work::KeyRows || w == Work::KeyRuns || w == Work::SpriteKey || w == Work::SpriteKeyRuns;
}
bool IsSprite(Work w) {
    return w == Work::SpriteAlpha || w == Work::SpriteAlphaRuns || w == Work::SpriteKey ||
           w == Work::SpriteKeyRuns;
}
bool UsesRunTable(Work w) {
    return w == Work::AlphaRuns || w == Work::SpriteAlphaRuns || w == Work::KeyRuns ||
           w == Work::SpriteKeyRuns;
}

// The alpha of a sheet of 32 x 32 sprites: a disc of radius 12 with an edge two pixels wide.
uint32_t SpriteAlphaAt(int x, int y) {
    const double dx = x % 32 - 15.5, dy = y % 32 - 15.5, r = std::sqrt(dx * dx + dy * dy);
    if (r <= 12) return 255;
    if (r >= 14) return 0;
    return std::clamp(static_cast<uint32_t>((14 - r) / 2 * 255), 1u, 254u);
}

constexpr int kConstAlpha = 200;

uint32_t To565(uint32_t argb) {
    return ((argb >> 8) & 0xF800) | ((argb >> 5) & 0x07E0) | ((argb >> 3) & 0x001F);
}
// A 565 colour widened the way pixman and SDL widen it, so that both narrow it back exactly.
uint32_t Widen565(uint32_t p) {
    const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}
uint32_t Premultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    auto ch = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | ch((argb >> 16) & 255) << 16 | ch((argb >> 8) & 255) << 8 | ch(argb & 255);
}

// The inputs every library draws: colours (widened from 565 for the 16-bit cases), alpha, key.
struct Inputs {
    std::vector<uint32_t> source;  // ARGB
    std::vector<uint32_t> dest;    // XRGB
    uint32_t key = 0;              // XRGB of the key colour
};

Inputs MakeInputs(const Case& c) {
    Inputs in;
    std::mt19937 rng(7);
    in.key = c.wide ? 0x00FF00FFu : Widen565(To565(0x00FF00FFu));
    auto colour = [&] {
        const uint32_t v = rng() & 0xFFFFFF;
        return c.wide ? v : Widen565(To565(v));
    };
    in.source.resize(kSrc * kSrc);
    for (int i = 0; i < kSrc * kSrc; ++i) {
        const uint32_t shape = IsSprite(c.work) ? SpriteAlphaAt(i % kSrc, i / kSrc) : rng() & 255;
        const bool keyed = IsKeyed(c.work) && (IsSprite(c.work) ? shape < 128 : rng() % 2 == 0);
        const uint32_t alpha = HasAlpha(c.work) ? shape : 255;
        uint32_t rgb = keyed ? in.key : colour();
        // A colour that narrows to the key's 565 value would be a key pixel too.
        if (!keyed && To565(rgb) == To565(in.key)) rgb ^= 0x000400;
        in.source[i] = alpha << 24 | rgb;
    }
    in.dest.resize(kDestW * kDestH);
    for (uint32_t& p : in.dest) p = colour();
    return in;
}

// ---- the renderer ----

struct ProjectBlit {
    MEMIMG dest{}, source{};
    Case c;
    explicit ProjectBlit(const Case& cs, const Inputs& in) : c(cs) {
        BuildSoftBlendTables();
        const int kind = c.wide ? 1 : 0;
        const bool alpha = HasAlpha(c.work);
        const bool keyed = IsKeyed(c.work);
        const uint32_t key = c.wide ? in.key : To565(in.key);
        InitMemImg(&dest, kDestW, kDestH, -1, 0, kind, 0, 0, 0, nullptr);
        InitMemImg(&source, kSrc, kSrc, -1, keyed ? key : 0x12345678u, kind, 0, alpha, 1, nullptr);
        for (int y = 0; y < kDestH; ++y) {
            for (int x = 0; x < kDestW; ++x) Put(&dest, x, y, in.dest[y * kDestW + x], false);
        }
        for (int y = 0; y < kSrc; ++y) {
            for (int x = 0; x < kSrc; ++x) Put(&source, x, y, in.source[y * kSrc + x], alpha);
        }
        if (UsesRunTable(c.work)) {
            BuildMemImgRunTable(source.base);
            source.base->runTableValid = 1;
        }
    }
    ~ProjectBlit() {
        ReleaseMemImg(&source);
        ReleaseMemImg(&dest);
    }
    static void Put(MEMIMG* img, int x, int y, uint32_t argb, bool alpha) {
        uint8_t* p = img->pixels + y * img->base->pitch + x * img->base->pixelBytes;
        uint32_t v = argb;
        if (img->base->kind == 0) v = To565(argb) | (alpha ? (argb >> 24) << 16 : 0);
        if (img->base->kind == 1 && !alpha) v &= 0xFFFFFF;
        std::memcpy(p, &v, img->base->pixelBytes);
    }
    uint32_t Get(int x, int y) const {
        const uint8_t* p = dest.pixels + y * dest.base->pitch + x * dest.base->pixelBytes;
        uint32_t v = 0;
        std::memcpy(&v, p, dest.base->pixelBytes);
        return c.wide ? v & 0xFFFFFF : v;
    }
    void Draw() {
        const int32_t clip[4] = {0, 0, kDestW, kDestH};
        SetSoftClipRect(clip);
        SetSoftDrawBright(0xFFFFFF);
        SetSoftBlendMode(c.work == Work::ConstAlpha ? 1 : 0, c.work == Work::ConstAlpha ? kConstAlpha : 255);
        const int transparent = c.work == Work::Opaque || c.work == Work::ConstAlpha ? 0 : 1;
        if (c.work == Work::Stretch2x) {
            const int32_t rect[4] = {kStretchX, kStretchY, kStretchX + 2 * kSrc, kStretchY + 2 * kSrc};
            SoftDrawImageStretched(&dest, &source, rect, 0, nullptr);
        } else {
            SoftDrawImage(&dest, &source, kAt, kAt, transparent, nullptr);
        }
    }
};

// ---- SDL2 ----

struct SdlBlit {
    SDL_Surface* dest = nullptr;
    SDL_Surface* source = nullptr;
    Case c;
    SdlBlit(const Case& cs, const Inputs& in) : c(cs) {
        const uint32_t destFormat = c.wide ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
        const bool alpha = HasAlpha(c.work);
        const uint32_t sourceFormat = alpha ? uint32_t(SDL_PIXELFORMAT_ARGB8888) : destFormat;
        dest = SDL_CreateRGBSurfaceWithFormat(0, kDestW, kDestH, 0, destFormat);
        source = SDL_CreateRGBSurfaceWithFormat(0, kSrc, kSrc, 0, sourceFormat);
        for (int y = 0; y < kDestH; ++y) {
            for (int x = 0; x < kDestW; ++x) Put(dest, x, y, in.dest[y * kDestW + x]);
        }
        for (int y = 0; y < kSrc; ++y) {
            for (int x = 0; x < kSrc; ++x) Put(source, x, y, in.source[y * kSrc + x]);
        }
        SDL_SetSurfaceBlendMode(
            source, alpha || c.work == Work::ConstAlpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        if (c.work == Work::ConstAlpha) SDL_SetSurfaceAlphaMod(source, kConstAlpha);
        if (IsKeyed(c.work)) {
            SDL_SetColorKey(source, SDL_TRUE, c.wide ? in.key : To565(in.key));
        }
    }
    ~SdlBlit() {
        SDL_FreeSurface(source);
        SDL_FreeSurface(dest);
    }
    static void Put(SDL_Surface* s, int x, int y, uint32_t argb) {
        uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
        const uint32_t v = s->format->BytesPerPixel == 2 ? To565(argb)
                           : s->format->Amask            ? argb
                                                         : argb & 0xFFFFFF;
        std::memcpy(p, &v, s->format->BytesPerPixel);
    }
    uint32_t Get(int x, int y) const {
        const uint8_t* p =
            static_cast<const uint8_t*>(dest->pixels) + y * dest->pitch + x * dest->format->BytesPerPixel;
        uint32_t v = 0;
        std::memcpy(&v, p, dest->format->BytesPerPixel);
        return c.wide ? v & 0xFFFFFF : v;
    }
    void Draw() {
        if (c.work == Work::Stretch2x) {
            SDL_Rect to{kStretchX, kStretchY, 2 * kSrc, 2 * kSrc};
            SDL_BlitScaled(source, nullptr, dest, &to);
        } else {
            SDL_Rect to{kAt, kAt, kSrc, kSrc};
            SDL_BlitSurface(source, nullptr, dest, &to);
        }
    }
};

// ---- pixman ----

struct PixmanBlit {
    std::vector<uint32_t> destPixels, sourcePixels;
    pixman_image_t* dest = nullptr;
    pixman_image_t* source = nullptr;
    pixman_image_t* mask = nullptr;
    pixman_op_t op = PIXMAN_OP_SRC;
    Case c;
    PixmanBlit(const Case& cs, const Inputs& in) : c(cs) {
        const bool keyed = IsKeyed(c.work);
        const bool alpha = HasAlpha(c.work);
        const int destStride = c.wide ? kDestW * 4 : kDestW * 2;
        destPixels.assign(destStride / 4 * kDestH, 0);
        dest = pixman_image_create_bits(c.wide ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5, kDestW, kDestH,
                                        destPixels.data(), destStride);
        for (int y = 0; y < kDestH; ++y) {
            for (int x = 0; x < kDestW; ++x)
                Put(destPixels.data(), destStride, !c.wide, x, y, in.dest[y * kDestW + x]);
        }
        // Sources: the destination's format for copies, premultiplied ARGB for alpha and key.
        const bool argb = alpha || keyed;
        const int srcStride = argb || c.wide ? kSrc * 4 : kSrc * 2;
        sourcePixels.assign(srcStride / 4 * kSrc, 0);
        const pixman_format_code_t sf = argb ? PIXMAN_a8r8g8b8 : c.wide ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
        source = pixman_image_create_bits(sf, kSrc, kSrc, sourcePixels.data(), srcStride);
        for (int y = 0; y < kSrc; ++y) {
            for (int x = 0; x < kSrc; ++x) {
                uint32_t v = in.source[y * kSrc + x];
                if (keyed) v = (v & 0xFFFFFF) == in.key ? 0 : v | 0xFF000000u;
                if (alpha) v = Premultiply(v);
                if (argb || c.wide) {
                    sourcePixels[y * kSrc + x] = v;
                } else {
                    Put(sourcePixels.data(), srcStride, true, x, y, v);
                }
            }
        }
        if (argb) op = PIXMAN_OP_OVER;
        if (c.work == Work::ConstAlpha) {
            op = PIXMAN_OP_OVER;
            const pixman_color_t m{0, 0, 0, static_cast<uint16_t>(kConstAlpha * 257)};
            mask = pixman_image_create_solid_fill(&m);
        }
        if (c.work == Work::Stretch2x) {
            pixman_transform_t t;
            pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
            pixman_image_set_transform(source, &t);
            pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
        }
    }
    ~PixmanBlit() {
        if (mask) pixman_image_unref(mask);
        pixman_image_unref(source);
        pixman_image_unref(dest);
    }
    static void Put(uint32_t* pixels, int stride, bool sixteen, int x, int y, uint32_t argb) {
        uint8_t* row = reinterpret_cast<uint8_t*>(pixels) + y * stride;
        if (sixteen) {
            const uint16_t v = static_cast<uint16_t>(To565(argb));
            std::memcpy(row + x * 2, &v, 2);
        } else {
            std::memcpy(row + x * 4, &argb, 4);
        }
    }
    uint32_t Get(int x, int y) const {
        const uint8_t* row =
            reinterpret_cast<const uint8_t*>(destPixels.data()) + y * (c.wide ? kDestW * 4 : kDestW * 2);
        uint32_t v = 0;
        std::memcpy(&v, row + x * (c.wide ? 4 : 2), c.wide ? 4 : 2);
        return c.wide ? v & 0xFFFFFF : v;
    }
    void Draw() {
        if (c.work == Work::Stretch2x) {
            pixman_image_composite32(op, source, mask, dest, 0, 0, 0, 0, kStretchX, kStretchY, 2 * kSrc,
                                     2 * kSrc);
        } else {
            pixman_image_composite32(op, source, mask, dest, 0, 0, 0, 0, kAt, kAt, kSrc, kSrc);
        }
    }
};

// Largest channel difference between two destinations, in the destination's own channel bits.
template <class A, class B>
int LargestDifference(const A& a, const B& b, bool wide) {
    int worst = 0;
    for (int y = 0; y < kDestH; ++y) {
        for (int x = 0; x < kDestW; ++x) {
            const uint32_t p = a.Get(x, y), q = b.Get(x, y);
            if (p == q) continue;
            const int shifts[3] = {wide ? 16 : 11, wide ? 8 : 5, 0};
            const int masks[3] = {wide ? 255 : 31, wide ? 255 : 63, wide ? 255 : 31};
            for (int ch = 0; ch < 3; ++ch) {
                const int d =
                    std::abs(int((p >> shifts[ch]) & masks[ch]) - int((q >> shifts[ch]) & masks[ch]));
                worst = std::max(worst, d);
            }
        }
    }
    return worst;
}

template <class Blit>
void Run(benchmark::State& state, const Case& c) {
    const Inputs in = MakeInputs(c);
    Blit blit(c, in);
    for (auto _ : state) {
        blit.Draw();
        benchmark::ClobberMemory();
    }
    const int64_t pixels = c.work == Work::Stretch2x ? 4 * kSrc * kSrc : kSrc * kSrc;
    state.SetItemsProcessed(state.iterations() * pixels);
}

const char* const kLibraries[] = {"project", "sdl2", "pixman"};

// Collects the median CPU time of every benchmark for the closing table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                medians_[r.run_name.function_name] = r.GetAdjustedCPUTime();
            }
        }
    }
    void PrintRatios() const {
        std::printf("\n%-20s %12s %12s %12s %10s %10s\n", "case", "project", "sdl2", "pixman", "sdl2/proj",
                    "pixman/proj");
        for (const Case& c : kCases) {
            double t[3] = {};
            bool all = true;
            for (int l = 0; l < 3; ++l) {
                const auto it = medians_.find(std::string(c.name) + "/" + kLibraries[l]);
                if (it == medians_.end()) {
                    all = false;
                    break;
                }
                t[l] = it->second;
            }
            if (!all) continue;
            std::printf("%-20s %12.0f %12.0f %12.0f %10.2f %10.2f\n", c.name, t[0], t[1], t[2], t[1] / t[0],
                        t[2] / t[0]);
        }
        std::printf("(median thread CPU time per draw in ns; ratios above 1: the project is faster)\n");
    }

  private:
    std::map<std::string, double> medians_;
};

// False when a library's picture differs from the renderer's by more than the case's rounding.
bool CheckResults() {
    std::printf("%-20s %14s %16s %10s\n", "case", "sdl2 max diff", "pixman max diff", "allowed");
    bool same = true;
    for (const Case& c : kCases) {
        const Inputs in = MakeInputs(c);
        ProjectBlit project(c, in);
        SdlBlit sdl(c, in);
        PixmanBlit pixman(c, in);
        project.Draw();
        sdl.Draw();
        pixman.Draw();
        const int fromSdl = LargestDifference(project, sdl, c.wide);
        const int fromPixman = LargestDifference(project, pixman, c.wide);
        const bool within = fromSdl <= c.tolerance && fromPixman <= c.tolerance;
        std::printf("%-20s %14d %16d %10d%s\n", c.name, fromSdl, fromPixman, c.tolerance,
                    within ? "" : "  DIFFERENT PICTURES");
        same = same && within;
    }
    std::printf("(0: the same pixels; the blends round differently in each library)\n\n");
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    if (!CheckResults()) {
        std::fprintf(stderr, "the libraries drew different pictures: nothing is timed\n");
        return 1;
    }
    for (const Case& c : kCases) {
        const std::string n = c.name;
        benchmark::RegisterBenchmark((n + "/project").c_str(),
                                     [c](benchmark::State& s) { Run<ProjectBlit>(s, c); });
        benchmark::RegisterBenchmark((n + "/sdl2").c_str(), [c](benchmark::State& s) { Run<SdlBlit>(s, c); });
        benchmark::RegisterBenchmark((n + "/pixman").c_str(),
                                     [c](benchmark::State& s) { Run<PixmanBlit>(s, c); });
    }
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=7", aggregates = "--benchmark_report_aggregates_only=true",
                interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {reps.data(), aggregates.data(), interleave.data()});
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}

// The library's public graphics calls driven by any bytes, as a hostile or careless caller would make
// them: graphic and draw-target creation, derived graphics, the draws, shapes, vertex lists, filters,
// fonts and strings, with arguments taken from the input and often from the ends of their ranges (INT_MIN,
// INT_MAX, sizes beyond every limit, NaN, infinities). The library is started once on the headless host
// (Direct3D stand-in, or the software renderer when the input's first byte is odd) and each input's
// graphics and fonts are freed at its end. Every call must return; nothing may overflow or read out of
// bounds. Seeds: tests/make_fuzz_corpora.sh.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/filters/graphic_filter.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/derived_graphics.h"
#include "engine/text_movie/fonts.h"

namespace {

constexpr int kExtremeInts[] = {INT_MIN, INT_MIN + 1, -65536,     -1,          0,      1,
                                2,       7,           255,        256,         2049,   8193,
                                65536,   1 << 20,     1073741823, INT_MAX - 1, INT_MAX};
constexpr float kExtremeFloats[] = {std::numeric_limits<float>::quiet_NaN(),
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    1e30f,
                                    -1e30f,
                                    16777217.0f,
                                    -16777217.0f,
                                    2147483648.0f,
                                    0.5f,
                                    -0.0f};
constexpr size_t kMaxCalls = 48;

// Arguments read from the input; past its end every value is 0.
class Arguments {
  public:
    Arguments(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // An extreme value, one near the screen, or any 16-bit one.
    int Int() {
        const uint8_t tag = Byte();
        if (tag < std::size(kExtremeInts)) return kExtremeInts[tag];
        if (tag < 160) return int(tag) - 40;
        return int16_t(Byte() | Byte() << 8);
    }
    // A size: an extreme one, or at most 300.
    int Size() {
        const uint8_t tag = Byte();
        return tag < std::size(kExtremeInts) ? kExtremeInts[tag] : tag + Byte() % 46;
    }
    // An extreme float, one near the screen, or any 16-bit one with a quarter step.
    float Float() {
        const uint8_t tag = Byte();
        if (tag < std::size(kExtremeFloats)) return kExtremeFloats[tag];
        if (tag < 160) return float(int(tag) - 40);
        return float(int16_t(Byte() | Byte() << 8)) + float(tag & 3) * 0.25f;
    }
    uint32_t Colour() { return uint32_t(Int()) * 2654435761u; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// What one input has made: freed at its end so that inputs do not pile graphics and fonts up.
struct Made {
    std::vector<int> graphics;
    std::vector<int> fonts;
    int Pick(Arguments& a) {
        const uint8_t tag = a.Byte();
        if (tag >= 250 || graphics.empty()) return int(tag) - 252;  // -2 is the back buffer, others invalid
        return graphics[tag % graphics.size()];
    }
    int Font(Arguments& a) {
        const uint8_t tag = a.Byte();
        return fonts.empty() || tag == 255 ? -1 : fonts[tag % fonts.size()];
    }
};

struct Vertex {
    float x, y, u, v;
    uint8_t colour[4];
};

bool started = false;
int startedSoftware = -1;

bool Start(bool software) {
    if (started && startedSoftware == int(software)) return true;
    if (started) LibraryEnd();
    setenv("KORVALUND_HOST", "headless", 1);
    setenv("KORVALUND_CLOCK", "virtual", 1);
    setenv("KORVALUND_AUDIO", "null", 1);
    SetFileLogEnabled(0);
    ChangeWindowMode(1);
    SetScreenMode(320, 240, 32, 60);
    SetHardwareDrawEnabled(software ? 0 : 1);
    started = LibraryInit() == 0;
    startedSoftware = int(software);
    return started;
}

void Call(uint8_t op, Arguments& a, Made& made) {
    switch (op % 22) {
        case 0: {
            const int w = a.Size(), h = a.Size();
            const int graphic = MakeDrawTarget(w, h, a.Byte() & 1);
            if (graphic >= 0) made.graphics.push_back(graphic);
            break;
        }
        case 1: {
            const int x = a.Int(), y = a.Int(), w = a.Size(), h = a.Size();
            const int graphic = DeriveGraphic(x, y, w, h, made.Pick(a));
            if (graphic >= 0) made.graphics.push_back(graphic);
            break;
        }
        case 2:
            SelectDrawTarget(made.Pick(a));
            break;
        case 3: {
            const int x1 = a.Int(), y1 = a.Int(), x2 = a.Int(), y2 = a.Int();
            SetClipRect(x1, y1, x2, y2);
            break;
        }
        case 4: {
            const int mode = a.Int(), param = a.Int();
            SetBlend(mode, param);
            const int r = a.Int(), g = a.Int(), b = a.Int();
            SetBright(r, g, b);
            break;
        }
        case 5: {
            const int x = a.Int(), y = a.Int();
            DrawImageAt(x, y, made.Pick(a), a.Byte() & 1);
            break;
        }
        case 6: {
            const int x = a.Int(), y = a.Int(), sx = a.Int(), sy = a.Int(), w = a.Size(), h = a.Size();
            DrawImagePart(x, y, sx, sy, w, h, made.Pick(a), a.Byte() & 1, a.Byte() & 1);
            break;
        }
        case 7: {
            const int x = a.Int(), y = a.Int(), sx = a.Int(), sy = a.Int(), w = a.Size(), h = a.Size();
            const double scale = a.Float(), angle = a.Float();
            DrawImagePartRotated(x, y, sx, sy, w, h, scale, angle, made.Pick(a), a.Byte() & 1, a.Byte() & 1);
            break;
        }
        case 8: {
            const int x1 = a.Int(), y1 = a.Int(), x2 = a.Int(), y2 = a.Int();
            DrawImageStretched(x1, y1, x2, y2, made.Pick(a), a.Byte() & 1);
            const float f1 = a.Float(), f2 = a.Float(), f3 = a.Float(), f4 = a.Float();
            DrawImageStretchedF(f1, f2, f3, f4, made.Pick(a), a.Byte() & 1);
            break;
        }
        case 9: {
            const int x = a.Int(), y = a.Int();
            const double scale = a.Float(), angle = a.Float();
            DrawImageRotated(x, y, scale, angle, made.Pick(a), a.Byte() & 1, a.Byte() & 1);
            break;
        }
        case 10: {
            const int x = a.Int(), y = a.Int();
            DrawImageTurned(x, y, made.Pick(a), a.Byte() & 1);
            break;
        }
        case 11: {
            float c[8];
            for (float& v : c) v = a.Float();
            DrawImageQuad(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], made.Pick(a), a.Byte() & 1,
                          a.Byte() & 1);
            break;
        }
        case 12: {
            const int x1 = a.Int(), y1 = a.Int(), x2 = a.Int(), y2 = a.Int();
            DrawBoxShape(x1, y1, x2, y2, a.Colour(), a.Byte() & 1);
            break;
        }
        case 13: {
            const int x = a.Int(), y = a.Int(), r = a.Int();
            DrawCircleShape(x, y, r, a.Colour(), a.Byte() & 1);
            break;
        }
        case 14: {
            const int x1 = a.Int(), y1 = a.Int(), x2 = a.Int(), y2 = a.Int();
            const uint32_t colour = a.Colour();
            DrawLineShape(x1, y1, x2, y2, colour, a.Int());
            break;
        }
        case 15: {
            Vertex vertices[6];
            const int count = 1 + a.Byte() % 6;
            for (int i = 0; i < count; ++i) {
                vertices[i].x = a.Float(), vertices[i].y = a.Float();
                vertices[i].u = a.Float(), vertices[i].v = a.Float();
                std::memset(vertices[i].colour, a.Byte(), 4);
            }
            const int primitive = a.Int();
            const int graphic = a.Byte() & 1 ? -5 : made.Pick(a);
            DrawVertexArray2D(vertices, count, primitive, graphic, 0, a.Byte() & 1);
            break;
        }
        case 16: {
            const int graphic = made.Pick(a), kind = a.Byte() % 12 - 1;
            int v[5];
            for (int& value : v) value = a.Int();
            ApplyGraphicFilter(graphic, kind, v[0], v[1], v[2], v[3], v[4]);
            break;
        }
        case 17: {
            const int blendFlag = a.Byte() & 1, source = made.Pick(a), blend = made.Pick(a),
                      destination = made.Pick(a), ratio = a.Int(), kind = a.Byte() % 19 - 1;
            int r[8];
            for (int& value : r) value = a.Int();
            int arguments[5];
            for (int& value : arguments) value = a.Int();
            RunGraphicFilter(blendFlag, source, blend, destination, ratio, kind, r[0], r[1], r[2], r[3], r[4],
                             r[5], 0, r[6], r[7], arguments);
            break;
        }
        case 18: {
            const int size = a.Int(), thickness = a.Int(), type = a.Int(), edge = a.Int();
            const int font = CreateFontPublic(nullptr, size, thickness, type, -1, edge, a.Byte() & 1, -1);
            if (font >= 0) made.fonts.push_back(font);
            break;
        }
        case 19: {
            char text[17] = {};
            const int length = a.Byte() % 17;
            for (int i = 0; i < length; ++i) text[i] = char(a.Byte() | 1);
            const int x = a.Int(), y = a.Int();
            const uint32_t colour = a.Colour(), edge = a.Colour();
            DrawStringWithFont(x, y, text, colour, made.Font(a), edge, a.Byte() & 1);
            break;
        }
        case 20:
            ClearDrawTarget(nullptr);
            break;
        default: {
            const int graphic = made.Pick(a), r = a.Int(), g = a.Int(), b = a.Int(), alpha = a.Int();
            FillGraphicRect(graphic, r, g, b, alpha, 0);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096) return 0;
    if (!Start(data[0] & 1)) return 0;
    Arguments a(data + 1, size - 1);
    Made made;
    for (size_t calls = 0; calls < kMaxCalls && a.More(); ++calls) Call(a.Byte(), a, made);
    SelectDrawTarget(kDrawTargetBackBuffer);
    SetBlend(0, 0);
    SetBright(255, 255, 255);
    for (auto it = made.graphics.rbegin(); it != made.graphics.rend(); ++it) FreeGraphic(*it, 0);
    for (int font : made.fonts) DeleteHandle(font);
    return 0;
}

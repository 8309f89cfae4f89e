// Draws of a caller's vertex list through the device: DrawVertexArray2D (20-byte vertices, mapped to
// the graphic's first tile when asked) and DrawFilterRect (vertices already in the device layout).
#include <algorithm>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/kernels/shape_kernels.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/movie_record.h"

namespace {

constexpr int kNoGraphic = -5;

struct CallerVertex {
    float x, y, u, v;
    uint8_t colour[4];  // B, G, R, A
};
static_assert(sizeof(CallerVertex) == 20);
static_assert(sizeof(Vertex2DTex) == 28);

bool ValidVertexList(const void* vertices, int count, int primitiveType) {
    return vertices != nullptr && count >= 1 && primitiveType >= 1 && primitiveType <= 6;
}

// Bright and blend parameter must be put into the vertex colours.
bool ColourNeedsScaling() {
    return (drawSettings.bright & 0xFFFFFF) != 0xFFFFFF ||
           (drawSettings.blendMode != 0 && drawSettings.blendParam != 255);
}

// The colour (B, G, R, A in its bytes) scaled by the bright and the blend parameter.
D3DCOLOR ScaleColour(D3DCOLOR colour) {
    const auto& scale = g_softBlendTables.ScaleTable;
    uint32_t bright = drawSettings.bright;
    int alphaRow = drawSettings.blendMode == 0 ? 255 : std::clamp(drawSettings.blendParam, 0, 255);
    uint32_t b = scale[bright & 255][colour & 255] & 255;
    uint32_t g = scale[(bright >> 8) & 255][(colour >> 8) & 255] & 255;
    uint32_t r = scale[(bright >> 16) & 255][(colour >> 16) & 255] & 255;
    uint32_t a = scale[alphaRow][colour >> 24] & 255;
    return a << 24 | r << 16 | g << 8 | b;
}

IntRect VertexBounds(const Vertex2DTex* vertices, int count) {
    float minX = vertices[0].x, maxX = vertices[0].x, minY = vertices[0].y, maxY = vertices[0].y;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, vertices[i].x), maxX = std::max(maxX, vertices[i].x);
        minY = std::min(minY, vertices[i].y), maxY = std::max(maxY, vertices[i].y);
    }
    return ClampedRect(double(minX) - 1, double(minY) - 1, double(maxX) + 1, double(maxY) + 1);
}

// Every position one a draw can take (DrawableFloats).
bool DrawablePositions(const CallerVertex* vertices, int count) {
    for (int i = 0; i < count; ++i)
        if (!DrawableFloats({vertices[i].x, vertices[i].y})) return false;
    return true;
}

// The map into the first tile is needed unless that tile's texture is exactly the tile.
bool NeedsTileMapping(const GraphicEntry* graphic) {
    if (!GraphicHasTextures(graphic)) return false;
    if (graphic->drawTileCount != 1) return true;
    const GraphicDrawTile& tile = graphic->drawTiles[0];
    return tile.tile == nullptr || tile.width != tile.tile->textureWidth ||
           tile.height != tile.tile->textureHeight;
}

void FillDeviceVertices(const CallerVertex* in, int count, const GraphicEntry* mapTo, Vertex2DTex* out) {
    float scaleU = 1, scaleV = 1, offsetU = 0, offsetV = 0;
    if (mapTo != nullptr) {
        const GraphicDrawTile& tile = mapTo->drawTiles[0];
        float textureW = float(tile.tile->textureWidth), textureH = float(tile.tile->textureHeight);
        scaleU = float(tile.width) / textureW, offsetU = float(tile.textureX) / textureW;
        scaleV = float(tile.height) / textureH, offsetV = float(tile.textureY) / textureH;
    }
    bool scaleColour = ColourNeedsScaling();
    float z = GetDrawDepth2D();
    for (int i = 0; i < count; ++i) {
        D3DCOLOR colour;
        std::memcpy(&colour, in[i].colour, 4);
        out[i] = Vertex2DTex{in[i].x,
                             in[i].y,
                             z,
                             1.0f,
                             scaleColour ? ScaleColour(colour) : colour,
                             in[i].u * scaleU + offsetU,
                             in[i].v * scaleV + offsetV};
    }
}

// The device draw of a vertex list, wrapped in the mask and the subtraction emulation.
int DrawDeviceVertices(GraphicEntry* graphic, const Vertex2DTex* vertices, int count, int primitiveType,
                       const IntRect& rect) {
    return RunWrappedDraw(
        NeedsSubtractEmulation(true), [&] { return rect; },
        [&] { return D3DDrawVertices(0, 0, graphic, vertices, count, primitiveType, 0); });
}

// DrawFilterRect's copy buffer, kept between calls.
struct FilterVertexBuffer {
    Vertex2DTex* vertices = nullptr;
    int capacity = 0;
};
FilterVertexBuffer filterBuffer;

Vertex2DTex* FilterBufferFor(int count) {
    if (count <= filterBuffer.capacity) return filterBuffer.vertices;
    auto* grown =
        static_cast<Vertex2DTex*>(TrackedAlloc(sizeof(Vertex2DTex) * size_t(count), __FILE__, __LINE__));
    if (grown == nullptr) return nullptr;
    TrackedFree(filterBuffer.vertices);
    filterBuffer = FilterVertexBuffer{grown, count};
    return grown;
}

}  // namespace

int DrawVertexArray2D(const void* vertices, int count, int primitiveType, int handle, int transparent,
                      int mapToGraphic) {
    (void)transparent;
    if (!ValidVertexList(vertices, count, primitiveType)) return -1;
    if (!DrawablePositions(static_cast<const CallerVertex*>(vertices), count)) return -1;
    GraphicEntry* graphic = nullptr;
    if (handle != kNoGraphic) {
        graphic = LookupDrawableGraphic(handle, 0);
        if (graphic == nullptr) return -1;
    }
    bool mapped = graphic != nullptr && mapToGraphic && NeedsTileMapping(graphic);
    WaitIfWindowInactive();
    if (graphic != nullptr && graphic->movieHandle != -1) UpdateMovieFrame(graphic->movieHandle, 0);
    // Untextured lists are drawn by the device in Direct3D mode; nothing draws them in software.
    bool drawn = graphic != nullptr ? GraphicHasTextures(graphic) : Direct3DDrawing();
    if (!drawn) return 0;
    auto* buffer =
        static_cast<Vertex2DTex*>(TrackedAlloc(sizeof(Vertex2DTex) * size_t(count), __FILE__, __LINE__));
    if (buffer == nullptr) return -1;
    FillDeviceVertices(static_cast<const CallerVertex*>(vertices), count, mapped ? graphic : nullptr, buffer);
    int result = DrawDeviceVertices(graphic, buffer, count, primitiveType, VertexBounds(buffer, count));
    TrackedFree(buffer);
    return result;
}

int DrawFilterRect(const void* vertices, int count, int primitiveType, int handle, int transparent) {
    (void)transparent;
    if (!ValidVertexList(vertices, count, primitiveType)) return -1;
    GraphicEntry* graphic = nullptr;
    if (handle != kNoGraphic) {
        graphic = LookupDrawableGraphic(handle, 0);
        if (graphic == nullptr) return -1;
    }
    WaitIfWindowInactive();
    bool drawn = graphic != nullptr ? GraphicHasTextures(graphic) : Direct3DDrawing();
    if (!drawn) return 0;
    const auto* list = static_cast<const Vertex2DTex*>(vertices);
    if (ColourNeedsScaling()) {
        Vertex2DTex* copy = FilterBufferFor(count);
        if (copy == nullptr) return -1;
        for (int i = 0; i < count; ++i) copy[i] = list[i], copy[i].diffuse = ScaleColour(list[i].diffuse);
        list = copy;
    }
    IntRect area;
    GetDrawArea(&area);
    return DrawDeviceVertices(graphic, list, count, primitiveType, area);
}

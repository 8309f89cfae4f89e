#include "engine/graphics/device/texture_transfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/frame/message_pump.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/image/block_decode.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"
#include "platform/kernel/kernel32.h"

DxtLevelLayout DxtLevelLayoutOf(int dxtKind, int width, int height, int level) {
    if (dxtKind < 1 || dxtKind > 5 || width < 1 || height < 1 || level < 0 || level > 30) return {};
    const int levelWidth = std::max(1, width >> level);
    const int levelHeight = std::max(1, height >> level);
    const int blockBytes = dxtKind == 1 ? 8 : 16;
    DxtLevelLayout layout;
    layout.blockRows = (levelHeight + 3) / 4;
    layout.rowBytes = (levelWidth + 3) / 4 * blockBytes;
    layout.bytes = layout.blockRows * layout.rowBytes;
    return layout;
}

namespace {

// 1..5 for DXT1..DXT5, else 0.
int DxtKindOf(D3DFORMAT format) {
    for (int kind = 1; kind <= 5; ++kind)
        if (format == D3DFORMAT(MAKEFOURCC('D', 'X', 'T', '0' + kind))) return kind;
    return 0;
}

bool IsDxtFormat(D3DFORMAT format) {
    return DxtKindOf(format) != 0;
}

int Width(const RECT& r) {
    return int(r.right - r.left);
}
int Height(const RECT& r) {
    return int(r.bottom - r.top);
}

// A source with a pitch of 0 (its alpha image too, if any) shows the same row on every row.
bool RowsRepeat(const TextureTransfer& t) {
    return t.base->pitch == 0 && (!t.alpha || t.alpha->pitch == 0);
}

// Converts the transfer's rectangle to (x, y) of a locked buffer. The conversion of a pixel depends on
// that pixel alone, so repeated rows are converted once and copied down.
void Convert(void* pixels, int pitch, const ColorFormat* format, const TextureTransfer& t, int x, int y) {
    const SoftImage* a = t.alpha;
    const bool repeat = RowsRepeat(t);
    RECT source = t.source;
    if (repeat) source.bottom = source.top + 1;
    ConvertPixelFormatBlit(pixels, pitch, format, t.base->pixels, t.base->pitch, &t.base->format,
                           a ? a->pixels : nullptr, a ? a->pitch : 0, a ? &a->format : nullptr, x, y, &source,
                           0, t.keyToAlpha, t.keyColor, 0, 0, 0, 0, 0);
    if (!repeat) return;
    const size_t rowBytes = size_t(Width(t.source)) * size_t(format->pixelBytes);
    uint8_t* first = static_cast<uint8_t*>(pixels) + int64_t(y) * pitch + x * format->pixelBytes;
    for (int row = 1; row < Height(t.source); ++row)
        std::memcpy(first + int64_t(row) * pitch, first, rowBytes);
}

int WriteLevel(IDirect3DTexture9* texture, int level, const TextureTransfer& t, const char* lockFailure,
               int onWorker) {
    const RECT area{t.destX, t.destY, t.destX + Width(t.source), t.destY + Height(t.source)};
    D3DLOCKED_RECT locked{};
    if (FAILED(ForwardLockTextureRect(texture, UINT(level), &locked, &area, 0, onWorker))) {
        LogText(lockFailure);
        return -1;
    }
    Convert(locked.pBits, int(locked.Pitch), GetColorFormatDescriptor(uint32_t(t.format)), t, 0, 0);
    ForwardUnlockTextureRect(texture, UINT(level), onWorker);
    return 0;
}

bool RefuseDxt(D3DFORMAT format) {
    if (!IsDxtFormat(format)) return false;
    LogText("DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません\n");
    return true;
}

// The transfer's image holds blocks of the texture's own DXT kind.
bool SameDxtKind(const TextureTransfer& t) {
    return IsDxtFormat(t.format) && t.base->format.formatCode == DxtKindOf(t.format);
}

// Level `level` of a block-compressed image: its blocks and its layout.
const uint8_t* DxtLevelBits(const SoftImage& image, int level, DxtLevelLayout* layout) {
    const int kind = image.format.formatCode;
    const uint8_t* bits = static_cast<const uint8_t*>(image.pixels);
    for (int i = 0; i < level; ++i) bits += DxtLevelLayoutOf(kind, image.width, image.height, i).bytes;
    *layout = DxtLevelLayoutOf(kind, image.width, image.height, level);
    return bits;
}

// The blocks of `source` (of level `level` of the image, sized w x h) copied to (destX, destY) of the
// texture level. The rectangle must start on a block edge and end on one or at the level's edge; a whole
// level is locked whole (levels under a block are locked so).
int CopyDxtBlocks(IDirect3DTexture9* texture, int level, const TextureTransfer& t, const char* lockFailure,
                  int onWorker) {
    DxtLevelLayout layout{};
    const uint8_t* bits = DxtLevelBits(*t.base, level, &layout);
    const int w = std::max(1, t.base->width >> level), h = std::max(1, t.base->height >> level);
    const RECT& r = t.source;
    auto blockEdge = [](int v, int size) { return v % 4 == 0 || v == size; };
    if (r.left % 4 != 0 || r.top % 4 != 0 || !blockEdge(int(r.right), w) || !blockEdge(int(r.bottom), h) ||
        t.destX % 4 != 0 || t.destY % 4 != 0) {
        LogText("DXTフォーマットのテクスチャへの転送位置がブロック境界にありません\n");
        return -1;
    }
    const int across = (int(r.right) + 3) / 4 - int(r.left) / 4,
              down = (int(r.bottom) + 3) / 4 - int(r.top) / 4;
    const bool whole =
        r.left == 0 && r.top == 0 && r.right == w && r.bottom == h && t.destX == 0 && t.destY == 0;
    const RECT area{t.destX, t.destY, t.destX + across * 4, t.destY + down * 4};
    D3DLOCKED_RECT locked{};
    if (FAILED(ForwardLockTextureRect(texture, UINT(level), &locked, whole ? nullptr : &area, 0, onWorker))) {
        LogText(lockFailure);
        return -1;
    }
    const int blockBytes = t.base->format.formatCode == 1 ? 8 : 16;
    for (int row = 0; row < down; ++row)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + int64_t(row) * locked.Pitch,
                    bits + int64_t(int(r.top) / 4 + row) * layout.rowBytes + int64_t(r.left / 4) * blockBytes,
                    size_t(across) * size_t(blockBytes));
    ForwardUnlockTextureRect(texture, UINT(level), onWorker);
    return 0;
}

// Of a DXT texture: the image's blocks of level 0, and, where the image covers the texture exactly from
// (0, 0) and has its levels, every further level straight from the image.
int TransferDxtLevels(IDirect3DTexture9* texture, int levels, const TextureTransfer& t,
                      const char* lockFailure, int onWorker) {
    if (CopyDxtBlocks(texture, 0, t, lockFailure, onWorker) != 0) return -1;
    const bool covers = t.source.left == 0 && t.source.top == 0 && t.destX == 0 && t.destY == 0 &&
                        int(t.source.right) == t.base->width && int(t.source.bottom) == t.base->height &&
                        t.base->mipCount >= levels;
    if (!covers) return 0;
    for (int level = 1; level < levels; ++level) {
        TextureTransfer part = t;
        part.source = RECT{0, 0, std::max(1, t.base->width >> level), std::max(1, t.base->height >> level)};
        if (CopyDxtBlocks(texture, level, part, lockFailure, onWorker) != 0) return -1;
    }
    return 0;
}

// The 2 x 2 average of an ARGB image, each edge halved and kept at least 1.
int HalveArgbImage(const SoftImage& from, SoftImage* to) {
    const int w = std::max(1, from.width / 2), h = std::max(1, from.height / 2);
    if (CreateSoftImageArgb8(w, h, to) < 0) return -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const int sx = std::min(from.width - 1, 2 * x + (k & 1));
                const int sy = std::min(from.height - 1, 2 * y + (k >> 1));
                const uint8_t* p = static_cast<const uint8_t*>(from.pixels) + sy * from.pitch + sx * 4;
                for (int c = 0; c < 4; ++c) sum[c] += p[c];
            }
            uint8_t* q = static_cast<uint8_t*>(to->pixels) + y * to->pitch + x * 4;
            for (int c = 0; c < 4; ++c) q[c] = uint8_t(sum[c] / 4);
        }
    }
    return 0;
}

}  // namespace

int TransferImageToSingleTexture(IDirect3DTexture9* texture, const TextureTransfer& transfer, int onWorker) {
    if (SameDxtKind(transfer))
        return TransferDxtLevels(texture, 1, transfer, "テクスチャのロックに失敗しました\n", onWorker);
    if (RefuseDxt(transfer.format)) return 0;
    return WriteLevel(texture, 0, transfer, "テクスチャのロックに失敗しました\n", onWorker);
}

int TransferImageToMipTexture(IDirect3DTexture9* texture, int levels, const TextureTransfer& transfer,
                              int onWorker) {
    const char* failure = "ミップマップテクスチャのロックに失敗しました\n";
    if (SameDxtKind(transfer)) return TransferDxtLevels(texture, levels, transfer, failure, onWorker);
    if (RefuseDxt(transfer.format)) return 0;
    if (WriteLevel(texture, 0, transfer, failure, onWorker) != 0) return -1;
    SoftImage work{};
    if (CreateSoftImageArgb8(Width(transfer.source), Height(transfer.source), &work) < 0) return -1;
    Convert(work.pixels, work.pitch, &work.format, transfer, 0, 0);
    int result = 0;
    for (int level = 1; level < levels && result == 0; ++level) {
        SoftImage half{};
        result = HalveArgbImage(work, &half);
        ReleaseSoftImage(&work);
        if (result != 0) break;
        work = half;
        TextureTransfer next{transfer.format,
                             &work,
                             nullptr,
                             RECT{0, 0, work.width, work.height},
                             transfer.destX >> level,
                             transfer.destY >> level,
                             0,
                             0};
        result = WriteLevel(texture, level, next, failure, onWorker);
    }
    ReleaseSoftImage(&work);
    return result;
}

namespace {

// A part of the graphic held by one texture: the region [x1, x2) x [y1, y2) in the transfer's
// destination coordinates, and where the region's top-left corner lies in the texture.
struct TextureRegion {
    RECT region;
    int textureX, textureY;
    GraphicTextureTile* tile;
};

std::vector<TextureRegion> RegionsOf(GraphicEntry* entry, int wholeBlock) {
    std::vector<TextureRegion> regions;
    GraphicImageBlock* block = entry->block;
    if (wholeBlock) {
        GraphicTextureTile* tiles = &block->tiles[0];
        for (int i = 0; i < block->textureCount; ++i) {
            const GraphicTextureTile& t = tiles[i];
            regions.push_back({RECT{t.x, t.y, t.x + t.usedWidth, t.y + t.usedHeight}, 0, 0, &tiles[i]});
        }
        return regions;
    }
    const GraphicDrawTile* records = entry->drawTiles;
    for (int i = 0; i < entry->drawTileCount; ++i) {
        const GraphicDrawTile& d = records[i];
        regions.push_back({RECT{d.x, d.y, d.x + d.width, d.y + d.height}, d.textureX, d.textureY, d.tile});
    }
    return regions;
}

bool AllOfShapeBusy(int width, int height, int levels, int formatIndex) {
    int busy = 0;
    for (const MemoryTexture& m : memoryTexturePool.entries)
        if (m.inUse && m.busy && m.width == width && m.height == height && m.levelCount == levels &&
            m.formatIndex == formatIndex)
            ++busy;
    return busy >= kMemoryTextureShapeLimit;
}

// A staging texture of the shape. Waits only while every one of the shape is lent out; a texture that
// cannot be made gives -1 at once.
int AcquireStaging(int width, int height, int levels, int formatIndex, int async) {
    for (;;) {
        const int slot = AcquireMemoryTexture(width, height, levels, formatIndex, async);
        if (slot >= 0) return slot;
        if (!AllOfShapeBusy(width, height, levels, formatIndex)) return -1;
        if (!async && PumpMessagesCore() != 0) return -1;
        Sleep(1);
    }
}

struct Upload {
    GraphicImageBlock* block;
    D3DFORMAT format;
    TextureTransfer whole;  // the clipped rectangle at the destination position
    IDirect3DSurface9* staging;
    int async;
};

int ConvertInto(IDirect3DTexture9* texture, const TextureTransfer& t, int async, int levels) {
    return levels < 2 ? TransferImageToSingleTexture(texture, t, async)
                      : TransferImageToMipTexture(texture, levels, t, async);
}

int UploadRegion(const Upload& u, const TextureRegion& r) {
    const TextureTransfer& w = u.whole;
    const int dx1 = std::max(int(r.region.left), w.destX), dy1 = std::max(int(r.region.top), w.destY);
    const int dx2 = std::min(int(r.region.right), w.destX + Width(w.source));
    const int dy2 = std::min(int(r.region.bottom), w.destY + Height(w.source));
    if (dx1 >= dx2 || dy1 >= dy2) return 0;
    const int tx = dx1 - int(r.region.left) + r.textureX, ty = dy1 - int(r.region.top) + r.textureY;
    GraphicTextureTile* tile = r.tile;
    if (!tile->texture) return -1;
    if (u.staging) {
        const RECT from{dx1 - w.destX, dy1 - w.destY, dx2 - w.destX, dy2 - w.destY};
        const POINT to{tx, ty};
        if (FAILED(ForwardUpdateSurface(u.staging, &from, tile->surface, &to, u.async))) {
            LogText("描画可能テクスチャへの画像の転送に失敗しました\n");
            return -1;
        }
        return 0;
    }
    TextureTransfer part = w;
    part.source = RECT{w.source.left + dx1 - w.destX, w.source.top + dy1 - w.destY,
                       w.source.left + dx2 - w.destX, w.source.top + dy2 - w.destY};
    part.destX = tx;
    part.destY = ty;
    const int levels = u.block->mipLevels;
    if (u.block->description.creationSetting && !IsDirect3D9Ex())  // a managed texture is written directly
        return ConvertInto(tile->texture, part, u.async, levels);
    const int slot =
        AcquireStaging(tile->textureWidth, tile->textureHeight, levels, u.block->format, u.async);
    if (slot < 0) return -1;
    IDirect3DTexture9* staging = memoryTexturePool.entries[slot].texture;
    int result = ConvertInto(staging, part, u.async, levels);
    if (result == 0 && FAILED(ForwardUpdateTexture(staging, tile->texture, u.async))) result = -1;
    ReturnMemoryTexture(slot, u.async);
    return result;
}

// A render target receives the rectangle through one system-memory surface of its size.
int MakeStagingSurface(Upload* u) {
    const int w = Width(u->whole.source), h = Height(u->whole.source);
    if (FAILED(ForwardCreateOffscreenPlainSurface(UINT(w), UINT(h), u->format, D3DPOOL_SYSTEMMEM, &u->staging,
                                                  nullptr, u->async))) {
        u->staging = nullptr;
        LogText("画像転送用のシステムメモリテクスチャの作成に失敗しました\n");
        return -1;
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(ForwardLockSurfaceRect(u->staging, &locked, nullptr, D3DLOCK_DISCARD, u->async))) return -1;
    Convert(locked.pBits, int(locked.Pitch), GetColorFormatDescriptor(uint32_t(u->format)), u->whole, 0, 0);
    ForwardUnlockSurface(u->staging, u->async);
    return 0;
}

int UploadToTextures(GraphicEntry* entry, TextureTransfer whole, int wholeBlock, int async) {
    if (!HasD3DDevice()) return -1;
    Upload u{entry->block, TextureFormatOfIndex(entry->block->format), whole, nullptr, async};
    u.whole.format = u.format;
    const ColorFormat* format = GetColorFormatDescriptor(uint32_t(u.format));
    if (!format && !SameDxtKind(u.whole)) return -1;
    u.whole.keyToAlpha = u.whole.keyToAlpha && format && format->alphaWidth > 0 && !whole.alpha;
    int result = entry->block->description.renderTarget ? MakeStagingSurface(&u) : 0;
    if (result == 0)
        for (const TextureRegion& r : RegionsOf(entry, wholeBlock))
            if ((result = UploadRegion(u, r)) != 0) break;
    if (u.staging) ForwardRelease(u.staging, async);
    return result;
}

// The graphic's software image takes the rectangle, clipped to the graphic.
int UploadToSoftware(GraphicEntry* entry, const TextureTransfer& t) {
    const RECT& s = t.source;
    const int x1 = std::max(0, t.destX), y1 = std::max(0, t.destY);
    const int x2 = std::min(entry->width, t.destX + Width(s)),
              y2 = std::min(entry->height, t.destY + Height(s));
    if (x1 >= x2 || y1 >= y2) return -1;
    return TransferBaseImageToMemImg(t.base, t.alpha, &entry->block->image, int(s.left) + x1 - t.destX,
                                     int(s.top) + y1 - t.destY, x2 - x1, y2 - y1, entry->x + x1,
                                     entry->y + y1, t.keyToAlpha);
}

// Clips the rectangle to the image, moving the destination with its top-left corner. false when empty.
bool ClipToImage(const SoftImage* image, RECT* r, int* destX, int* destY) {
    const int left = std::max(0, int(r->left)), top = std::max(0, int(r->top));
    *destX += left - int(r->left);
    *destY += top - int(r->top);
    *r = RECT{left, top, std::min(int(r->right), image->width), std::min(int(r->bottom), image->height)};
    return r->right > r->left && r->bottom > r->top;
}

// A plain 32-bit copy of a block-compressed image (released by the caller).
int DecodedCopy(const SoftImage* image, SoftImage* copy) {
    const int bytes = GetImageDataSize(image);
    *copy = *image;
    copy->pixels = TrackedAlloc(size_t(bytes), "texture transfer", __LINE__);
    if (!copy->pixels ||
        (std::memcpy(copy->pixels, image->pixels, size_t(bytes)), DecodeBlockCompressedImage(copy)) < 0) {
        TrackedFree(copy->pixels);
        *copy = SoftImage{};
        LogText("標準イメージ用のメモリ確保に失敗しました\n");
        return -1;
    }
    return 0;
}

}  // namespace

int TransferImageToTextures(int graphic, const SoftImage* base, const SoftImage* alpha, const RECT& source,
                            int destX, int destY, int colourKey, int wholeBlock, int async) {
    if (!graphicsStarted || !base) return -1;
    GraphicEntry* entry = LookupGraphic(graphic, async);
    if (!entry || !entry->block) return -1;
    if (HasD3DDevice()) FlushVertexBatch(async);
    RECT r = source;
    if (Width(r) < 1 || Height(r) < 1) return 0;
    if (!ClipToImage(base, &r, &destX, &destY)) return 0;
    if (alpha && (alpha->width < r.right || alpha->height < r.bottom)) return -1;
    SoftImage decoded{};
    // Blocks go into textures of their own DXT kind as they are; anything else takes decoded pixels.
    const bool textures = entry->block->description.hasTextures != 0;
    const bool keepBlocks = textures && DxtKindOf(TextureFormatOfIndex(entry->block->format)) != 0 &&
                            DxtKindOf(TextureFormatOfIndex(entry->block->format)) == base->format.formatCode;
    const bool compressed = base->format.formatCode >= 1 && base->format.formatCode <= 5 && !keepBlocks;
    if (compressed && DecodedCopy(base, &decoded) != 0) return -1;
    TextureTransfer t{D3DFORMAT(0), compressed ? &decoded : base,  alpha, r, destX, destY,
                      colourKey,    entry->block->transparentColor};
    const int result = textures ? UploadToTextures(entry, t, wholeBlock, async) : UploadToSoftware(entry, t);
    if (compressed) ReleaseSoftImage(&decoded);
    return result;
}

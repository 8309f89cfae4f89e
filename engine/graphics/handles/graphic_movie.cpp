#include "engine/graphics/handles/graphic_movie.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_setup.h"
#include "engine/text_movie/movie_record.h"
#include "engine/text_movie/theora_movie.h"

namespace {

// The movie's frame can come as a YUV surface stretched straight onto the graphic's texture.
bool MovieOffersSurface(const MovieRecord* movie) {
    return movie->theora && !movie->halfWidth && GetTheoraSurface(movie->decoder) != nullptr;
}

// The texture surface a YUV surface is stretched onto: the one tile of a render-target graphic, covering
// the whole frame from its corner. Null otherwise (the frame then goes through the image).
IDirect3DSurface9* SurfaceTargetOf(const GraphicEntry* entry, const MovieRecord* movie) {
    const GraphicImageBlock* block = entry->block;
    if (!movie->theora || movie->halfWidth || !block || !block->description.hasTextures ||
        !block->description.renderTarget || block->textureCount != 1)
        return nullptr;
    const GraphicTextureTile& tile = block->tiles[0];
    const bool covers = entry->x == 0 && entry->y == 0 && tile.x == 0 && tile.y == 0 &&
                        tile.usedWidth == movie->width && tile.usedHeight == movie->height;
    return covers ? tile.surface : nullptr;
}

// Converts the shown frame into the movie's surface and stretches it onto the texture. True when the
// texture holds the frame, false when the frame must go through the image. again: the surface holds a
// frame that the texture has not had yet.
bool SurfaceToTexture(MovieRecord* movie, IDirect3DSurface9* target, int again, int async) {
    TheoraMovie* decoder = movie->decoder;
    if (decoder->surfaceCurrent && decoder->surface && !again) return true;
    UpdateTheoraImage(decoder, 0, 1, async);
    if (!decoder->surfaceCurrent || !decoder->surface) return false;
    if (HasD3DDevice()) FlushVertexBatch(async);
    const RECT frame{0, 0, movie->width, movie->height};
    auto* source = static_cast<IDirect3DSurface9*>(decoder->surface);
    return SUCCEEDED(
        Forwarding<&DeviceStretchRect>::Run(async, source, &frame, target, &frame, D3DTEXF_NONE));
}

// Rows are copied straight only between the same pixel layouts (sizes, channels and the bits outside
// them); every other image is converted by the transfer.
bool SameSoftLayout(const SoftImage& image, const GraphicEntry* entry) {
    const MemImgBase* base = entry->block->image.base;
    if (!base || base->hasPalette || !base->colorFormat) return false;
    const ColorFormat& a = image.format;
    const ColorFormat& b = *base->colorFormat;
    return a.formatCode == 0 && a.pixelBytes == base->pixelBytes && a.pixelBytes == b.pixelBytes &&
           a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
           a.alphaMask == b.alphaMask && a.fillMask == b.fillMask;
}

void CopyRowsToSoftView(const SoftImage& image, GraphicEntry* entry) {
    MEMIMG& view = entry->softView;
    const int pitch = view.base->pitch;
    const int width = std::min(image.width, view.width), height = std::min(image.height, view.height);
    for (int row = 0; row < height; ++row)
        std::memcpy(view.pixels + ptrdiff_t(row) * pitch,
                    static_cast<const uint8_t*>(image.pixels) + ptrdiff_t(row) * image.pitch,
                    size_t(width) * image.format.pixelBytes);
    MarkMemImgDrawn(view.base);
}

// The movie's current image into the graphic; with its alpha beside the picture, the left half is the
// picture and the right half its alpha.
int ImageToGraphic(const MovieRecord* movie, int graphic, GraphicEntry* entry, int async) {
    const SoftImage* image = movie->currentImage;
    if (!entry || !image || !image->pixels || image->width < 1) return 0;
    if (!entry->block->description.hasTextures && !movie->halfWidth && SameSoftLayout(*image, entry)) {
        CopyRowsToSoftView(*image, entry);
        return 0;
    }
    SoftImage base = *image, alpha = *image;
    if (movie->halfWidth) {
        base.width = alpha.width = image->width / 2;
        alpha.pixels =
            static_cast<uint8_t*>(image->pixels) + ptrdiff_t(base.width) * image->format.pixelBytes;
    }
    const RECT whole{0, 0, base.width, base.height};
    return TransferImageToTextures(graphic, &base, movie->halfWidth ? &alpha : nullptr, whole, 0, 0,
                                   kTransferColourKey, 0, async);
}

// The movie's shown frame into the graphic, unless the graphic has it already. again: the movie holds
// a converted frame that the graphic has not had yet.
int FrameToGraphic(MovieRecord* movie, int graphic, int again, int async) {
    GraphicEntry* entry = LookupGraphic(graphic, async);
    if (!movie || !entry || !entry->block) return -1;
    if (movie->theora) {
        TheoraMovie* decoder = movie->decoder;
        IDirect3DSurface9* target = SurfaceTargetOf(entry, movie);
        const bool surface = decoder->surface || decoder->surfaceInvalid.load();
        if (target && surface && SurfaceToTexture(movie, target, again, async)) return 0;
        const bool converted = again && decoder->imageCurrent;
        if (!converted && UpdateTheoraImage(decoder, 1, 0, async) == 0) return 0;
    }
    return ImageToGraphic(movie, graphic, LookupGraphic(graphic, async), async);
}

}  // namespace

int FileOpens(const char* path) {
    const uintptr_t file = CallFileOpen(path, 1, 1, 0);
    if (file == 0) return 0;
    CallFileClose(file);
    return 1;
}

int LoadMovieFileToGraphic(int widthHint, int graphic, const char* fileName, int options) {
    return LoadMovieFileToGraphicCore(widthHint, graphic, fileName, options, 0);
}

int LoadMovieFileToGraphicCore(int, int graphic, const char* fileName, int, int relaxed) {
    int width = 0, height = 0;
    const int movie = OpenMovie(nullptr, fileName, &width, &height, 0, relaxed);
    MovieRecord* record = movie >= 0 ? GetMovieData(movie) : nullptr;
    if (!record) {
        LogPrintf("右記のグラフィックファイルのロードに失敗しました：%s ", fileName);
        return -1;
    }
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_BIT_DEPTH] = GetColorDepth() == 32 ? 32 : 16;
    // A frame that comes as a YUV surface is stretched onto the texture, which StretchRect allows only
    // for a render target.
    if (MovieOffersSurface(record)) params.words[CREATE_DRAW_TARGET] = 1;
    if (record->halfWidth) width /= 2;
    if (SetupGraphicFromImage(params, graphic, width, height, 0, 0, 0, 0, -1, relaxed) != 0) {
        LogPrintf("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s", fileName);
        DeleteHandle(movie);
        return -1;
    }
    GraphicEntry* entry = LookupGraphic(graphic, relaxed);
    if (!entry) {
        DeleteHandle(movie);
        return -1;
    }
    entry->movieHandle = movie;
    // The callback finds the graphic by its handle: the entry moves when its draw tiles grow.
    SetMovieFrameCallback(movie, MovieFrameToGraphic, reinterpret_cast<void*>(uintptr_t(graphic)));
    // The open converted the first frame already, so no update would find one to put into the graphic
    // before the movie moves on: the graphic takes the frame now.
    FrameToGraphic(record, graphic, 1, relaxed);
    return 0;
}

void MovieFrameToGraphic(MovieRecord* movie, void* parameter) {
    FrameToGraphic(movie, int(reinterpret_cast<uintptr_t>(parameter)), 0, 0);
}

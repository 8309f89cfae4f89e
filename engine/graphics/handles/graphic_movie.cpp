#include "engine/graphics/handles/graphic_movie.h"

#include <cstdint>

#include "engine/core/files/file_access.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/texture_transfer.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_setup.h"
#include "engine/text_movie/movie_record.h"

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
    const int movie = OpenMovie(nullptr, fileName, &width, &height, 0, 0);
    MovieRecord* record = movie >= 0 ? GetMovieData(movie) : nullptr;
    if (!record) {
        LogPrintf("右記のグラフィックファイルのロードに失敗しました：%s \n", fileName);
        return -1;
    }
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_BIT_DEPTH] = GetColorDepth() == 32 ? 32 : 16;
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
    SetMovieFrameCallback(movie, MovieFrameToGraphic, reinterpret_cast<void*>(intptr_t(graphic)));
    return 0;
}

void MovieFrameToGraphic(MovieRecord* movie, void* parameter) {
    const int graphic = int(reinterpret_cast<intptr_t>(parameter));
    if (!movie || !LookupGraphic(graphic, 0)) return;
    const SoftImage* image = movie->currentImage ? movie->currentImage : &movie->frameImage;
    if (!image->pixels || image->width < 1) return;
    SoftImage base = *image;
    SoftImage alpha = *image;
    const bool alphaBeside = movie->halfWidth != 0;
    if (alphaBeside) {
        base.width = alpha.width = image->width / 2;
        alpha.pixels = static_cast<uint8_t*>(image->pixels) + base.width * image->format.pixelBytes;
    }
    const RECT whole{0, 0, base.width, base.height};
    TransferImageToTextures(graphic, &base, alphaBeside ? &alpha : nullptr, whole, 0, 0, kTransferColourKey,
                            0, 0);
}

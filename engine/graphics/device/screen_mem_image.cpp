#include "engine/graphics/device/screen_mem_image.h"

#include <cstring>
#include <initializer_list>

#include "engine/core/memory/fatal_exit.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/image/color_format.h"
#include "engine/softrender/soft_draw_entries.h"

ScreenMemImages screenMemImages;

int CreateScreenMemImage() {
    int width = 0;
    int height = 0;
    int colorBits = 0;
    GetScreenSize(&width, &height, &colorBits);
    MemImgKind kind = colorBits == 16 ? 0 : 1;
    ReleaseScreenMemImages();
    if (CreateMemImg(&screenMemImages.screen, width, height, kind) != 0)
        FatalLibraryExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
    for (MEMIMG& view : screenMemImages.views) {
        std::memset(&view, 0, sizeof(view));
        CreateMemImgView(&view, &screenMemImages.screen, 0, 0, width, height);
    }
    const int32_t whole[4] = {0, 0, width, height};
    uint32_t black = MakePixelValue(screenMemImages.screen.base->colorFormat, 0, 0, 0, 0);
    FillMemImgRect(&screenMemImages.screen, whole, black);
    g_softDrawSurfaces.target = &screenMemImages.screen;
    return 0;
}

int ReleaseScreenMemImages() {
    for (MEMIMG* image : {&screenMemImages.views[0], &screenMemImages.views[1], &screenMemImages.screen}) {
        if (g_softDrawSurfaces.target == image) g_softDrawSurfaces.target = nullptr;
        if (IsMemImgValid(image)) ReleaseMemImg(image);
        std::memset(image, 0, sizeof(*image));
    }
    return 0;
}

MEMIMG* GetScreenMemImage() {
    return IsMemImgValid(&screenMemImages.screen) ? &screenMemImages.screen : nullptr;
}

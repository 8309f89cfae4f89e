#include "engine/graphics/handles/graphics_restore.h"

#include <cstring>

#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/handles/graphic_reload_source.h"
#include "engine/image/image_loader.h"

namespace {

// The images last read from a file or file image, kept while the next graphics use the same source.
struct LoadedImages {
    const GraphicReloadSource* source = nullptr;
    int fromFile = 0;
    SoftImage base{};
    SoftImage alpha{};
    int hasAlpha = 0;

    void Release() {
        if (!source) return;
        ReleaseSoftImage(&base);
        if (hasAlpha) ReleaseSoftImage(&alpha);
        source = nullptr;
        hasAlpha = 0;
    }
};

bool SameFileSource(const GraphicReloadSource* a, const GraphicReloadSource* b) {
    return std::strcmp(a->fileName, b->fileName) == 0 && a->flag == b->flag;
}

bool SameMemorySource(const GraphicReloadSource* a, const GraphicReloadSource* b) {
    return a->data == b->data && a->dataSize == b->dataSize && a->alphaData == b->alphaData;
}

// Brings the images of a file or memory source into `loaded`, reading only when the last read source
// differs. 0, or -1 (logged) when the images cannot be read.
int LoadSourceImages(const GraphicReloadSource* source, LoadedImages* loaded) {
    const int fromFile = source->fileName ? 1 : 0;
    if (loaded->source && loaded->fromFile == fromFile &&
        (fromFile ? SameFileSource(loaded->source, source) : SameMemorySource(loaded->source, source)))
        return 0;
    loaded->Release();
    SoftImage base{}, alpha{};
    const int result = fromFile ? LoadSoftImageWithAlphaDefault(source->fileName, nullptr, 0, 0, nullptr, 0,
                                                                0, &base, &alpha, 0)
                                : LoadSoftImageWithAlphaDefault(nullptr, source->data, source->dataSize, 1,
                                                                source->alphaData, source->alphaDataSize,
                                                                source->alphaData ? 1 : 2, &base, &alpha, 0);
    if (result < 0) {
        if (fromFile)
            LogPrintf("ファイル:%s がロードできませんでした", source->fileName);
        else
            LogText("メモリからの画像データのローができませんでした");
        return -1;
    }
    loaded->source = source;
    loaded->fromFile = fromFile;
    loaded->base = base;
    loaded->alpha = alpha;
    loaded->hasAlpha = result == 0 ? 1 : 0;
    return 0;
}

void RestoreGraphic(int handle, const GraphicEntry* entry, LoadedImages* loaded) {
    const GraphicReloadSource* source = entry->reloadSource;
    const SoftImage* base = source->baseImage;
    const SoftImage* alpha = source->alphaImage;
    if (!base) {
        if (LoadSourceImages(source, loaded) != 0) return;
        base = &loaded->base;
        alpha = loaded->hasAlpha ? &loaded->alpha : nullptr;
    }
    TransferImageToGraphicCore(base, alpha, entry->originX, entry->originY, handle, kTransferColourKey, 0);
}

}  // namespace

int RestoreAllGraphics() {
    LogText("グラフィックを復帰します\n");
    const HandleTypeRecord& graphics = handleTypes[kGraphicHandleType];
    LoadedImages loaded;
    if (graphics.registered && graphics.count != 0) {
        for (int i = graphics.lowest; i <= graphics.highest && i < graphics.limit; ++i) {
            const auto* entry = static_cast<const GraphicEntry*>(graphics.slots[i]);
            if (!entry || !entry->reloadSource) continue;
            RestoreGraphic(int(entry->header.handle), entry, &loaded);
        }
    }
    loaded.Release();
    LogText("グラフィックの復帰が完了しました\n");
    return 0;
}

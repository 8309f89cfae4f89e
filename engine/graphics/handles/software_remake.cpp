#include "engine/graphics/handles/software_remake.h"

#include <cstring>

#include "engine/core/memory/handle_manager.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/graphics_services.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/graphics/handles/graphic_setup.h"

namespace {

// The description a graphic of this kind gets when made in software mode.
GraphicDescription SoftwareDescription(const GraphicDescription& d) {
    GraphicDescription s{};
    s.alphaChannel = d.alphaChannel;
    s.renderTarget = d.blendImage ? 0 : 1;
    s.softwareMode = 1;
    s.bitDepth = uint8_t(GetColorDepth() == 32 ? 32 : 16);
    s.blendImage = d.blendImage;
    s.oneChannel = d.oneChannel;
    return s;
}

// Drops the block's device objects and gives it an empty software image; its device shape is kept for
// the device's return. 0 or -1.
int RemakeBlock(GraphicImageBlock* block) {
    ReleaseGraphicDeviceObjects(block);
    block->keptDeviceShape = KeptDeviceShape{block->description, block->format, block->renderTargetOption,
                                             block->mipLevels, block->textureCount};
    block->description = SoftwareDescription(block->description);
    block->textureCount = 0;
    block->mipLevels = 0;
    block->renderTargetOption = 0;
    return FillSoftwareImageBlock(block);
}

// The software image goes and the kept device shape comes back, tiles and all; the textures are made
// by the caller.
void RestoreDeviceShape(GraphicImageBlock* block) {
    const KeptDeviceShape& kept = block->keptDeviceShape;
    ReleaseMemImg(&block->image);
    std::memset(&block->image, 0, sizeof block->image);
    block->description = kept.description;
    block->format = kept.format;
    block->renderTargetOption = kept.renderTargetOption;
    block->mipLevels = kept.mipLevels;
    block->textureCount = kept.textureCount;
    block->keptDeviceShape = KeptDeviceShape{};
}

// Every graphic that has an image block, in slot order. A visit may grow the handle data it is given.
template <class Visit>
void ForEachGraphicWithBlock(Visit visit) {
    const HandleTypeRecord& graphics = handleTypes[kGraphicHandleType];
    if (!graphics.registered || graphics.count == 0) return;
    for (int i = graphics.lowest; i <= graphics.highest && i < graphics.limit; ++i) {
        auto* entry = static_cast<GraphicEntry*>(graphics.slots[i]);
        if (entry && entry->block) visit(entry);
    }
}

}  // namespace

int RemakeGraphicsAsSoftwareImages() {
    ForEachGraphicWithBlock([](GraphicEntry* entry) {
        // The first graphic of a shared block remakes it; the draw tiles mark the graphics whose view
        // is still to be made.
        if (entry->block->description.hasTextures) RemakeBlock(entry->block);
        if (entry->drawTileCount == 0) return;
        entry->drawTileCount = 0;
        BuildGraphicDrawInfo(int(entry->header.handle), 1);
    });
    return 0;
}

int RemakeGraphicsForDevice() {
    ForEachGraphicWithBlock([](GraphicEntry* entry) {
        // The first graphic of a shared block restores it; the software views mark the graphics whose
        // draw tiles are still to be made.
        if (entry->block->keptDeviceShape.description.hasTextures) RestoreDeviceShape(entry->block);
        if (!entry->block->description.hasTextures || !IsMemImgValid(&entry->softView)) return;
        ReleaseMemImg(&entry->softView);
        BuildGraphicDrawInfo(int(entry->header.handle), 1);
    });
    return 0;
}

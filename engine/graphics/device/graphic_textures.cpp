#include "engine/graphics/device/graphic_textures.h"

#include "engine/core/memory/log.h"
#include "engine/graphics/device/device_forwarding.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/draw/device_buffers.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/software_remake.h"
#include "engine/text_movie/movie_record.h"

namespace {

template <class Object>
void ReleaseObject(Object*& object) {
    if (object == nullptr) return;
    ForwardRelease(object, 0);
    object = nullptr;
}

bool ManagedPool(const GraphicImageBlock* block) {
    return block->description.creationSetting && !block->description.renderTarget && !IsDirect3D9Ex();
}

// The multisampling a render target asked for (creation words 12 and 13), lowered to what the device
// offers for the format; type 0 when it offers none, and the graphic then draws into its texture.
struct TileMultisample {
    int type = 0, quality = 0;
};

TileMultisample ChooseTileMultisample(const GraphicImageBlock* block, D3DFORMAT format, int onWorker) {
    TileMultisample m{block->description.targetSettings[0], block->description.targetSettings[1]};
    if (m.type != 0) ChooseMultiSampleQualityForwarded(format, &m.type, &m.quality, 0, onWorker);
    return m;
}

int MakeMultisampleSurface(GraphicTextureTile* tile, D3DFORMAT format, const TileMultisample& m,
                           int onWorker) {
    if (m.type == 0) {
        ReleaseObject(tile->multisampleSurface);
        return 0;
    }
    if (tile->multisampleSurface) return 0;
    const HRESULT result = ForwardCreateRenderTarget(UINT(tile->textureWidth), UINT(tile->textureHeight),
                                                     format, D3DMULTISAMPLE_TYPE(m.type), DWORD(m.quality),
                                                     FALSE, &tile->multisampleSurface, nullptr, onWorker);
    if (FAILED(result)) {
        tile->multisampleSurface = nullptr;
        LogText("書き込み専用サーフェスの作成に失敗しました\n");
        return -1;
    }
    return 0;
}

// A render target gets a depth surface of its size and multisampling when its multisampling request
// agrees with the device's; otherwise one it has goes.
int MakeDepthSurface(const GraphicImageBlock* block, GraphicTextureTile* tile, const TileMultisample& m,
                     int onWorker) {
    const bool blockMultisample = block->description.targetSettings[0] != 0;
    const bool deviceMultisample = deviceCreationSettings.multiSampleType != 0;
    if (blockMultisample != deviceMultisample) {
        ReleaseObject(tile->depthSurface);
        return 0;
    }
    if (tile->depthSurface) return 0;
    const HRESULT result = ForwardCreateDepthStencilSurface(
        UINT(tile->textureWidth), UINT(tile->textureHeight), D3DFMT_D16, D3DMULTISAMPLE_TYPE(m.type),
        DWORD(m.quality), TRUE, &tile->depthSurface, nullptr, onWorker);
    if (FAILED(result)) {
        tile->depthSurface = nullptr;
        LogText("書き込み専用マルチサンプル深度サーフェスの作成に失敗しました\n");
        return -1;
    }
    return 0;
}

int MakeTileObjects(const GraphicImageBlock* block, GraphicTextureTile* tile, D3DFORMAT format,
                    int onWorker) {
    const bool target = block->description.renderTarget != 0;
    if (target) {
        const TileMultisample m = ChooseTileMultisample(block, format, onWorker);
        if (MakeMultisampleSurface(tile, format, m, onWorker) != 0 ||
            MakeDepthSurface(block, tile, m, onWorker) != 0)
            return -1;
    }
    if (!tile->texture) {
        const D3DPOOL pool = ManagedPool(block) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
        const HRESULT result = ForwardCreateTexture(
            UINT(tile->textureWidth), UINT(tile->textureHeight), UINT(block->mipLevels),
            target ? D3DUSAGE_RENDERTARGET : 0, format, pool, &tile->texture, nullptr, onWorker);
        if (FAILED(result)) {
            tile->texture = nullptr;
            LogText("テクスチャの作成に失敗しました\n");
            return -1;
        }
    }
    if (!tile->surface && FAILED(ForwardGetSurfaceLevel(tile->texture, 0, &tile->surface, onWorker))) {
        tile->surface = nullptr;
        LogText("テクスチャのサーフェスアドレスの取得に失敗しました\n");
        return -1;
    }
    if (target) ForwardColorFill(tile->surface, nullptr, 0, onWorker);
    return 0;
}

template <class Record>
void ReleaseHandleObjects(int type, IUnknown* Record::*object) {
    const HandleTypeRecord& record = handleTypes[type];
    if (!record.registered || record.count == 0) return;
    for (int i = record.lowest; i <= record.highest; ++i) {
        auto* data = static_cast<Record*>(record.slots[i]);
        if (data) ReleaseObject(data->*object);
    }
}

}  // namespace

int CreateGraphicTextures(GraphicImageBlock* block, int onWorker) {
    if (!HasD3DDevice()) return -1;
    if (!block->description.hasTextures) return 0;
    const D3DFORMAT format = TextureFormatOfIndex(block->format);
    if (format == 0) {
        LogText("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
        return -1;
    }
    for (int i = 0; i < block->textureCount; ++i)
        if (MakeTileObjects(block, &block->tiles[i], format, onWorker) != 0) return -1;
    return 0;
}

void DropTextureReferences(uintptr_t texture) {
    if (texture == 0) return;
    for (int stage = 0; stage < kCachedStageCount; ++stage)
        if (renderStateCache.texture[stage] == texture) SetCachedTexture(stage, 0);
    StageSetupInputs& inputs = renderStateCache.stageSetup;
    if (inputs.texture == texture || inputs.blendTexture == texture) {
        if (inputs.texture == texture) inputs.texture = 0;
        if (inputs.blendTexture == texture) inputs.blendTexture = 0;
        inputs.textureChanged = 1;
    }
    if (drawStateLatch.texture == texture) drawStateLatch.texture = 0;
}

int ReleaseGraphicDeviceObjects(GraphicImageBlock* block) {
    if (!block->description.hasTextures) return 0;
    FlushVertexBatch(0);
    for (int i = 0; i < block->textureCount; ++i) {
        GraphicTextureTile& tile = block->tiles[i];
        DropTextureReferences(reinterpret_cast<uintptr_t>(tile.texture));
        ReleaseObject(tile.surface);
        ReleaseObject(tile.multisampleSurface);
        ReleaseObject(tile.depthSurface);
        ReleaseObject(tile.stagingSurface);
        ReleaseObject(tile.texture);
    }
    return 0;
}

int ReleaseAllDeviceResources() {
    ReleaseMemoryTextureObjects();
    const HandleTypeRecord& graphics = handleTypes[kGraphicHandleType];
    if (graphics.registered && graphics.count != 0) {
        for (int i = graphics.lowest; i <= graphics.highest; ++i) {
            auto* entry = static_cast<GraphicEntry*>(graphics.slots[i]);
            if (!entry || !entry->block) continue;
            ReleaseGraphicDeviceObjects(entry->block);
            if (entry->movieHandle != -1) InvalidateMovieImage(entry->movieHandle);
        }
    }
    ReleaseHandleObjects<DeviceBufferRecord>(kHandleTypeVertexBuffer, &DeviceBufferRecord::buffer);
    ReleaseHandleObjects<DeviceBufferRecord>(kHandleTypeIndexBuffer, &DeviceBufferRecord::buffer);
    ReleaseHandleObjects<UserShaderRecord>(kHandleTypeShader, &UserShaderRecord::shader);
    return 0;
}

int UpdateRenderTargetTexture(int graphic) {
    if (!IsRenderTargetGraphic(graphic)) return -1;
    const GraphicImageBlock* block = LookupGraphic(graphic, 0)->block;
    FlushVertexBatch(0);
    for (int i = 0; i < block->textureCount; ++i) {
        const GraphicTextureTile& tile = block->tiles[i];
        if (tile.multisampleSurface && tile.surface) StretchSurface(tile.multisampleSurface, tile.surface);
    }
    return 0;
}

int RecreateAllGraphicTextures() {
    if (!Direct3DMode) return 0;
    // Graphics that a restart in software mode made software images are device graphics again.
    RemakeGraphicsForDevice();
    ForEachHandle<GraphicEntry>(kGraphicHandleType, [](GraphicEntry* entry) {
        if (entry->block && entry->block->description.hasTextures) CreateGraphicTextures(entry->block, 0);
    });
    return 0;
}

#include "engine/graphics/device/device_recreation.h"

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphic_textures.h"
#include "engine/graphics/device/memory_textures.h"
#include "engine/graphics/draw/device_buffers.h"
#include "engine/graphics/draw/user_shaders.h"

int RecreateDeviceBuffers() {
    RecreateMemoryTextures();
    RecreateAllGraphicTextures();
    if (deviceCreationSettings.hardwareVertexProcessing || deviceCapabilityFlags.vertexShader2) {
        RecreateDeviceBufferObjects(kHandleTypeVertexBuffer);
        RecreateDeviceBufferObjects(kHandleTypeIndexBuffer);
    }
    RecreateUserShaderObjects();
    return 0;
}

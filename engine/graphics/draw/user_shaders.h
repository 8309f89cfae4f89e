// User shaders: handles of type 12 holding a vertex or pixel shader made from the caller's code, their
// binding with the textures of 16 user stages, save and restore of that binding, the shader-model
// query and pixel shaders made from the built-in shader archive.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "platform/d3d9/d3d9.h"

inline constexpr int kUserShaderLimit = 4096;
inline constexpr int kUserShaderStageCount = 16;

struct UserShaderRecord {
    HandleHeader header;
    int32_t kind;  // 1 vertex, 0 pixel
    void* code;    // tracked copy
    int32_t codeSize;
    IUnknown* shader;               // IDirect3DVertexShader9 or IDirect3DPixelShader9
    int32_t constantTablePosition;  // bytes into the code; -1 when the code carries none
    int32_t constantTableSize;
};

struct UserShaderBinding {
    int32_t vertexShader;  // bound handles, 0 none
    int32_t pixelShader;
    int32_t nextVertexShader;  // for the next draw with user shaders, 0 none
    int32_t nextPixelShader;
    int32_t stageGraphics[kUserShaderStageCount];  // 0 none
};

struct SavedUserShaderBinding {
    int32_t vertexShader;
    int32_t pixelShader;
    uint32_t activeSetMask;
    int32_t stageGraphics[kUserShaderStageCount];
};

extern UserShaderBinding userShaderBinding;

// The type's delete callback: unbinds a bound shader, frees the code copy, releases the device object.
int UserShaderDeleteCallback(HandleHeader* data);

// 0 without programmable shaders (or without a device); else 0 for vertex and pixel shader versions
// both below 2.0, 200 when either is below 3.0, 300 otherwise.
int GetShaderModel();
int ShaderModelFromVersions(uint32_t vertexVersion, uint32_t pixelVersion);

// kind 1 vertex, 0 pixel. New handle, or -1 (no device, no programmable shaders, bad code, failure).
int CreateUserShader(int kind, const void* code, int size, int asyncFlag, int relaxed);
int CreatePixelShaderFromArchive(const char* fileName);
// Around a device restart: every shader handle's device object released (the handles and their code
// stay), then made again from the kept code. 0.
int ReleaseUserShaderObjects();
int RecreateUserShaderObjects();

int BindUserVertexShader(int handle);
int BindUserPixelShader(int handle);
// handle <= 0: none. 0, or -1 for a handle that is not a shader of that kind.
int SetUserVertexShader(int handle);
int SetUserPixelShader(int handle);
// stage 0..15, a graphic or -1 for none.
int SetUserShaderTexture(int stage, int graphic);
int SaveUserShaderBinding(SavedUserShaderBinding* saved);
int RestoreUserShaderBinding(const SavedUserShaderBinding* saved);

void ResetUserShaderBinding();

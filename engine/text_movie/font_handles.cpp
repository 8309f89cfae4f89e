#include "engine/text_movie/font_handles.h"

#include <algorithm>
#include <cstring>

#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/log.h"
#include "engine/text_movie/font_create.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/fonts.h"
#include "engine/text_movie/glyph_rasterizer.h"

namespace {

struct DefaultFontParams {
    char face[256];
    int size, thickness, type, charset, edgeSize, italic, spacing;
};

struct FontSystem {
    bool initialised = false;
    int defaultHandle = 0;
    DefaultFontParams defaults{};
    FontCreateSettings settings{};
};

FontSystem& System() {
    static FontSystem system;
    return system;
}

int InitFontRecordCallback(HandleHeader* data) {
    auto* font = reinterpret_cast<FontRecord*>(data);
    font->textureGraphic = font->edgeGraphic = -1;
    return 0;
}

int ReleaseFontRecordCallback(HandleHeader* data) {
    auto* font = reinterpret_cast<FontRecord*>(data);
    ReleaseFontResources(font);
    if (font->deletedFlag) *font->deletedFlag = 1;
    return 0;
}

void ResetDefaultParams(DefaultFontParams* params) {
    *params = DefaultFontParams{};
    params->size = 16;
    params->thickness = 6;
    params->charset = GetCharacterSet();
    params->edgeSize = 1;
}

FontRecord* LiveRecord(int handle) {
    return static_cast<FontRecord*>(GetTypedHandleData(handle, kFontHandleType));
}

void CreateFontAsyncJob(AsyncLoadRequest* request) {
    const unsigned char* arguments = AsyncLoadArguments(request);
    int offset = 0, blobSize = 0;
    FontCreateSettings settings{};
    const void* blob = UnpackAsyncArgBlob(arguments, &offset, &blobSize);
    std::memcpy(&settings, blob, std::min<size_t>(size_t(blobSize), sizeof settings));
    int handle = int(UnpackAsyncArgInt(arguments, &offset));
    const char* face = UnpackAsyncArgString(arguments, &offset);
    int values[7];
    for (int& value : values) value = int(UnpackAsyncArgInt(arguments, &offset));
    int result = CreateFontToHandle(values[0], settings, handle, face, values[1], values[2], values[3],
                                    values[4], values[5], 1);
    FinishHandleLoadJob(handle, result);
}

int PackFontRequest(unsigned char* buffer, const FontCreateSettings& settings, int handle, const char* face,
                    const int (&values)[7]) {
    int offset = 0;
    PackAsyncArgBlob(buffer, &offset, &settings, sizeof settings);
    PackAsyncArgInt(buffer, &offset, uint32_t(handle));
    PackAsyncArgString(buffer, &offset, face);
    for (int value : values) PackAsyncArgInt(buffer, &offset, uint32_t(value));
    return offset;
}

int CreateDefaultFont(const DefaultFontParams& params, int edgeSize) {
    FontSystem& system = System();
    int handle = CreateFontHandleCore(system.settings, params.face, params.size, params.thickness,
                                      params.type, params.charset, edgeSize, params.italic, -1, 0);
    system.defaultHandle = handle;
    if (handle < 0) return -1;
    SetHandleLostFlag(handle, &system.defaultHandle);
    SetFontSpacing(params.spacing, handle);
    return 0;
}

int ResetFontSystem(bool ending) {
    FontSystem& system = System();
    WriteLogText("フォントの初期化を行います\n");
    LogIndentIn();
    DefaultFontParams remembered = system.defaults;
    bool haveDefault = false;
    if (FontRecord* font = system.defaultHandle >= 1 ? GetFontRecord(system.defaultHandle) : nullptr) {
        StrCopyN(remembered.face, font->faceName, sizeof remembered.face);
        remembered.charset = font->charset;
        remembered.size = font->size;
        remembered.edgeSize = font->edgeSize;
        remembered.thickness = font->thickness;
        remembered.italic = font->italic;
        remembered.type = font->fontType;
        haveDefault = true;
    }
    DeleteAllHandles(kFontHandleType, nullptr);
    if (!ending) {
        if (!haveDefault) remembered.face[0] = 0;
        CreateDefaultFont(remembered, remembered.edgeSize);
    }
    LogIndentOut();
    WriteLogText("フォントの初期化は正常に終了しました\n");
    return 0;
}

void ApplyDefaultFontParams() {
    FontSystem& system = System();
    const DefaultFontParams& params = system.defaults;
    if (FontRecord* font = system.defaultHandle > 0 ? GetFontRecord(system.defaultHandle) : nullptr) {
        if (std::strcmp(font->faceName, params.face) == 0 && font->fontType == params.type &&
            font->size == params.size && font->thickness == params.thickness &&
            font->charset == params.charset && font->edgeSize == params.edgeSize &&
            font->italic == params.italic)
            return;
        DeleteHandle(system.defaultHandle);
    }
    CreateDefaultFont(params, params.type & kFontTypeEdge ? params.edgeSize : -1);
}

}  // namespace

int CreateFontToHandle(int size, const FontCreateSettings& settings, int handle, const char* face,
                       int thickness, int fontType, int charset, int edgeSize, int italic, int asyncFlag) {
    FontRecord* font = LiveRecord(handle);
    if (!font) return -1;
    return CreateFontToRecord(font, settings, size, face, thickness, fontType, charset, edgeSize, italic,
                              asyncFlag);
}

int CreateFontHandleCore(const FontCreateSettings& settings, const char* face, int size, int thickness,
                         int fontType, int charset, int edgeSize, int italic, int requestedHandle,
                         int async) {
    int handle = AddHandle(kFontHandleType, requestedHandle);
    if (handle < 0) return -1;
    if (!async) {
        if (CreateFontToHandle(size, settings, handle, face, thickness, fontType, charset, edgeSize, italic,
                               0) != 0) {
            DeleteHandle(handle);
            return -1;
        }
        return handle;
    }
    const int values[7] = {size, thickness, fontType, charset, edgeSize, italic, 0};
    int bytes = PackFontRequest(nullptr, settings, handle, face, values);
    AsyncLoadRequest* request = AllocAsyncLoadRequest(bytes);
    if (!request) {
        DeleteHandle(handle);
        return -1;
    }
    PackFontRequest(AsyncLoadArguments(request), settings, handle, face, values);
    if (QueueHandleLoadJob(handle, request, CreateFontAsyncJob) != 0) {
        DeleteHandle(handle);
        return -1;
    }
    return handle;
}

int CreateFontPublic(const char* face, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int handle) {
    return CreateFontHandleCore(System().settings, face, size, thickness, fontType, charSet, edgeSize, italic,
                                handle, 0);
}

void GetFontCreateSettings(FontCreateSettings* settings) {
    *settings = System().settings;
}

FontRecord* GetFontRecord(int handle) {
    FontRecord* font = LiveRecord(handle);
    return font && IsHandleLoading(handle) == 0 ? font : nullptr;
}

int SetFontDeletedFlag(int handle, int* flag) {
    FontRecord* font = GetFontRecord(handle);
    if (!font) return -1;
    font->deletedFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int SetFontSpacing(int spacing, int handle) {
    FontRecord* font = GetFontRecord(handle);
    if (!font) return -1;
    font->spacing = spacing;
    return 0;
}

int GetFontHandleInfo(char* faceOut, int* sizeOut, int* thicknessOut, int handle) {
    FontRecord* font = GetFontRecord(handle);
    if (!font) return -1;
    if (faceOut) StrCopy(faceOut, font->faceName);
    if (sizeOut) *sizeOut = font->size;
    if (thicknessOut) *thicknessOut = font->thickness;
    return 0;
}

int GetFontSize(int handle) {
    FontRecord* font = GetFontRecord(handle);
    return font ? font->size : -1;
}

int IsFontHandleReady(int handle) {
    return GetFontRecord(handle) ? 1 : 0;
}

GlyphEntry* RasterizeGlyph(int fontHandle, int count, const uint8_t* characters) {
    FontRecord* font = GetFontRecord(fontHandle);
    return font ? RasterizeGlyphsIntoRecord(font, count, characters) : nullptr;
}

int GetDefaultFontHandle() {
    return System().defaultHandle;
}

int SetDefaultFontParams(const char* face, int size, int thickness) {
    FontSystem& system = System();
    if (!system.initialised || !GetFontEnvironment().graphicsStarted()) return -1;
    StrCopyN(system.defaults.face, face ? face : "", sizeof system.defaults.face);
    system.defaults.size = size == -1 ? 16 : size;
    system.defaults.thickness = thickness == -1 ? 6 : thickness;
    ApplyDefaultFontParams();
    return 0;
}

int RecreateAllFonts() {
    HandleTypeRecord& type = handleTypes[kFontHandleType];
    if (!type.registered) return -1;
    for (int index = type.lowest; index <= type.highest && index < type.limit; ++index) {
        auto* font = static_cast<FontRecord*>(type.slots[index]);
        if (!font) continue;
        DefaultFontParams saved{};
        StrCopyN(saved.face, font->faceName, sizeof saved.face);
        saved.charset = font->charset;
        saved.edgeSize = font->edgeSize;
        saved.thickness = font->thickness;
        saved.size = font->size;
        saved.type = font->fontType;
        saved.italic = font->italic;
        saved.spacing = font->spacing;
        int handle = int(font->header.handle);
        DeleteHandle(handle);
        if (AddHandle(kFontHandleType, handle) < 0) continue;
        if (CreateFontToHandle(saved.size, System().settings, handle, saved.face, saved.thickness, saved.type,
                               saved.charset, saved.edgeSize, saved.italic, 0) != 0)
            DeleteHandle(handle);
        SetFontSpacing(saved.spacing, handle);
    }
    return 0;
}

int InitFontSystem() {
    FontSystem& system = System();
    if (system.initialised) return -1;
    RegisterHandleType(kFontHandleType, sizeof(FontRecord), kFontHandleLimit, InitFontRecordCallback,
                       ReleaseFontRecordCallback, "フォント");
    ResetDefaultParams(&system.defaults);
    system.defaultHandle = 0;
    system.initialised = true;
    ResetFontSystem(false);
    return 0;
}

int EndFontSystem() {
    FontSystem& system = System();
    if (!system.initialised) return -1;
    ResetFontSystem(true);
    if (system.defaultHandle > 0) DeleteHandle(system.defaultHandle);
    EndHandleType(kFontHandleType);
    system.defaultHandle = 0;
    system.initialised = false;
    return 0;
}

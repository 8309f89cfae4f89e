#include "engine/text_movie/font_create.h"

#include <cstring>
#include <vector>

#include "engine/core/helpers/string_helpers.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/glyph_cache_layout.h"
#include "platform/gdi/gdi32.h"

namespace {

constexpr int kFaceNameSize = 64;
constexpr int kLocalFaceNames = 16;
const char kDefaultFace[] = "ＭＳ ゴシック";

HFONT MakeGdiFont(int height, int thickness, int italic, int gdiCharset, const char* face) {
    return CreateFontA(height, 0, 0, 0, thickness * 100, italic, 0, 0, gdiCharset, 0, 0,
                       NONANTIALIASED_QUALITY, FIXED_PITCH, face);
}

// The GDI font with the fallbacks: a named face is retried with DEFAULT_CHARSET, then SHIFTJIS_CHARSET;
// the default face with DEFAULT_CHARSET upright, then without a face.
HFONT MakeGdiFontWithFallbacks(const FontRecord& font, int height, int charsetCode) {
    int charset = GdiCharSetOfCode(charsetCode);
    if (font.faceName[0]) {
        HFONT made = MakeGdiFont(height, font.thickness, font.italic, charset, font.faceName);
        if (!made) made = MakeGdiFont(height, font.thickness, font.italic, DEFAULT_CHARSET, font.faceName);
        if (!made) made = MakeGdiFont(height, font.thickness, font.italic, SHIFTJIS_CHARSET, font.faceName);
        if (!made) WriteLogText("指定のフォントの作成に失敗しました\n");
        return made;
    }
    HFONT made = MakeGdiFont(height, font.thickness, font.italic, charset, kDefaultFace);
    if (!made) made = MakeGdiFont(height, font.thickness, 0, DEFAULT_CHARSET, kDefaultFace);
    if (!made) made = MakeGdiFont(height, font.thickness, 0, DEFAULT_CHARSET, nullptr);
    if (!made) WriteLogText("フォントの作成に失敗しました\n");
    return made;
}

// Keeps the asked charset only when the face is installed for it.
int CheckedCharsetCode(const char* face, int charsetCode) {
    char local[kLocalFaceNames * kFaceNameSize];
    char* names = local;
    std::vector<char> all;
    int count = EnumInstalledFaces(local, kLocalFaceNames, face, charsetCode);
    if (count >= kLocalFaceNames) {
        int total = EnumInstalledFaces(nullptr, 0, face, charsetCode);
        all.assign(size_t(total) * kFaceNameSize, 0);
        count = total > 0 ? EnumInstalledFaces(all.data(), total, face, charsetCode) : 0;
        names = all.data();
    }
    for (int i = 0; i < count; ++i)
        if (std::strcmp(names + i * kFaceNameSize, face) == 0) return charsetCode;
    return 0;
}

// The font and its text metrics, made once more with the height correction when the face has leading.
bool MakeFontAndMetrics(FontRecord* font, int sampledSize, int charsetCode, HFONT* made, TEXTMETRICA* tm,
                        int superSample) {
    int firstHeight = 0;
    for (int pass = 0; pass < 2; ++pass) {
        int correction = pass == 0 ? 0 : CorrectedFontHeightDelta(sampledSize, *tm);
        *made = MakeGdiFontWithFallbacks(*font, sampledSize + correction, charsetCode);
        if (!*made) return false;
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) {
            WriteLogText("ＤＣの取得に失敗しました\n");
            DeleteObject(*made);
            return false;
        }
        HGDIOBJ old = SelectObject(dc, *made);
        GetTextMetricsA(dc, tm);
        SelectObject(dc, old);
        DeleteDC(dc);
        if (pass == 1) {
            font->extraLeading = (tm->tmHeight - firstHeight) / superSample;
            return true;
        }
        if (tm->tmInternalLeading + tm->tmExternalLeading < 1 ||
            CorrectedFontHeightDelta(sampledSize, *tm) == 0) {
            font->extraLeading = 0;
            return true;
        }
        firstHeight = tm->tmHeight;
        DeleteObject(*made);
    }
    return true;
}

ColorFormat CacheImageFormat(const FontRecord& font) {
    ColorFormat format{};
    if (!(font.fontType & kFontTypeGrey))
        BuildColorFormat(&format, 16, 0x7C00, 0x03E0, 0x001F, 0x8000, 0, 0, 0);
    else if (font.textureBits == 32)
        BuildColorFormat(&format, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 0, 0, 0);
    else
        BuildColorFormat(&format, 16, 0x0F00, 0x00F0, 0x000F, 0xF000, 0, 0, 0);
    return format;
}

int SetUpTextureCache(FontRecord* font, const FontCreateSettings& settings, int async) {
    GlyphCacheLayout layout = TextureCacheLayout(font->cellSize, settings.glyphCount);
    font->cacheWidth = layout.width;
    font->cacheHeight = layout.height;
    font->glyphCount = layout.glyphCount;
    font->cellsPerColumn = layout.cellsPerColumn;
    font->needsTexture = 1;
    if (CreateGlyphCacheTextures(font, async) != 0) {
        WriteLogText("テクスチャ文字キャッシュの作成に失敗しました\n");
        font->textureCache = 0;
        return 1;
    }
    ColorFormat format = CacheImageFormat(*font);
    int width = font->cacheWidth * (font->fontType & kFontTypeEdge ? 2 : 1);
    ReleaseSoftImage(&font->cacheImage);
    if (CreateZeroedSoftImage(width, font->cacheHeight, &format, &font->cacheImage) != 0 ||
        !font->cacheImage.pixels) {
        WriteLogText("文字キャッシュ基本イメージ用のメモリの確保に失敗しました\n");
        return -1;
    }
    return 0;
}

int SetUpMemoryCache(FontRecord* font, const FontCreateSettings& settings, int async) {
    font->bitsPerPixel = MemoryCacheBitsPerPixel(font->fontType);
    GlyphCacheLayout layout = MemoryCacheLayout(font->cellSize, settings.glyphCount);
    font->glyphCount = layout.glyphCount;
    font->cellsPerColumn = layout.cellsPerColumn;
    font->bitmapPitch = (font->cellSize * font->bitsPerPixel + 7) / 8;
    TrackedFree(font->memoryBitmap);
    font->memoryBitmap =
        static_cast<uint8_t*>(TrackedAlloc(size_t(layout.height) * font->bitmapPitch, __FILE__, __LINE__));
    if (!font->memoryBitmap) {
        LogText("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
        return -1;
    }
    if (CreateGlyphCacheTextures(font, async) != 0) {
        WriteLogText("フォント用描画スクリーンの作成に失敗しました\n");
        return -1;
    }
    return 0;
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

// The parameters after their defaults: a font beyond the limits is refused before GDI sees it.
bool FontParametersInRange(int size, int thickness, int edgeSize) {
    if (InRange(size, -kMaxFontSize, kMaxFontSize) && InRange(thickness, 0, kMaxFontThickness) &&
        InRange(edgeSize, 0, kMaxFontEdgeSize))
        return true;
    LogPrintf("フォントの作成に失敗しました: サイズ %d 太さ %d エッジサイズ %d のいずれかが範囲外です", size,
              thickness, edgeSize);
    return false;
}

}  // namespace

int CreateFontToRecord(FontRecord* font, const FontCreateSettings& settings, int size, const char* face,
                       int thickness, int fontType, int charset, int edgeSize, int italic, int async) {
    const FontEnvironment& environment = GetFontEnvironment();
    if (environment.mainWindowDestroyed()) return -1;
    if (fontType == -1) fontType = 0;
    if (!IsValidFontType(fontType)) fontType = 0;
    if (edgeSize > 1) fontType |= kFontTypeEdge;
    if (size == -1) size = 16;
    if (thickness == -1) thickness = 6;
    if (edgeSize == -1) edgeSize = 1;
    if (!FontParametersInRange(size, thickness, edgeSize)) return -1;
    bool charsetDefaulted = charset == -1;
    if (charsetDefaulted) charset = GetCharacterSet();
    if (environment.screenColorDepth() == 8) fontType &= ~kFontTypeGrey;
    int superSample = SuperSampleFactor(fontType);
    font->thickness = thickness;
    font->size = size;
    font->fontType = fontType;
    font->edgeSize = edgeSize;
    font->italic = italic ? 1 : 0;
    font->spacing = 0;
    font->textureCache = environment.direct3DDrawing() && settings.noTextureCache == 0 ? 1 : 0;
    font->textureBits =
        font->textureCache && (fontType & kFontTypeGrey) && settings.sixteenBitTexture == 0 ? 32 : 16;

    font->faceName[0] = 0;
    if (face && face[0]) {
        StrCopyN(font->faceName, face, sizeof(font->faceName));
        if (charsetDefaulted) charset = CheckedCharsetCode(font->faceName, charset);
    }

    HFONT made = nullptr;
    TEXTMETRICA tm{};
    if (!MakeFontAndMetrics(font, superSample * size, charset, &made, &tm, superSample)) return -1;
    FontCellMetrics cell = ComputeFontCellMetrics(tm, superSample, edgeSize, fontType & kFontTypeEdge);
    font->cellSize = cell.cellSize;
    font->lineHeight = cell.lineHeight;
    if (font->font) DeleteObject(font->font);
    font->font = made;

    int cacheResult = font->textureCache ? SetUpTextureCache(font, settings, async) : 1;
    if (cacheResult < 0) return -1;
    if (cacheResult > 0 && SetUpMemoryCache(font, settings, async) != 0) return -1;
    if (ResetGlyphCache(font) != 0) return -1;
    font->charset = charset;
    font->deletedFlag = nullptr;
    return 0;
}

int CreateGlyphCacheTextures(FontRecord* font, int async) {
    if (font->needsTexture != 1) return 0;
    font->needsTexture = 0;
    const FontEnvironment& environment = GetFontEnvironment();
    // The old edge half outlives a cache texture deleted on its own; a stale handle is refused here.
    if (font->edgeGraphic >= 0) environment.deleteGraphic(font->edgeGraphic);
    font->textureGraphic = font->edgeGraphic = -1;
    bool grey = font->fontType & kFontTypeGrey;
    bool edge = font->fontType & kFontTypeEdge;
    int width = font->cacheWidth * (edge ? 2 : 1);
    int texture = environment.createCacheTexture(width, font->cacheHeight, grey ? font->textureBits : 16,
                                                 grey ? 1 : 0, async);
    if (texture < 0) return -1;
    int part = -1;
    if (edge) {
        part =
            environment.createPartGraphic(texture, font->cacheWidth, 0, font->cacheWidth, font->cacheHeight);
        if (part < 0) {
            environment.deleteGraphic(texture);
            return -1;
        }
    }
    font->textureGraphic = texture;
    font->edgeGraphic = part;
    environment.setGraphicDeletedFlag(texture, &font->needsTexture);
    environment.fillGraphic(texture, 255, 255, 255, 0);
    return ResetGlyphCache(font);
}

void ReleaseFontResources(FontRecord* font) {
    if (font->font) DeleteObject(font->font);
    font->font = nullptr;
    TrackedFree(font->memoryBitmap);
    font->memoryBitmap = nullptr;
    if (font->textureGraphic >= 0) {
        const FontEnvironment& environment = GetFontEnvironment();
        environment.deleteGraphic(font->textureGraphic);
        if (font->edgeGraphic >= 0) environment.deleteGraphic(font->edgeGraphic);
        font->textureGraphic = font->edgeGraphic = -1;
    }
    ReleaseSoftImage(&font->cacheImage);
    TrackedFree(font->codeMap);
    font->codeMap = nullptr;
}

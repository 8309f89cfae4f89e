#include "platform/gdi/gdi_fonts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <freetype/tttables.h>

#include "platform/kernel/code_pages.h"

namespace {

constexpr long kDefaultEmHeight = 12;

struct VerticalExtent {
    double ascent;
    double descent;
};

// The face's Windows ascent and descent in font units (hhea's, or FreeType's, when it has none).
VerticalExtent WinExtent(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return {double(os2->usWinAscent), double(os2->usWinDescent)};
    if (hhea && hhea->Ascender - hhea->Descender > 0)
        return {double(hhea->Ascender), double(-hhea->Descender)};
    if (face->ascender - face->descender > 0) return {double(face->ascender), double(-face->descender)};
    double em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    return {em * 0.8, em * 0.2};
}

// The lines' extra gap: hhea's line gap less what the Windows extent already adds over hhea's extent.
double ExternalGap(FT_Face face, const VerticalExtent& extent) {
    auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (!hhea) return 0;
    double gap = hhea->Line_Gap - ((extent.ascent + extent.descent) - (hhea->Ascender - hhea->Descender));
    return std::max(0.0, gap);
}

bool SizeScalableFace(FontInstance& font) {
    FT_Face face = font.face;
    VerticalExtent extent = WinExtent(face);
    double em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long height = font.logical.lfHeight != 0 ? font.logical.lfHeight : -kDefaultEmHeight;
    double ppem;
    long ascent, descent;
    if (height > 0) {
        ppem = height * em / (extent.ascent + extent.descent);
        ascent = std::lround(extent.ascent * height / (extent.ascent + extent.descent));
        descent = height - ascent;
    } else {
        ppem = double(-height);
        ascent = std::lround(extent.ascent * ppem / em);
        descent = std::lround(extent.descent * ppem / em);
    }
    ppem = std::max(ppem, 1.0);
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_NOMINAL, 0, std::lround(ppem * 64), 0, 0};
    if (FT_Request_Size(face, &request) != 0) return false;
    double scale = ppem / em;
    TEXTMETRICA& tm = font.metrics;
    tm.tmAscent = ascent;
    tm.tmDescent = descent;
    tm.tmHeight = ascent + descent;
    tm.tmInternalLeading = std::max(0L, tm.tmHeight - std::lround(ppem));
    tm.tmExternalLeading = std::lround(ExternalGap(face, extent) * scale);
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    tm.tmAveCharWidth = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                            ? std::lround(os2->xAvgCharWidth * scale)
                            : std::lround(ppem / 2);
    tm.tmMaxCharWidth = std::max(1L, std::lround(face->max_advance_width * scale));
    return true;
}

// A face of bitmap strikes only: the strike nearest the height asked for.
bool SizeBitmapFace(FontInstance& font) {
    FT_Face face = font.face;
    if (face->num_fixed_sizes < 1) return false;
    long want = std::labs(font.logical.lfHeight != 0 ? font.logical.lfHeight : kDefaultEmHeight);
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
        if (std::labs(face->available_sizes[i].height - want) <
            std::labs(face->available_sizes[best].height - want))
            best = i;
    if (FT_Select_Size(face, best) != 0) return false;
    const FT_Size_Metrics& size = face->size->metrics;
    TEXTMETRICA& tm = font.metrics;
    tm.tmAscent = (size.ascender + 63) >> 6;
    tm.tmDescent = (-size.descender + 63) >> 6;
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmMaxCharWidth = std::max<long>(1, (size.max_advance + 63) >> 6);
    tm.tmAveCharWidth = std::max<long>(1, tm.tmMaxCharWidth / 2);
    return true;
}

bool FillMetrics(FontInstance& font) {
    if (!(FT_IS_SCALABLE(font.face) ? SizeScalableFace(font) : SizeBitmapFace(font))) return false;
    TEXTMETRICA& tm = font.metrics;
    if (font.emboldened) {
        tm.tmAveCharWidth += 1;
        tm.tmMaxCharWidth += 1;
    }
    tm.tmWeight = font.logical.lfWeight != 0 ? font.logical.lfWeight : font.source.bold ? FW_BOLD : FW_NORMAL;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = font.logical.lfItalic ? 1 : 0;
    tm.tmUnderlined = font.logical.lfUnderline ? 1 : 0;
    tm.tmStruckOut = font.logical.lfStrikeOut ? 1 : 0;
    tm.tmPitchAndFamily = TMPF_TRUETYPE | TMPF_VECTOR | (FT_IS_FIXED_WIDTH(font.face) ? 0 : TMPF_FIXED_PITCH);
    tm.tmCharSet = font.logical.lfCharSet == DEFAULT_CHARSET ? SHIFTJIS_CHARSET : font.logical.lfCharSet;
    return true;
}

std::shared_ptr<FontInstance> MakeFontInstance(const LOGFONTA& logical) {
    auto font = std::make_shared<FontInstance>();
    font->logical = logical;
    font->logical.lfFaceName[LF_FACESIZE - 1] = 0;
    FontFaceRequest request;
    request.family = Cp932ToUtf8(font->logical.lfFaceName);
    request.charSet = logical.lfCharSet;
    request.weight = logical.lfWeight;
    request.italic = logical.lfItalic != 0;
    request.fixedPitch = (logical.lfPitchAndFamily & 3) == FIXED_PITCH;
    FontEngineLock lock(FontEngineMutex());
    if (!ResolveFontFace(request, &font->source)) return nullptr;
    font->face = OpenFontFace(font->source);
    if (!font->face) return nullptr;
    FT_Select_Charmap(font->face, FT_ENCODING_UNICODE);
    font->emboldened = logical.lfWeight >= FW_SEMIBOLD && !font->source.bold;
    font->slanted = logical.lfItalic && !font->source.italic;
    if (!FillMetrics(*font)) return nullptr;
    return font;
}

std::shared_ptr<FontInstance> DefaultFontInstance() {
    static std::shared_ptr<FontInstance> font = [] {
        LOGFONTA logical{};
        logical.lfHeight = 16;
        logical.lfWeight = FW_NORMAL;
        logical.lfCharSet = DEFAULT_CHARSET;
        return MakeFontInstance(logical);
    }();
    return font;
}

}  // namespace

FontInstance::~FontInstance() {
    if (!face) return;
    FontEngineLock lock(FontEngineMutex());
    FT_Done_Face(face);
}

int FontObject::Describe(int size, void* buffer) const {
    if (!buffer) return sizeof(LOGFONTA);
    if (size < static_cast<int>(sizeof(LOGFONTA))) return 0;
    std::memcpy(buffer, &instance->logical, sizeof(LOGFONTA));
    return sizeof(LOGFONTA);
}

std::shared_ptr<FontInstance> SelectedFontInstance(HDC dc) {
    {
        GdiLock lock(GdiMutex());
        DcRecord* record = FindDc(dc);
        if (!record) return nullptr;
        auto selected = record->selected.find(GdiObjectKind::kFont);
        if (selected != record->selected.end())
            if (auto* font = FindGdiObjectAs<FontObject>(selected->second, GdiObjectKind::kFont))
                return font->instance;
    }
    return DefaultFontInstance();
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logical) {
    if (!logical) return nullptr;
    std::shared_ptr<FontInstance> font = MakeFontInstance(*logical);
    if (!font) return nullptr;
    GdiLock lock(GdiMutex());
    return AddGdiObject(std::make_unique<FontObject>(std::move(font)));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
    LOGFONTA logical{};
    logical.lfHeight = height;
    logical.lfWidth = width;
    logical.lfEscapement = escapement;
    logical.lfOrientation = orientation;
    logical.lfWeight = weight;
    logical.lfItalic = static_cast<BYTE>(italic != 0);
    logical.lfUnderline = static_cast<BYTE>(underline != 0);
    logical.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    logical.lfCharSet = static_cast<BYTE>(charSet);
    logical.lfOutPrecision = static_cast<BYTE>(outPrecision);
    logical.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    logical.lfQuality = static_cast<BYTE>(quality);
    logical.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) std::memcpy(logical.lfFaceName, face, strnlen(face, LF_FACESIZE - 1));
    return CreateFontIndirectA(&logical);
}

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    if (!metrics) return FALSE;
    std::shared_ptr<FontInstance> font = SelectedFontInstance(dc);
    if (!font) return FALSE;
    *metrics = font->metrics;
    return TRUE;
}

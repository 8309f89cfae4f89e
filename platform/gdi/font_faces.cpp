#include "platform/gdi/font_faces.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>

#include <freetype/ftsnames.h>
#include <freetype/ttnameid.h>

#include "platform/gdi/gdi32_font.h"
#include "platform/kernel/code_pages.h"

namespace {

constexpr int kFcSemiBold = 180;  // FC_WEIGHT_DEMIBOLD

int FcWeightOf(int weight) {
    return weight >= FW_SEMIBOLD              ? FC_WEIGHT_BOLD
           : weight > 0 && weight <= FW_LIGHT ? FC_WEIGHT_LIGHT
                                              : FC_WEIGHT_REGULAR;
}

// The face fontconfig matches for a pattern; `wantFamily` (if any) must be one of its families and
// `wantLanguage` (if any) one of its languages.
bool MatchFontconfig(FcPattern* pattern, const std::string& wantFamily, const char* wantLanguage,
                     FontFaceSource* source) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (!match) return false;
    bool ok = true;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) ok = false;
    if (ok && !wantFamily.empty()) {
        ok = false;
        FcChar8* family = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            if (SameFamilyName(reinterpret_cast<const char*>(family), wantFamily)) ok = true;
    }
    if (ok && wantLanguage) {
        FcLangSet* languages = nullptr;
        ok = FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch &&
             FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(wantLanguage)) !=
                 FcLangDifferentLang;
    }
    if (ok) {
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        FcChar8* family = nullptr;
        source->path = reinterpret_cast<const char*>(file);
        source->memory.reset();
        source->index = index;
        source->bold = weight >= kFcSemiBold;
        source->italic = slant != FC_SLANT_ROMAN;
        source->family = FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch
                             ? reinterpret_cast<const char*>(family)
                             : "";
    }
    FcPatternDestroy(match);
    return ok;
}

FcPattern* StylePattern(const FontFaceRequest& request) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightOf(request.weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    return pattern;
}

std::string Utf16BeToUtf8(const FT_SfntName& name) {
    std::string bytes(reinterpret_cast<const char*>(name.string), name.string_len);
    return ConvertEncoding("UTF-16BE", "UTF-8", bytes).value_or("");
}

}  // namespace

std::recursive_mutex& FontEngineMutex() {
    static std::recursive_mutex* mutex = new std::recursive_mutex;
    return *mutex;
}

FT_Library FontEngineLibrary() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made) != 0) made = nullptr;
        FcInit();
        std::atexit([] {
            FontEngineLock lock(FontEngineMutex());
            FcFini();
        });
        return made;
    }();
    return library;
}

bool SameFamilyName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> FaceFamilyNames(FT_Face face) {
    std::vector<std::string> names;
    if (face->family_name) names.push_back(face->family_name);
    FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
        if (name.name_id != TT_NAME_ID_FONT_FAMILY && name.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY) continue;
        std::string text;
        if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE)
            text = Utf16BeToUtf8(name);
        else if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN)
            text.assign(reinterpret_cast<const char*>(name.string), name.string_len);
        if (text.empty()) continue;
        bool known = false;
        for (const std::string& have : names) known = known || have == text;
        if (!known) names.push_back(text);
    }
    return names;
}

const char* LanguageOfCharSet(int charSet) {
    switch (charSet) {
        case ANSI_CHARSET:
            return "en";
        case HANGUL_CHARSET:
            return "ko";
        case GB2312_CHARSET:
            return "zh-cn";
        case CHINESEBIG5_CHARSET:
            return "zh-tw";
        default:  // SHIFTJIS_CHARSET, and DEFAULT_CHARSET under the system code page 932
            return "ja";
    }
}

const char* EncodingOfCharSet(int charSet) {
    switch (charSet) {
        case ANSI_CHARSET:
        case SYMBOL_CHARSET:
            return "CP1252";
        case HANGUL_CHARSET:
            return "CP949";
        case GB2312_CHARSET:
            return "CP936";
        case CHINESEBIG5_CHARSET:
            return "CP950";
        default:
            return "CP932";
    }
}

bool ResolveFontFace(const FontFaceRequest& request, FontFaceSource* source) {
    FontEngineLock lock(FontEngineMutex());
    if (!FontEngineLibrary()) return false;
    if (!request.family.empty() && FindMemoryFontFace(request, source)) return true;
    if (!request.family.empty()) {
        FcPattern* pattern = StylePattern(request);
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
        bool found = MatchFontconfig(pattern, request.family, nullptr, source);
        FcPatternDestroy(pattern);
        if (found) return true;
    }
    const char* language = LanguageOfCharSet(request.charSet);
    FcPattern* pattern = StylePattern(request);
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
    if (request.fixedPitch) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    bool found = MatchFontconfig(pattern, "", language, source);
    FcPatternDestroy(pattern);
    if (found) return true;
    pattern = StylePattern(request);
    found = MatchFontconfig(pattern, "", nullptr, source);
    FcPatternDestroy(pattern);
    return found;
}

FT_Face OpenFontFace(const FontFaceSource& source) {
    FontEngineLock lock(FontEngineMutex());
    FT_Library library = FontEngineLibrary();
    if (!library) return nullptr;
    FT_Face face = nullptr;
    FT_Error error =
        source.memory ? FT_New_Memory_Face(library, source.memory->data(),
                                           static_cast<FT_Long>(source.memory->size()), source.index, &face)
                      : FT_New_Face(library, source.path.c_str(), source.index, &face);
    return error == 0 ? face : nullptr;
}

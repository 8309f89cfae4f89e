// Family enumeration over fontconfig's installed fonts: one call per family and charset, the charsets
// taken from the languages the family covers. Private fonts are not enumerated.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "platform/gdi/font_faces.h"
#include "platform/gdi/gdi32.h"
#include "platform/kernel/code_pages.h"

namespace {

struct InstalledFamily {
    std::vector<std::string> names;  // UTF-8, the first as fontconfig lists it first
    std::set<int> charSets;
    bool fixedPitch = false;
};

constexpr struct {
    const char* language;
    int charSet;
} kCharSetLanguages[] = {{"en", ANSI_CHARSET},
                         {"ja", SHIFTJIS_CHARSET},
                         {"ko", HANGUL_CHARSET},
                         {"zh-cn", GB2312_CHARSET},
                         {"zh-tw", CHINESEBIG5_CHARSET}};

std::map<std::string, InstalledFamily> ListInstalledFamilies() {
    std::map<std::string, InstalledFamily> families;
    FontEngineLock lock(FontEngineMutex());
    if (!FontEngineLibrary()) return families;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_LANG, FC_SPACING, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        FcChar8* name = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &name) != FcResultMatch) continue;
        InstalledFamily& family = families[reinterpret_cast<const char*>(name)];
        for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
            std::string text = reinterpret_cast<const char*>(name);
            if (std::find(family.names.begin(), family.names.end(), text) == family.names.end())
                family.names.push_back(text);
        }
        FcLangSet* languages = nullptr;
        if (FcPatternGetLangSet(font, FC_LANG, 0, &languages) == FcResultMatch)
            for (const auto& entry : kCharSetLanguages)
                if (FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(entry.language)) !=
                    FcLangDifferentLang)
                    family.charSets.insert(entry.charSet);
        int spacing = 0;
        if (FcPatternGetInteger(font, FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_MONO)
            family.fixedPitch = true;
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return families;
}

// The name the family is reported under: the one asked for, else its first name that has a CP932 form.
bool ReportedName(const InstalledFamily& family, const std::string& asked, std::string* name) {
    for (const std::string& candidate : family.names) {
        if (!asked.empty() && !SameFamilyName(candidate, asked)) continue;
        auto converted = ConvertEncoding("UTF-8", "CP932", candidate);
        if (!converted || converted->size() >= LF_FACESIZE) continue;
        *name = *converted;
        return true;
    }
    return false;
}

}  // namespace

int WINAPI EnumFontFamiliesExA(HDC, LOGFONTA* logical, FONTENUMPROCA callback, LPARAM param, DWORD) {
    if (!logical || !callback) return 0;
    char face[LF_FACESIZE] = {};
    std::memcpy(face, logical->lfFaceName, LF_FACESIZE - 1);
    std::string asked = face[0] ? Cp932ToUtf8(face) : "";
    int result = 1;
    for (const auto& [key, family] : ListInstalledFamilies()) {
        std::string name;
        if (!ReportedName(family, asked, &name)) continue;
        for (int charSet : family.charSets) {
            if (logical->lfCharSet != DEFAULT_CHARSET && charSet != logical->lfCharSet) continue;
            ENUMLOGFONTEXA entry{};
            entry.elfLogFont.lfCharSet = static_cast<BYTE>(charSet);
            entry.elfLogFont.lfWeight = FW_NORMAL;
            entry.elfLogFont.lfPitchAndFamily = family.fixedPitch ? FIXED_PITCH : VARIABLE_PITCH;
            std::memcpy(entry.elfLogFont.lfFaceName, name.c_str(), name.size() + 1);
            std::memcpy(entry.elfFullName, name.c_str(), name.size() + 1);
            std::memcpy(entry.elfStyle, "Regular", 8);
            NEWTEXTMETRICEXA metrics{};
            metrics.ntmTm.tmWeight = FW_NORMAL;
            metrics.ntmTm.tmCharSet = static_cast<BYTE>(charSet);
            metrics.ntmTm.tmPitchAndFamily =
                TMPF_TRUETYPE | TMPF_VECTOR | (family.fixedPitch ? 0 : TMPF_FIXED_PITCH);
            result = callback(&entry.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&metrics),
                              TRUETYPE_FONTTYPE, param);
            if (result == 0) return 0;
        }
    }
    return result;
}

// Private fonts added from memory: each face is remembered with its family names and styles. The font
// bytes are shared with the fonts made from them, so removing a private font never pulls the data from
// under a font still in use.
#include <map>

#include "platform/gdi/font_faces.h"

#include <freetype/tttables.h>

#include "platform/gdi/gdi32.h"

namespace {

struct MemoryFace {
    std::vector<std::string> families;
    FontFaceSource source;
};

struct MemoryFonts {
    std::map<uintptr_t, std::vector<MemoryFace>> added;
    uintptr_t next = 0x50010;
};

MemoryFonts& Fonts() {
    static MemoryFonts* fonts = new MemoryFonts;
    return *fonts;
}

int StyleDistance(const FontFaceSource& face, const FontFaceRequest& request) {
    bool wantBold = request.weight >= FW_SEMIBOLD;
    return (face.bold != wantBold ? 2 : 0) + (face.italic != request.italic ? 1 : 0);
}

}  // namespace

bool FindMemoryFontFace(const FontFaceRequest& request, FontFaceSource* source) {
    FontEngineLock lock(FontEngineMutex());
    const MemoryFace* best = nullptr;
    for (auto& [handle, faces] : Fonts().added)
        for (const MemoryFace& face : faces)
            for (const std::string& family : face.families)
                if (SameFamilyName(family, request.family) &&
                    (!best || StyleDistance(face.source, request) < StyleDistance(best->source, request)))
                    best = &face;
    if (best) *source = best->source;
    return best != nullptr;
}

HANDLE WINAPI AddFontMemResourceEx(PVOID data, DWORD size, PVOID, DWORD* count) {
    if (!data || size == 0 || !count) return nullptr;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(static_cast<const uint8_t*>(data),
                                                              static_cast<const uint8_t*>(data) + size);
    FontEngineLock lock(FontEngineMutex());
    FT_Library library = FontEngineLibrary();
    if (!library) return nullptr;
    std::vector<MemoryFace> faces;
    for (FT_Long index = 0, total = 1; index < total; ++index) {
        FT_Face face = nullptr;
        if (FT_New_Memory_Face(library, bytes->data(), static_cast<FT_Long>(bytes->size()), index, &face) !=
            0)
            break;
        total = face->num_faces;
        MemoryFace added;
        added.families = FaceFamilyNames(face);
        added.source.memory = bytes;
        added.source.index = static_cast<int>(index);
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        added.source.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->usWeightClass >= 600);
        added.source.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        added.source.family = added.families.empty() ? "" : added.families.front();
        FT_Done_Face(face);
        if (!added.families.empty()) faces.push_back(std::move(added));
    }
    if (faces.empty()) return nullptr;
    *count = static_cast<DWORD>(faces.size());
    uintptr_t handle = Fonts().next;
    Fonts().next += 0x10;
    Fonts().added[handle] = std::move(faces);
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI RemoveFontMemResourceEx(HANDLE handle) {
    FontEngineLock lock(FontEngineMutex());
    return Fonts().added.erase(reinterpret_cast<uintptr_t>(handle)) ? TRUE : FALSE;
}

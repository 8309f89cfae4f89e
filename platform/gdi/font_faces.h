// Where a logical font's face comes from: the private fonts added from memory (by family name), then
// fontconfig (by family, then by the language of the charset, then its default face). FreeType and
// fontconfig are used only under FontEngineMutex(); fonts are made on loader threads too.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

std::recursive_mutex& FontEngineMutex();
using FontEngineLock = std::lock_guard<std::recursive_mutex>;
// The process's FreeType library (under the lock).
FT_Library FontEngineLibrary();

// A face file on disk or a private font's bytes, and the styles that face has.
struct FontFaceSource {
    std::string path;
    std::shared_ptr<const std::vector<uint8_t>> memory;
    int index = 0;
    bool bold = false;
    bool italic = false;
    std::string family;  // UTF-8
};

struct FontFaceRequest {
    std::string family;  // UTF-8; empty for none
    int charSet = 1;     // DEFAULT_CHARSET
    int weight = 400;
    bool italic = false;
    bool fixedPitch = false;
};

// False only when no face at all can be found.
bool ResolveFontFace(const FontFaceRequest& request, FontFaceSource* source);
// Opens the face (under the lock); null on failure.
FT_Face OpenFontFace(const FontFaceSource& source);

// The private font with that family name (ASCII case ignored) closest to the style; false when none.
bool FindMemoryFontFace(const FontFaceRequest& request, FontFaceSource* source);

// fontconfig's language for a charset (DEFAULT_CHARSET: the system code page's language).
const char* LanguageOfCharSet(int charSet);
// The iconv encoding of a charset's code page.
const char* EncodingOfCharSet(int charSet);
// Every family name of a FreeType face (the name table's family entries, UTF-8), the main one first.
std::vector<std::string> FaceFamilyNames(FT_Face face);
bool SameFamilyName(const std::string& a, const std::string& b);

// GDI fonts as the library uses them: logical fonts made from a face name, height, weight, italic and
// charset; text metrics; glyph bitmaps of single- and double-byte codes; family enumeration; private
// fonts added from memory. Faces come from the fonts added from memory first, then from fontconfig.
#pragma once

#include "platform/kernel/win_types.h"

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OEM_CHARSET 255

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_MODERN 0x30

// TEXTMETRIC's tmPitchAndFamily: note that TMPF_FIXED_PITCH set means a variable-pitch font.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

#define TRUETYPE_FONTTYPE 0x0004

#define GGO_METRICS 0
#define GGO_BITMAP 1
#define GGO_GRAY4_BITMAP 5
#define GGO_GRAY8_BITMAP 6

struct LOGFONTA {
    LONG lfHeight;  // > 0: cell height (ascent + descent); < 0: em height; 0: a default size
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

// The text metrics of an enumerated face, with its TrueType flags.
struct NEWTEXTMETRICA : TEXTMETRICA {
    DWORD ntmFlags;
};

struct FONTSIGNATURE {
    DWORD fsUsb[4];
    DWORD fsCsb[2];
};

struct NEWTEXTMETRICEXA {
    NEWTEXTMETRICA ntmTm;
    FONTSIGNATURE ntmFontSig;
};

struct ENUMLOGFONTEXA {
    LOGFONTA elfLogFont;
    BYTE elfFullName[LF_FULLFACESIZE];
    BYTE elfStyle[LF_FACESIZE];
    BYTE elfScript[LF_FACESIZE];
};

// Called with an ENUMLOGFONTEXA and a NEWTEXTMETRICEXA; 0 stops the enumeration.
typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                                     LPARAM param);

struct FIXED {
    WORD fract;
    SHORT value;
};

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};

struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;  // left of the black box from the pen, top of it above the baseline
    SHORT gmCellIncX;
    SHORT gmCellIncY;
};

// Practically never fails: a face that is not found is replaced by one for the charset's language, or
// by fontconfig's default face.
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font);
// Metrics of the font selected into the device context.
BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// The glyph of a code of the font's charset (a byte, or lead x 256 + trail) in the selected font.
// GGO_BITMAP: 1 bit per pixel; GGO_GRAY4_BITMAP / GGO_GRAY8_BITMAP: a byte per pixel of 0..16 / 0..64;
// rows top-down, each padded to 4 bytes. With a null buffer or a zero size, returns the size the
// bitmap needs (0 for a glyph without pixels); else fills the buffer and returns that size. Only the
// identity matrix is supported. GDI_ERROR on failure.
DWORD WINAPI GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                              LPVOID buffer, const MAT2* matrix);
// Calls the callback once per installed family and charset matching the LOGFONT's face (empty: all)
// and charset (DEFAULT_CHARSET: all). Fonts added from memory are private and not enumerated. Returns
// the last value the callback returned (1 when it was not called).
int WINAPI EnumFontFamiliesExA(HDC dc, LOGFONTA* font, FONTENUMPROCA callback, LPARAM param, DWORD flags);

// Adds the font file's faces as private fonts, found by their family names. *count receives the number
// of faces. Null when the data holds no font.
HANDLE WINAPI AddFontMemResourceEx(PVOID data, DWORD size, PVOID reserved, DWORD* count);
BOOL WINAPI RemoveFontMemResourceEx(HANDLE handle);

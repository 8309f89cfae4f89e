// GDI as the library uses it. This header holds the device-context part: device contexts, stock
// objects and brushes, device-independent bitmaps (DIB sections and DIB blits) and device capabilities.
// The font part (fonts, glyph outlines, text metrics, memory fonts) is its own section, declared in
// gdi32_font.h and included at the end.
#pragma once

#include "platform/kernel/win_types.h"

// ---- Colours ----

typedef DWORD COLORREF;
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(color) ((BYTE)(color))
#define GetGValue(color) ((BYTE)(((WORD)(color)) >> 8))
#define GetBValue(color) ((BYTE)((color) >> 16))
#define CLR_INVALID 0xFFFFFFFFu

// ---- Objects ----

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)
#define GDI_ERROR 0xFFFFFFFFu

HGDIOBJ WINAPI GetStockObject(int index);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
// Fails for stock objects and for objects selected into a device context.
BOOL WINAPI DeleteObject(HGDIOBJ object);
// Copies the object's description (BITMAP or DIBSECTION for a bitmap, LOGBRUSH for a brush); with a null
// buffer, returns the size needed.
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
DWORD WINAPI GetObjectType(HGDIOBJ object);

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};
#define BS_SOLID 0
#define BS_NULL 1

// ---- Device contexts ----

// A memory device context compatible with the screen (dc null) or with dc; it starts with a 1 x 1
// monochrome bitmap selected.
HDC WINAPI CreateCompatibleDC(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);

#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define VREFRESH 116
#define DT_RASDISPLAY 1
#define RC_BITBLT 0x0001
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHDIB 0x2000

int WINAPI GetDeviceCaps(HDC dc, int index);

// ---- Device-independent bitmaps ----

#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define SRCCOPY 0x00CC0020u

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

// A bitmap of 16, 24 or 32 bits (16 and 32 with BI_RGB or BI_BITFIELDS) or 1, 4 or 8 bits with a
// palette, whose pixels the caller reaches through *bits (rows padded to 4 bytes, bottom-up unless the
// height is negative). The pixels start zeroed.
HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset);

// The DIB blits read the source bitmap (BITMAPINFOHEADER, BITMAPV4/V5 or BITMAPCOREHEADER, then the
// palette or the three masks) in every format a bitmap file has: 1, 4, 8 (plain or RLE), 16, 24 and 32
// bits. The caller hands whole rows (the scan lines it names); RLE data is bounded by biSizeImage.
// Source coordinates have their origin at the bitmap's lower-left corner, whichever way its rows run.
// Only SRCCOPY is drawn; pixels are sampled nearest.
int WINAPI SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                             UINT startScan, UINT scanLines, const void* bits, const BITMAPINFO* info,
                             UINT usage);
int WINAPI StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                         int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                         DWORD rop);

// ---- Fonts ----

#include "platform/gdi/gdi32_font.h"

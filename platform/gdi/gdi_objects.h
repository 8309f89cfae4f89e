// The GDI object table and device-context records. Every object kind derives from GdiObject; other
// parts of GDI (fonts) add their own kinds and select them into device contexts the same way.
// Everything here is used under GdiMutex().
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/gdi32.h"

enum class GdiObjectKind { kBrush, kPen, kBitmap, kFont, kRegion };

struct GdiObject {
    explicit GdiObject(GdiObjectKind object_kind) : kind(object_kind) {}
    virtual ~GdiObject() = default;
    // What GetObjectA copies: the bytes written, or the size wanted with a null buffer.
    virtual int Describe(int size, void* buffer) const = 0;
    GdiObjectKind kind;
    bool stock = false;
};

struct BrushObject : GdiObject {
    BrushObject(COLORREF brush_color, bool is_hollow)
        : GdiObject(GdiObjectKind::kBrush), color(brush_color), hollow(is_hollow) {}
    int Describe(int size, void* buffer) const override;
    COLORREF color;
    bool hollow;
};

struct PenObject : GdiObject {
    PenObject(COLORREF pen_color, bool is_null)
        : GdiObject(GdiObjectKind::kPen), color(pen_color), null(is_null) {}
    int Describe(int, void*) const override { return 0; }
    COLORREF color;
    bool null;
};

// A DIB section (or the 1 x 1 monochrome bitmap a memory device context starts with).
struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(GdiObjectKind::kBitmap) {}
    int Describe(int size, void* buffer) const override;
    BITMAPINFOHEADER header{};  // as created (negative height: top-down)
    uint32_t masks[3] = {};     // red, green, blue for 16 and 32 bits
    std::vector<RGBQUAD> palette;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;  // rows
    int pitch = 0;   // bytes per row
    bool top_down = false;
    bool section = false;  // a DIB section (its pixels can be drawn into)
    uint8_t* Row(int y_from_top) {
        int row = top_down ? y_from_top : height - 1 - y_from_top;
        return pixels.data() + static_cast<size_t>(row) * pitch;
    }
};

enum class DcKind { kWindow, kScreen, kMemory };

struct DcRecord {
    DcKind kind = DcKind::kScreen;
    HWND window = nullptr;
    std::map<GdiObjectKind, HGDIOBJ> selected;
    COLORREF text_color = RGB(0, 0, 0);
    COLORREF background_color = RGB(255, 255, 255);
    int background_mode = 2;  // OPAQUE
};

std::recursive_mutex& GdiMutex();
using GdiLock = std::lock_guard<std::recursive_mutex>;

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object);
GdiObject* FindGdiObject(HGDIOBJ handle);
template <typename T>
T* FindGdiObjectAs(HGDIOBJ handle, GdiObjectKind kind) {
    GdiObject* object = FindGdiObject(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
// True when some device context has the object selected.
bool IsGdiObjectSelected(HGDIOBJ handle);

HDC AddDc(const DcRecord& record);
DcRecord* FindDc(HDC dc);
void RemoveDc(HDC dc);

// The object a fresh device context has selected for a kind.
HGDIOBJ DefaultDcObject(GdiObjectKind kind);

// 0xFFRRGGBB of a COLORREF.
inline uint32_t PixelOfColor(COLORREF color) {
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(color)) << 16) |
           (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

#include "platform/gdi/gdi_objects.h"

#include <algorithm>
#include <cstring>

namespace {

struct GdiTables {
    std::recursive_mutex mutex;
    std::map<HGDIOBJ, std::unique_ptr<GdiObject>> objects;
    std::map<HDC, std::unique_ptr<DcRecord>> dcs;
    uintptr_t next_object = 0x20010;
    uintptr_t next_dc = 0x30010;
    HGDIOBJ monochrome = nullptr;
};

GdiTables& Tables() {
    static GdiTables* tables = new GdiTables;
    return *tables;
}

}  // namespace

int BrushObject::Describe(int size, void* buffer) const {
    if (!buffer) return sizeof(LOGBRUSH);
    if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
    LOGBRUSH brush{static_cast<UINT>(hollow ? BS_NULL : BS_SOLID), color, 0};
    std::memcpy(buffer, &brush, sizeof(brush));
    return sizeof(brush);
}

int BitmapObject::Describe(int size, void* buffer) const {
    if (!buffer) return section ? sizeof(DIBSECTION) : sizeof(BITMAP);
    BITMAP bitmap{0,
                  width,
                  height,
                  pitch,
                  1,
                  header.biBitCount,
                  section ? const_cast<uint8_t*>(pixels.data()) : nullptr};
    if (section && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION description{};
        description.dsBm = bitmap;
        description.dsBmih = header;
        description.dsBmih.biSizeImage = static_cast<DWORD>(pixels.size());
        std::memcpy(description.dsBitfields, masks, sizeof(masks));
        std::memcpy(buffer, &description, sizeof(description));
        return sizeof(description);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    std::memcpy(buffer, &bitmap, sizeof(bitmap));
    return sizeof(bitmap);
}

std::recursive_mutex& GdiMutex() {
    return Tables().mutex;
}

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object) {
    GdiTables& tables = Tables();
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(tables.next_object);
    tables.next_object += 0x10;
    tables.objects[handle] = std::move(object);
    return handle;
}

GdiObject* FindGdiObject(HGDIOBJ handle) {
    auto found = Tables().objects.find(handle);
    return found == Tables().objects.end() ? nullptr : found->second.get();
}

bool IsGdiObjectSelected(HGDIOBJ handle) {
    for (auto& [dc, record] : Tables().dcs)
        for (auto& [kind, selected] : record->selected)
            if (selected == handle) return true;
    return false;
}

HDC AddDc(const DcRecord& record) {
    GdiTables& tables = Tables();
    HDC dc = reinterpret_cast<HDC>(tables.next_dc);
    tables.next_dc += 0x10;
    tables.dcs[dc] = std::make_unique<DcRecord>(record);
    return dc;
}

DcRecord* FindDc(HDC dc) {
    auto found = Tables().dcs.find(dc);
    return found == Tables().dcs.end() ? nullptr : found->second.get();
}

void RemoveDc(HDC dc) {
    Tables().dcs.erase(dc);
}

HGDIOBJ DefaultDcObject(GdiObjectKind kind) {
    switch (kind) {
        case GdiObjectKind::kBrush:
            return GetStockObject(WHITE_BRUSH);
        case GdiObjectKind::kPen:
            return GetStockObject(BLACK_PEN);
        case GdiObjectKind::kBitmap: {
            GdiTables& tables = Tables();
            if (!tables.monochrome) {
                auto bitmap = std::make_unique<BitmapObject>();
                bitmap->stock = true;
                bitmap->width = bitmap->height = 1;
                bitmap->pitch = 2;
                bitmap->header.biSize = sizeof(BITMAPINFOHEADER);
                bitmap->header.biWidth = bitmap->header.biHeight = 1;
                bitmap->header.biPlanes = bitmap->header.biBitCount = 1;
                bitmap->pixels.assign(2, 0);
                tables.monochrome = AddGdiObject(std::move(bitmap));
            }
            return tables.monochrome;
        }
        default:
            return nullptr;
    }
}

HGDIOBJ WINAPI GetStockObject(int index) {
    static constexpr COLORREF kBrushColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                                RGB(64, 64, 64),    RGB(0, 0, 0),       0};
    static HGDIOBJ stock[NULL_PEN + 1] = {};
    if (index < 0 || index > NULL_PEN) return nullptr;
    GdiLock lock(GdiMutex());
    if (!stock[index]) {
        std::unique_ptr<GdiObject> object;
        if (index <= NULL_BRUSH)
            object = std::make_unique<BrushObject>(kBrushColors[index], index == NULL_BRUSH);
        else
            object =
                std::make_unique<PenObject>(index == WHITE_PEN ? RGB(255, 255, 255) : 0, index == NULL_PEN);
        object->stock = true;
        stock[index] = AddGdiObject(std::move(object));
    }
    return stock[index];
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    GdiLock lock(GdiMutex());
    return AddGdiObject(std::make_unique<BrushObject>(color & 0x00FFFFFFu, false));
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    GdiLock lock(GdiMutex());
    DcRecord* record = FindDc(dc);
    GdiObject* found = FindGdiObject(object);
    if (!record || !found) return nullptr;
    if (found->kind == GdiObjectKind::kBitmap) {
        if (record->kind != DcKind::kMemory) return nullptr;
        if (IsGdiObjectSelected(object) && record->selected[GdiObjectKind::kBitmap] != object) return nullptr;
    }
    auto slot = record->selected.find(found->kind);
    HGDIOBJ old = slot != record->selected.end() ? slot->second : DefaultDcObject(found->kind);
    record->selected[found->kind] = object;
    return old;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    GdiLock lock(GdiMutex());
    GdiObject* found = FindGdiObject(object);
    if (!found) return FALSE;
    if (found->stock) return TRUE;
    if (IsGdiObjectSelected(object)) return FALSE;
    Tables().objects.erase(object);
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    GdiLock lock(GdiMutex());
    GdiObject* found = FindGdiObject(object);
    return found ? found->Describe(size, buffer) : 0;
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
    GdiLock lock(GdiMutex());
    if (DcRecord* dc = FindDc(reinterpret_cast<HDC>(object)))
        return dc->kind == DcKind::kMemory ? OBJ_MEMDC : OBJ_DC;
    GdiObject* found = FindGdiObject(object);
    if (!found) return 0;
    switch (found->kind) {
        case GdiObjectKind::kBrush:
            return OBJ_BRUSH;
        case GdiObjectKind::kPen:
            return OBJ_PEN;
        case GdiObjectKind::kBitmap:
            return OBJ_BITMAP;
        case GdiObjectKind::kFont:
            return OBJ_FONT;
        case GdiObjectKind::kRegion:
            return OBJ_REGION;
    }
    return 0;
}

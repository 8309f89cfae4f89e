#include "platform/gdi/dc_target.h"

#include <cstring>

bool AcquireDcTarget(HDC dc, DcTarget* target) {
    DcRecord* record = FindDc(dc);
    if (!record) return false;
    if (record->kind == DcKind::kWindow) {
        if (!HostLockPicture(record->window, &target->picture)) return false;
        target->window = record->window;
        target->width = target->picture.width;
        target->height = target->picture.height;
        return true;
    }
    if (record->kind != DcKind::kMemory) return false;
    auto found = record->selected.find(GdiObjectKind::kBitmap);
    if (found == record->selected.end()) return false;
    auto* bitmap = FindGdiObjectAs<BitmapObject>(found->second, GdiObjectKind::kBitmap);
    int bits = bitmap ? bitmap->header.biBitCount : 0;
    if (!bitmap || !bitmap->section || (bits != 16 && bits != 24 && bits != 32)) return false;
    target->bitmap = bitmap;
    target->width = bitmap->width;
    target->height = bitmap->height;
    for (int i = 0; i < 3; ++i)
        MaskShiftWidth(bitmap->masks[i], &target->mask_shift[i], &target->mask_width[i]);
    return true;
}

void ReleaseDcTarget(DcTarget* target) {
    if (target->window) HostUnlockPicture(target->window, target->changed);
    target->window = nullptr;
    target->bitmap = nullptr;
}

void WriteDcPixel(DcTarget* target, int x, int y, uint32_t pixel) {
    target->changed = true;
    if (target->window) {
        target->picture.pixels[static_cast<size_t>(y) * target->picture.pitch + x] = pixel | 0xFF000000u;
        return;
    }
    uint8_t* row = target->bitmap->Row(y);
    switch (target->bitmap->header.biBitCount) {
        case 24:
            row[3 * x] = static_cast<uint8_t>(pixel);
            row[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(pixel >> 16);
            return;
        case 16:
        case 32: {
            uint32_t packed = 0;
            for (int channel = 0; channel < 3; ++channel) {
                int width = target->mask_width[channel];
                if (width == 0) continue;
                uint32_t value = (pixel >> (16 - 8 * channel)) & 0xFF;
                value = width <= 8 ? value >> (8 - width) : value << (width - 8);
                packed |= value << target->mask_shift[channel];
            }
            if (target->bitmap->header.biBitCount == 16) {
                uint16_t value16 = static_cast<uint16_t>(packed);
                std::memcpy(row + 2 * x, &value16, 2);
            } else {
                std::memcpy(row + 4 * x, &packed, 4);
            }
            return;
        }
    }
}

// Screenshots: a rectangle of the draw screen written as BMP, JPEG or PNG. Beyond a bad rectangle and a
// missing device, a null file name, a copy that cannot be made and an invalid software image give -1;
// another image type writes nothing and gives 0.
#include "engine/graphics/graphics.h"

#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/loss/draw_screen.h"
#include "engine/graphics/loss/surface_copy.h"
#include "engine/image/image_writers.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"

namespace {

constexpr char kSystemSurfaceFailure[] = "SaveDrawScreen 用システムメモリサーフェスの作成に失敗しました\n";

struct Writer {
    const char* fileName;
    int imageType;
    int jpegQuality;
    int jpegSample2x1;
    int pngCompressLevel;
};

void Write(const Writer& writer, SoftImage* image) {
    switch (writer.imageType) {
        case kSaveImageBmp:
            SaveImageAsBmp(writer.fileName, image);
            break;
        case kSaveImageJpeg:
            SaveImageAsJpeg(writer.fileName, image, writer.jpegQuality, writer.jpegSample2x1);
            break;
        case kSaveImagePng:
            SaveImageAsPng(writer.fileName, image, writer.pngCompressLevel);
            break;
        default:
            break;
    }
}

// image: format, width and height set; its pixels become pitch rows from (x, y) of base.
void PointAt(SoftImage* image, uint8_t* base, int pitch, int x, int y) {
    image->pitch = pitch;
    image->pixels = base + y * pitch + x * image->format.pixelBytes;
}

int SaveFromDevice(const DrawScreen& screen, int x1, int y1, SoftImage* image, const Writer& writer) {
    if (!HasD3DDevice()) return -1;
    FlushVertexBatch(0);
    EndSceneIfBegun();
    IDirect3DSurface9* surface = AcquireDrawScreenSurface(screen, 0);
    if (surface == nullptr) return -1;
    const ColorFormat* format = GetColorFormatDescriptor(uint32_t(screen.format));
    if (format != nullptr) image->format = *format;
    IDirect3DSurface9* system = CopySurfaceToSystemMemory(surface, screen.format, nullptr, screen.width,
                                                          screen.height, kSystemSurfaceFailure, nullptr);
    surface->Release();
    if (system == nullptr) return -1;
    D3DLOCKED_RECT locked{};
    if (FAILED(system->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        system->Release();
        return -1;
    }
    PointAt(image, static_cast<uint8_t*>(locked.pBits), locked.Pitch, x1, y1);
    Write(writer, image);
    system->UnlockRect();
    system->Release();
    return 0;
}

int SaveFromSoftware(const DrawScreen& screen, int x1, int y1, SoftImage* image, const Writer& writer) {
    MEMIMG* memImg = DrawScreenMemImg(screen);
    if (memImg == nullptr || !IsMemImgValid(memImg)) return -1;
    image->format = *memImg->base->colorFormat;
    PointAt(image, memImg->pixels, memImg->base->pitch, x1, y1);
    Write(writer, image);
    return 0;
}

}  // namespace

int SaveDrawScreen(int x1, int y1, int x2, int y2, const char* fileName, int imageType, int jpegQuality,
                   int jpegSample2x1, int pngCompressLevel) {
    DrawScreen screen;
    FindDrawScreen(-1, &screen);
    if (fileName == nullptr || !IsRectOnDrawScreen(screen, x1, y1, x2, y2)) return -1;
    SoftImage image{};
    image.width = x2 - x1;
    image.height = y2 - y1;
    const Writer writer{fileName, imageType, jpegQuality, jpegSample2x1, pngCompressLevel};
    return Direct3DMode ? SaveFromDevice(screen, x1, y1, &image, writer)
                        : SaveFromSoftware(screen, x1, y1, &image, writer);
}

#include "engine/graphics/device/present_frame.h"

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/frame/window_utils.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_mem_image.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/device/vertical_blank.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/loss/back_buffer_lock.h"
#include "engine/graphics/target/render_target_slots.h"
#include "engine/image/soft_image.h"
#include "engine/softrender/mem_img.h"
#include "platform/gdi/gdi32.h"

PresentRects presentRects;

namespace {

constexpr int64_t kQuickPresentMicroseconds = 500;
constexpr RECT kHalfSizeSource{0, 0, 320, 240};
constexpr RECT kHalfSizeDestination{0, 0, 640, 480};

int Width(const RECT& rect) {
    return rect.right - rect.left;
}
int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}
bool IsEmpty(const RECT& rect) {
    return Width(rect) <= 0 || Height(rect) <= 0;
}

// value x numerator / denominator + offset; false for a zero denominator.
bool Scale(int value, int numerator, int denominator, int offset, LONG* out) {
    if (denominator == 0) return false;
    *out = LONG(int64_t(value) * numerator / denominator + offset);
    return true;
}

// rect scaled by the screen size over size, then moved by (left, top); false for a zero size or an empty
// result.
bool MapThrough(const RECT& rect, const RECT& through, RECT* mapped) {
    const int w = screenSettings.width, h = screenSettings.height;
    const int sw = Width(through), sh = Height(through);
    return Scale(rect.left, w, sw, through.left, &mapped->left) &&
           Scale(rect.right, w, sw, through.left, &mapped->right) &&
           Scale(rect.top, h, sh, through.top, &mapped->top) &&
           Scale(rect.bottom, h, sh, through.top, &mapped->bottom) && !IsEmpty(*mapped);
}

RECT SourceRect() {
    if (IsHalfSizeFrame()) return kHalfSizeSource;
    if (presentRects.sourceSwitch) return presentRects.source;
    return RECT{0, 0, screenSettings.width, screenSettings.height};
}

bool IsWindowMode() {
    return libraryState.settings.windowMode != 0;
}

RECT DestinationRect() {
    if (!IsWindowMode()) return RECT{0, 0, screenSettings.width, screenSettings.height};
    int width, height;
    GetLogicalScreenSize(&width, &height);
    RECT destination{0, 0, width, height};
    if (!IsHalfSizeFrame()) {
        double rateX, rateY;
        GetWindowSizeRate(&rateX, &rateY);
        destination.right = LONG(width * rateX);
        destination.bottom = LONG(height * rateY);
    }
    if (libraryState.run.toolbarPresent) {
        RECT client{};
        GetClientRect(GetTargetWindowHandle(), &client);
        const LONG shift = client.bottom - destination.bottom;
        destination.top += shift;
        destination.bottom += shift;
    }
    return destination;
}

// Shows an image of the screen in the layered window.
int CaptureWindowToDib(const SoftImage& image) {
    LayeredWindowTarget target{GetTargetWindowHandle(), libraryState.run.captionHeight, GetTransparentColor(),
                               reinterpret_cast<decltype(LayeredWindowTarget::updateLayeredWindow)>(
                                   libraryState.run.updateLayeredWindow)};
    return LayeredWindowPresent(&image, target);
}

// The back buffer, locked whole for the moment, goes to the layered window.
int PresentLayeredDevice() {
    if (IsWaitVerticalSync()) WaitVerticalBlank();
    const int saved = SwapDrawScreen(kDrawTargetBackBuffer);
    RECT all{0, 0, screenSettings.width, screenSettings.height};
    SoftImage image{};
    if (LockBackBuffer(&all, &image, -1, 1, 0) == 0) {
        CaptureWindowToDib(image);
        ReleaseBackBufferLock();
    }
    SwapDrawScreen(saved);
    return 0;
}

HRESULT PresentSwapChain(const RECT* source, const RECT* destination) {
    return direct3DSystem.swapChain->Present(source, destination, GetTargetWindowHandle(), nullptr, 0);
}

int PresentDevice(const RECT* rect) {
    FlushVertexBatch(0);
    EndSceneIfBegun();
    if (libraryState.settings.layered) return PresentLayeredDevice();
    RECT source = SourceRect(), destination = DestinationRect();
    if (IsHalfSizeFrame()) source = kHalfSizeSource, destination = kHalfSizeDestination;
    IDirect3DSurface9* sub = GetSubBackBuffer();
    if (sub != nullptr && FAILED(DeviceStretchRect(sub, nullptr, BackBufferSurface, nullptr, D3DTEXF_NONE)))
        return -1;
    if (direct3DSystem.swapChain == nullptr) return 0;
    const int64_t start = GetMicrosecondCount();
    if (!libraryState.run.minimised) {
        HRESULT result;
        if (!IsWindowMode()) {
            const bool whole = !IsHalfSizeFrame() && !presentRects.sourceSwitch;
            result = whole ? PresentSwapChain(nullptr, nullptr) : PresentSwapChain(&source, &destination);
        } else if (rect != nullptr) {
            RECT mapped;
            if (!MapThrough(*rect, destination, &mapped)) return -1;
            result = PresentSwapChain(&mapped, rect);
        } else {
            presentRects.lastSource = source;
            presentRects.lastDestination = destination;
            result = PresentSwapChain(&source, &destination);
        }
        if (FAILED(result)) return -1;
    }
    if (GetRunAlwaysFlag() && IsWaitVerticalSync() &&
        GetMicrosecondCount() - start < kQuickPresentMicroseconds)
        WaitVerticalBlank();
    return 0;
}

// A MEMIMG read as an image record (no copy).
SoftImage DescribeMemImg(const MEMIMG& image) {
    SoftImage view{};
    view.format = *image.base->colorFormat;
    view.width = image.width;
    view.height = image.height;
    view.pitch = image.base->pitch;
    view.pixels = image.pixels;
    return view;
}

struct BitfieldsInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

BitfieldsInfo TopDownInfo(const MEMIMG& image) {
    const ColorFormat& format = *image.base->colorFormat;
    BitfieldsInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = image.base->pitch / image.base->pixelBytes;
    info.header.biHeight = -image.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(image.base->pixelBytes * 8);
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = format.redMask;
    info.masks[1] = format.greenMask;
    info.masks[2] = format.blueMask;
    return info;
}

// Rows are counted from the bottom of the image.
void StretchFrom(HDC dc, const RECT& to, const RECT& from, const MEMIMG& image, const BitfieldsInfo& info) {
    StretchDIBits(dc, to.left, to.top, Width(to), Height(to), from.left, image.height - from.bottom,
                  Width(from), Height(from), image.pixels, reinterpret_cast<const BITMAPINFO*>(&info),
                  DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

bool MapPresentRect(const RECT& rect, RECT* mapped) {
    return MapThrough(rect, presentRects.lastSource, mapped);
}

int PresentSoftwareImage(const MEMIMG* image, const RECT* rect) {
    RECT mapped{};
    if (rect != nullptr && !MapPresentRect(*rect, &mapped)) return -1;
    if (image == nullptr || !IsMemImgValid(image)) return 0;
    if (IsWaitVerticalSync()) WaitVerticalBlank();
    if (libraryState.settings.layered) {
        CaptureWindowToDib(DescribeMemImg(*image));
        return 0;
    }
    const BitfieldsInfo info = TopDownInfo(*image);
    HWND window = GetTargetWindowHandle();
    HDC dc = GetDC(window);
    if (dc == nullptr) return 0;
    const RECT destination = DestinationRect();
    const RECT screen{0, 0, screenSettings.width, screenSettings.height};
    if (IsHalfSizeFrame()) {
        StretchFrom(dc, kHalfSizeDestination, kHalfSizeSource, *image, info);
        presentRects.lastSource = presentRects.lastDestination = kHalfSizeDestination;
    } else if (rect != nullptr) {
        StretchFrom(dc, *rect, mapped, *image, info);
    } else if (presentRects.sourceSwitch) {
        StretchFrom(dc, destination, presentRects.source, *image, info);
    } else if (Width(destination) == screenSettings.width && Height(destination) == screenSettings.height) {
        SetDIBitsToDevice(dc, 0, 0, DWORD(screenSettings.width), DWORD(screenSettings.height), 0, 0, 0,
                          UINT(image->height), image->pixels, reinterpret_cast<const BITMAPINFO*>(&info),
                          DIB_RGB_COLORS);
    } else {
        StretchFrom(dc, destination, screen, *image, info);
    }
    ReleaseDC(window, dc);
    return 0;
}

int PresentFrame(const RECT* rect) {
    RECT mapped;
    if (rect != nullptr && !MapPresentRect(*rect, &mapped)) return -1;
    if (Direct3DMode) return PresentDevice(rect);
    return PresentSoftwareImage(GetScreenMemImage(), rect);
}

void ResetPresentRectsForTests() {
    presentRects = PresentRects{};
}

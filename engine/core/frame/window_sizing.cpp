#include "engine/core/frame/window_sizing.h"

#include <algorithm>

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/window_mode.h"
#include "engine/graphics/graphics_services.h"

namespace {

constexpr int kMinimumSide = 128;

bool DragsRight(int edge) {
    return edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
}
bool DragsBottom(int edge) {
    return edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
}
bool DragsCorner(int edge) {
    return edge >= WMSZ_TOPLEFT && edge != WMSZ_BOTTOM;
}

// Which edges move for a dragged edge or corner: the horizontal one (left or right) and the vertical one.
void MovedEdges(int edge, bool* moveLeft, bool* moveTop) {
    switch (edge) {
        case WMSZ_LEFT:
            *moveLeft = true, *moveTop = false;
            break;
        case WMSZ_TOP:
            *moveLeft = false, *moveTop = true;
            break;
        case WMSZ_TOPLEFT:
            *moveLeft = true, *moveTop = true;
            break;
        case WMSZ_TOPRIGHT:
            *moveLeft = false, *moveTop = true;
            break;
        case WMSZ_BOTTOMLEFT:
            *moveLeft = true, *moveTop = false;
            break;
        default:
            *moveLeft = false, *moveTop = false;
            break;  // right, bottom, bottom-right
    }
}

void PlaceEdges(int edge, RECT* rect, int outerWidth, int outerHeight) {
    bool moveLeft, moveTop;
    MovedEdges(edge, &moveLeft, &moveTop);
    if (moveLeft) {
        rect->left = rect->right - outerWidth;
    } else {
        rect->right = rect->left + outerWidth;
    }
    if (moveTop) {
        rect->top = rect->bottom - outerHeight;
    } else {
        rect->bottom = rect->top + outerHeight;
    }
}

// Within the size-rate limit; the rates stay. Only a side over the limit moves an edge.
void LimitToRates(int edge, RECT* rect, const WindowFrame& frame, int width, int height, int screenWidth,
                  int screenHeight) {
    const LibrarySettings& settings = libraryState.settings;
    const int limitWidth = int(screenWidth * (settings.sizeRateX <= 0.0 ? 1.0 : settings.sizeRateX));
    const int limitHeight = int(screenHeight * (settings.sizeRateY <= 0.0 ? 1.0 : settings.sizeRateY));
    if (width > limitWidth) {
        const int outer = limitWidth + frame.left + frame.right;
        if (DragsRight(edge)) {
            rect->right = rect->left + outer;
        } else {
            rect->left = rect->right - outer;
        }
    }
    if (height > limitHeight) {
        const int outer = limitHeight + frame.top + frame.bottom;
        if (DragsBottom(edge)) {
            rect->bottom = rect->top + outer;
        } else {
            rect->top = rect->bottom - outer;
        }
    }
}

}  // namespace

void SizeWindowRect(int edge, RECT* rect, const WindowFrame& frame) {
    LibraryRunState& run = libraryState.run;
    LibrarySettings& settings = libraryState.settings;
    const int frameWidth = frame.left + frame.right, frameHeight = frame.top + frame.bottom;
    int width = std::min(int(rect->right - rect->left) - frameWidth, run.desktopWidth - frameWidth);
    int height = std::min(int(rect->bottom - rect->top) - frameHeight, run.desktopHeight - frameHeight);
    int screenWidth, screenHeight;
    GetLogicalScreenSize(&screenWidth, &screenHeight);
    if (settings.useClientSize || settings.sizeRateOnly) {
        LimitToRates(edge, rect, frame, width, height, screenWidth, screenHeight);
        return;
    }
    bool byHeight = edge == WMSZ_TOP || edge == WMSZ_BOTTOM;
    if (DragsCorner(edge)) byHeight = double(height) / screenHeight >= double(width) / screenWidth;
    double rate = byHeight ? double(height) / screenHeight : double(width) / screenWidth;
    width = int(screenWidth * rate);
    height = int(screenHeight * rate);
    if (width < kMinimumSide || height < kMinimumSide) {
        rate = double(kMinimumSide) / std::min(screenWidth, screenHeight);
        width = screenWidth <= screenHeight ? kMinimumSide : int(screenWidth * rate);
        height = screenWidth <= screenHeight ? int(screenHeight * rate) : kMinimumSide;
    }
    settings.sizeRateX = settings.sizeRateY = rate;
    PlaceEdges(edge, rect, width + frameWidth, height + frameHeight);
}

WindowFrame CurrentWindowFrame() {
    RECT rect = {0, 0, 0, 0};
    AdjustWindowRectEx(&rect, CurrentWindowStyle(),
                       libraryState.settings.menu != nullptr && libraryState.run.menuAttached,
                       CurrentWindowExStyle());
    return WindowFrame{-int(rect.left), -int(rect.top), int(rect.right), int(rect.bottom)};
}

// The video renderer that DirectShow movie graphs end in: every sample becomes one top-down frame in a
// frame buffer of its own (YUV sub-types converted to 32-bit XRGB) and raises the new-frame flag that
// the main thread takes. It draws nothing itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/image/soft_image.h"
#include "platform/dshow/base_classes.h"

enum MovieFrameFormat : int32_t {
    kMovieFrameRgb24 = 0,
    kMovieFrameRgb32 = 1,
    kMovieFrameYv12 = 2,
    kMovieFrameNv12 = 3,
    kMovieFrameYuy2 = 4,
    kMovieFrameUyvy = 5,
    kMovieFrameYvyu = 6,
    kMovieFrameNv11 = 7,
};

class T_CMovieRendererFilter : public T_CBaseVideoRenderer {
  public:
    T_CMovieRendererFilter(IUnknown* outer, HRESULT* result);
    HRESULT SetMediaType(const T_CMediaType* type) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    HRESULT CheckMediaType(const T_CMediaType* type) override;

    // The main thread's side: takes the flag (1 when a new frame came since the last take).
    int TakeNewFrame() { return newFrame.exchange(0); }
    // Guards the frame buffer and its geometry against a new sample or format while the main thread
    // reads them.
    std::mutex& FrameLock() { return frameLock_; }

    SoftImage* yuvImage = nullptr;
    int32_t formatCode = 0;
    uint8_t* frameBuffer = nullptr;
    std::atomic<int32_t> newFrame{0};
    int32_t bottomUp = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowPitch = 0;

  protected:
    ~T_CMovieRendererFilter() override;

  private:
    void ReleaseYuvImage();
    std::mutex frameLock_;
};

// The renderer with a reference held, or null when memory runs out.
T_CMovieRendererFilter* CreateMovieRenderer(IUnknown* outer, HRESULT* result);

// The Ogg Theora picture of a movie: the file's page index, a decode thread that keeps a stock of
// decoded frames ahead of the shown one, and the conversion of the shown frame into a 32-bit XRGB
// SoftImage. The main thread moves the shown frame on; the thread fills the stock.
#pragma once

#include <ogg/ogg.h>
#include <theora/theora.h>

#include <atomic>
#include <cstdint>

#include "engine/core/files/file_access.h"
#include "engine/image/soft_image.h"
#include "platform/kernel/kernel32.h"

enum TheoraThreadState : int32_t {
    kTheoraThreadIdle = 0,
    kTheoraThreadDecoding = 1,
    kTheoraThreadSeeking = 2,
    kTheoraThreadEnded = 3,
    kTheoraThreadPaused = 4,
};

// One page of the file in which at least one frame packet of the Theora stream ends.
struct TheoraPageEntry {
    int64_t filePosition;
    int32_t firstFrame;  // the first frame whose packet ends in the page
    int32_t hasKeyframe;
    int32_t frameCount;
};

// A decoded picture: planes stored top-down with stride = width.
struct TheoraFrameSlot {
    std::atomic<int32_t> filled;
    std::atomic<int32_t> frame;
    uint8_t* planes[3];  // Y, U, V (tracked memory)
    int32_t yWidth;
    int32_t yHeight;
    int32_t chromaWidth;
    int32_t chromaHeight;
};

struct TheoraMovie {
    std::atomic<int32_t> threadState;
    std::atomic<int32_t> pauseRequest;
    std::atomic<int32_t> stopRequest;
    std::atomic<int32_t> seekRequest;  // raised by the main thread on each seek (a serial number)
    std::atomic<int32_t> seekHandled;  // the serial of the last seek the thread finished
    std::atomic<int32_t> seekTarget;
    std::atomic<int32_t> endOfFile;
    HANDLE thread;
    DWORD threadId;
    HANDLE wake;  // set by the main thread when it waits on the thread; ends the thread's idle wait

    FileAccessTable file;
    uintptr_t fileHandle;

    ogg_sync_state sync;
    ogg_page page;
    ogg_stream_state stream;
    ogg_packet packet;
    theora_info info;
    theora_comment comment;
    theora_state decoder;
    int32_t streamReady;        // 1 while `stream` is initialised
    int32_t decoderReady;       // 1 while `decoder` is initialised
    int32_t decoderHasPicture;  // 1 once a coded frame was decoded: before it the decoder has no picture
    int32_t serialNumber;
    int32_t headerCount;

    TheoraPageEntry* pages;
    int32_t pageCount;
    int32_t pageCapacity;
    uint8_t* keyframes;  // one byte a frame
    int32_t keyframeCapacity;
    int64_t frameCount;

    std::atomic<int32_t> currentFrame;  // written by the main thread only
    int32_t decoderFrame;               // the decode thread's; -1 before the first frame of a pass
    int64_t pagePosition;               // file position of the next page the sync state gives out
    int64_t fedPagePosition;            // file position of the page last given to the stream state

    TheoraFrameSlot* slots;
    int32_t slotCount;

    SoftImage image;
    std::atomic<int32_t> surfaceInvalid;  // the surface was dropped with the device's resources
    void* surface;                        // IDirect3DSurface9 in a YUV format, or null
    uint32_t surfaceFourcc;               // "YV12", "YUY2", "UYVY", or 0 without a surface
    int32_t imageCurrent;
    int32_t surfaceCurrent;
};

struct TheoraMovieInfo {
    double framesPerSecond;
    int32_t frameCount;
    int32_t width;  // the picture shown, not the coded frame
    int32_t height;
};

int InitYuvToRgbTables();
// The movie, or null when the file is not an Ogg Theora movie or a resource fails. The file stays the
// caller's; `stockCount` decoded frames are kept ahead of the shown one.
TheoraMovie* OpenTheoraMovie(const FileAccessTable* table, uintptr_t file, int stockCount, int async);
int CloseTheoraMovie(TheoraMovie* movie);
// Moves the shown frame on by n (n < 1: nothing), wrapping past the last frame.
int AdvanceTheoraFrame(TheoraMovie* movie, int n);
// Makes `frame` (clamped to the movie) the shown frame and has the thread decode it.
int SeekTheoraMovie(TheoraMovie* movie, int frame);
// 1 when it converted the shown frame, 0 when there was nothing to do or no frame.
int UpdateTheoraImage(TheoraMovie* movie, int imageWanted, int surfaceWanted, int async);
// Drops the surface (it belongs to the device being released) and marks both the image and the surface
// as not holding the shown frame.
int InvalidateTheoraImage(TheoraMovie* movie);
SoftImage* GetTheoraImage(TheoraMovie* movie);
void* GetTheoraSurface(TheoraMovie* movie);
int GetTheoraMovieInfo(TheoraMovie* movie, TheoraMovieInfo* info);
int GetTheoraCurrentFrame(TheoraMovie* movie);
// The stock slot holding the shown frame, or null (tests and the surface upload read its planes).
const TheoraFrameSlot* FindTheoraSlot(TheoraMovie* movie, int frame);

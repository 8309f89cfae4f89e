// Ogg Theora decoding over libogg and libtheora's theora_* interface, with a decode thread per movie
// that keeps a stock of frames from the shown frame on (wrapping to the start for looping playback).
#include "engine/text_movie/theora_movie.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/text_movie/theora_surface.h"
#include "engine/text_movie/theora_yuv_tables.h"

namespace {

constexpr int kReadChunk = 4096;
constexpr int kIndexGrowth = 1000;
constexpr int64_t kFrameLimit = 0x7FFFFF00;

YuvToRgbTables yuvTables;

inline uint8_t ClampByte(int value) {
    return uint8_t(std::clamp(value, 0, 255));
}

// --- reading pages and packets -------------------------------------------------------------------

// 1 when more bytes came, 0 at the end of the file.
int ReadMore(TheoraMovie* m) {
    char* buffer = ogg_sync_buffer(&m->sync, kReadChunk);
    if (!buffer) return 0;
    size_t got = m->file.read(buffer, 1, kReadChunk, m->fileHandle);
    ogg_sync_wrote(&m->sync, long(got));
    return got > 0 ? 1 : 0;
}

// Takes the next page into m->page; its file position is m->pagePosition on return. 0 at the end.
int NextPage(TheoraMovie* m, int64_t* pageStart) {
    for (;;) {
        long result = ogg_sync_pageseek(&m->sync, &m->page);
        if (result > 0) {
            *pageStart = m->pagePosition;
            m->pagePosition += result;
            return 1;
        }
        if (result < 0) {
            m->pagePosition += -result;
            continue;
        }
        if (!ReadMore(m)) return 0;
    }
}

// Takes the next packet of the Theora stream into m->packet, feeding pages; `pageStart` receives the
// position of the page the packet ended in. 0 at the end of the file.
int NextPacket(TheoraMovie* m, int64_t* pageStart) {
    for (;;) {
        int result = ogg_stream_packetout(&m->stream, &m->packet);
        if (result == 1) {
            if (pageStart) *pageStart = m->fedPagePosition;
            return 1;
        }
        if (result < 0) continue;  // a gap in the stream: go on with the next whole packet
        int64_t start = 0;
        if (!NextPage(m, &start)) return 0;
        if (ogg_stream_pagein(&m->stream, &m->page) == 0) m->fedPagePosition = start;
    }
}

void ResetReading(TheoraMovie* m, int64_t position) {
    ogg_sync_reset(&m->sync);
    ogg_stream_reset(&m->stream);
    m->file.seek(m->fileHandle, position, SEEK_ORIGIN_START);
    m->pagePosition = position;
}

// --- opening ---------------------------------------------------------------------------------------

int ScanHeaders(TheoraMovie* m) {
    int64_t start = 0;
    while (m->headerCount == 0) {
        if (!NextPage(m, &start) || !ogg_page_bos(&m->page)) return -1;
        ogg_stream_state test;
        ogg_stream_init(&test, ogg_page_serialno(&m->page));
        ogg_packet packet;
        if (ogg_stream_pagein(&test, &m->page) == 0 && ogg_stream_packetout(&test, &packet) == 1 &&
            theora_decode_header(&m->info, &m->comment, &packet) >= 0) {
            m->stream = test;
            m->streamReady = 1;
            m->serialNumber = ogg_page_serialno(&m->page);
            m->headerCount = 1;
        } else {
            ogg_stream_clear(&test);
        }
    }
    while (m->headerCount < 3) {
        int result = ogg_stream_packetout(&m->stream, &m->packet);
        if (result < 0) return -1;
        if (result == 1) {
            if (theora_decode_header(&m->info, &m->comment, &m->packet) < 0) return -1;
            m->headerCount++;
            continue;
        }
        if (!NextPage(m, &start)) {
            LogText("End of file while searching for codec headers.\n");
            return -1;
        }
        ogg_stream_pagein(&m->stream, &m->page);
    }
    return 0;
}

int CheckPictureGeometry(const theora_info& info) {
    if (info.fps_numerator == 0 || info.fps_denominator == 0) return -1;
    if (info.frame_width == 0 || info.frame_height == 0) return -1;
    if (info.frame_width > info.width || info.frame_height > info.height) return -1;
    if (info.offset_x > info.width - info.frame_width) return -1;
    if (info.offset_y > info.height - info.frame_height) return -1;
    return 0;
}

template <typename T>
int GrowArray(T** array, int32_t* capacity, int32_t needed) {
    if (needed <= *capacity) return 0;
    int32_t newCapacity = *capacity + kIndexGrowth;
    void* grown = TrackedRealloc(*array, size_t(newCapacity) * sizeof(T), "TheoraMovie", __LINE__);
    if (!grown) return -1;
    *array = static_cast<T*>(grown);
    std::memset(*array + *capacity, 0, size_t(kIndexGrowth) * sizeof(T));
    *capacity = newCapacity;
    return 0;
}

int IndexPages(TheoraMovie* m) {
    m->pages = static_cast<TheoraPageEntry*>(
        TrackedAllocZeroed(sizeof(TheoraPageEntry) * kIndexGrowth, "TheoraMovie", __LINE__));
    if (!m->pages) {
        LogText("Theora ページ情報格納用メモリの確保に失敗しました\n");
        return -1;
    }
    m->pageCapacity = kIndexGrowth;
    m->keyframes = static_cast<uint8_t*>(TrackedAllocZeroed(kIndexGrowth, "TheoraMovie", __LINE__));
    if (!m->keyframes) {
        LogText("Theora キーフレーム情報格納用メモリの確保に失敗しました\n");
        return -1;
    }
    m->keyframeCapacity = kIndexGrowth;
    int64_t lastEntryPage = -1;
    int64_t pageStart = 0;
    while (m->frameCount < kFrameLimit && NextPacket(m, &pageStart)) {
        int key = theora_packet_iskeyframe(&m->packet);
        if (key < 0) continue;
        if (m->pageCount == 0 || pageStart != lastEntryPage) {
            if (GrowArray(&m->pages, &m->pageCapacity, m->pageCount + 1) < 0) return -1;
            TheoraPageEntry& entry = m->pages[m->pageCount++];
            entry.filePosition = pageStart;
            entry.firstFrame = int32_t(m->frameCount);
            lastEntryPage = pageStart;
        }
        if (GrowArray(&m->keyframes, &m->keyframeCapacity, int32_t(m->frameCount) + 1) < 0) return -1;
        TheoraPageEntry& entry = m->pages[m->pageCount - 1];
        if (key > 0) {
            entry.hasKeyframe = 1;
            m->keyframes[m->frameCount] = 1;
        }
        entry.frameCount++;
        m->frameCount++;
    }
    if (m->frameCount == 0) return -1;
    m->pages[0].filePosition = 0;
    return 0;
}

// --- decoding (decode thread) ---------------------------------------------------------------------

void RewindToStart(TheoraMovie* m) {
    ResetReading(m, m->pages[0].filePosition);
    m->decoderFrame = -1;
}

int LastKeyframeIn(const TheoraMovie* m, int first, int last) {
    for (int f = last; f >= first; f--)
        if (m->keyframes[f]) return f;
    return -1;
}

// Feeds the decoder until it has moved on by n frames, wrapping past the last frame. 0 when the file
// ended first.
int DecodeForward(TheoraMovie* m, int64_t n) {
    const int last = int(m->frameCount) - 1;
    while (n > 0) {
        if (m->decoderFrame >= last) RewindToStart(m);
        int target = int(std::min<int64_t>(m->decoderFrame + n, last));
        n -= target - m->decoderFrame;
        int key = LastKeyframeIn(m, m->decoderFrame + 1, target);
        while (m->decoderFrame < target) {
            if (!NextPacket(m, nullptr)) return 0;
            if (theora_packet_iskeyframe(&m->packet) < 0) continue;
            int frame = m->decoderFrame + 1;
            if ((key < 0 || frame >= key) && theora_decode_packetin(&m->decoder, &m->packet) == 0 &&
                m->packet.bytes > 0)
                m->decoderHasPicture = 1;
            m->decoderFrame = frame;
        }
    }
    return 1;
}

// Brings the decoder to hold `target`, starting from the last page before its keyframe. 1, or 0.
int DecodeTo(TheoraMovie* m, int target) {
    int key = std::max(LastKeyframeIn(m, 0, target), 0);
    int entry = -1;
    for (int i = 0; i < m->pageCount && m->pages[i].firstFrame < key; i++) entry = i;
    if (entry <= 0) {
        RewindToStart(m);
    } else {
        ResetReading(m, m->pages[entry].filePosition);
        int64_t start = 0;
        if (!NextPage(m, &start)) return 0;
        m->decoderFrame = m->pages[entry].firstFrame - 1 + (ogg_page_continued(&m->page) ? 1 : 0);
        ogg_stream_pagein(&m->stream, &m->page);
    }
    return DecodeForward(m, target - m->decoderFrame);
}

int StockWindow(const TheoraMovie* m) {
    return int(std::min<int64_t>(m->slotCount, m->frameCount));
}

// Frames from the shown one on, wrapping, for as many as the stock holds.
bool IsWanted(const TheoraMovie* m, int frame, int current) {
    int64_t distance = ((int64_t(frame) - current) % m->frameCount + m->frameCount) % m->frameCount;
    return distance < StockWindow(m);
}

TheoraFrameSlot* SlotHolding(TheoraMovie* m, int frame) {
    for (int i = 0; i < m->slotCount; i++)
        if (m->slots[i].filled.load(std::memory_order_acquire) && m->slots[i].frame.load() == frame)
            return &m->slots[i];
    return nullptr;
}

TheoraFrameSlot* FreeSlot(TheoraMovie* m) {
    for (int i = 0; i < m->slotCount; i++)
        if (!m->slots[i].filled.load(std::memory_order_acquire)) return &m->slots[i];
    return nullptr;
}

void EmptyAllSlots(TheoraMovie* m) {
    for (int i = 0; i < m->slotCount; i++) m->slots[i].filled.store(0, std::memory_order_release);
}

// A black picture of the coded frame's geometry, for frames shown before any could be decoded.
struct BlankPicture {
    std::vector<uint8_t> luma, chroma;
    yuv_buffer yuv{};

    explicit BlankPicture(const theora_info& info) {
        const int shiftX = info.pixelformat == OC_PF_444 ? 0 : 1;
        const int shiftY = info.pixelformat == OC_PF_420 ? 1 : 0;
        yuv.y_width = yuv.y_stride = int(info.width);
        yuv.y_height = int(info.height);
        yuv.uv_width = yuv.uv_stride = int(info.width) >> shiftX;
        yuv.uv_height = int(info.height) >> shiftY;
        luma.assign(size_t(yuv.y_width) * size_t(yuv.y_height), 16);
        chroma.assign(size_t(yuv.uv_width) * size_t(yuv.uv_height), 128);
        yuv.y = luma.data();
        yuv.u = yuv.v = chroma.data();
    }
};

int StorePicture(TheoraMovie* m, TheoraFrameSlot* slot) {
    yuv_buffer yuv;
    std::unique_ptr<BlankPicture> blank;
    if (m->decoderHasPicture) {
        if (theora_decode_YUVout(&m->decoder, &yuv) < 0) return -1;
    } else {
        blank = std::make_unique<BlankPicture>(m->info);
        yuv = blank->yuv;
    }
    const int widths[3] = {yuv.y_width, yuv.uv_width, yuv.uv_width};
    const int heights[3] = {yuv.y_height, yuv.uv_height, yuv.uv_height};
    const int strides[3] = {yuv.y_stride, yuv.uv_stride, yuv.uv_stride};
    const uint8_t* sources[3] = {yuv.y, yuv.u, yuv.v};
    bool sameGeometry = slot->planes[0] && slot->yWidth == widths[0] && slot->yHeight == heights[0] &&
                        slot->chromaWidth == widths[1] && slot->chromaHeight == heights[1];
    for (int p = 0; p < 3; p++) {
        if (!sameGeometry) {
            TrackedFree(slot->planes[p]);
            slot->planes[p] = static_cast<uint8_t*>(
                TrackedAlloc(size_t(widths[p]) * size_t(heights[p]), "TheoraMovie", __LINE__));
            if (!slot->planes[p]) return -1;
        }
        for (int row = 0; row < heights[p]; row++)
            std::memcpy(slot->planes[p] + size_t(row) * widths[p], sources[p] + ptrdiff_t(row) * strides[p],
                        size_t(widths[p]));
    }
    slot->yWidth = widths[0];
    slot->yHeight = heights[0];
    slot->chromaWidth = widths[1];
    slot->chromaHeight = heights[1];
    slot->frame.store(m->decoderFrame, std::memory_order_relaxed);
    slot->filled.store(1, std::memory_order_release);
    return 0;
}

// The first frame from the shown one on (wrapping) that the stock should hold and does not; -1 when
// none is missing.
int FirstMissingFrame(TheoraMovie* m, int current) {
    for (int k = 0; k < StockWindow(m); k++) {
        const int frame = int((int64_t(current) + k) % m->frameCount);
        if (!SlotHolding(m, frame)) return frame;
    }
    return -1;
}

// The decode thread's wait while it has nothing to do. On the virtual clock a plain Sleep here would end
// only when the pumping thread moves the clock, and that thread may be the one waiting for a frame.
void IdleWait(TheoraMovie* m) {
    WaitForSingleObject(m->wake, 1);
}

// The main thread's wait for the decode thread: wakes it, then gives it the processor.
void WaitForThread(TheoraMovie* m) {
    SetEvent(m->wake);
    Sleep(0);
}

// One pass of the decode loop over the stock: drops the frames no longer wanted, then decodes the first
// missing one into a free slot.
void FillStock(TheoraMovie* m) {
    const int current = m->currentFrame.load(std::memory_order_acquire);
    for (int i = 0; i < m->slotCount; i++) {
        TheoraFrameSlot& slot = m->slots[i];
        if (slot.filled.load(std::memory_order_acquire) && !IsWanted(m, slot.frame.load(), current))
            slot.filled.store(0, std::memory_order_release);
    }
    TheoraFrameSlot* free = FreeSlot(m);
    const int missing = free && !m->endOfFile.load() ? FirstMissingFrame(m, current) : -1;
    if (missing < 0) {
        m->threadState.store(kTheoraThreadIdle);
        IdleWait(m);
        return;
    }
    m->threadState.store(kTheoraThreadDecoding);
    if (m->decoderFrame != missing) {
        int64_t steps =
            ((int64_t(missing) - m->decoderFrame) % m->frameCount + m->frameCount) % m->frameCount;
        if (steps == 0) steps = m->frameCount;
        if (!DecodeForward(m, steps)) {
            m->endOfFile.store(1);
            return;
        }
    }
    if (StorePicture(m, free) < 0) m->endOfFile.store(1);
    Sleep(0);
}

DWORD WINAPI DecodeThread(LPVOID parameter) {
    TheoraMovie* m = static_cast<TheoraMovie*>(parameter);
    while (!m->stopRequest.load()) {
        if (m->pauseRequest.load()) {
            m->threadState.store(kTheoraThreadPaused);
            IdleWait(m);
            continue;
        }
        int seek = m->seekRequest.load(std::memory_order_acquire);
        if (seek != m->seekHandled.load()) {
            m->threadState.store(kTheoraThreadSeeking);
            int ok = DecodeTo(m, m->seekTarget.load());
            EmptyAllSlots(m);
            m->endOfFile.store(ok ? 0 : 1);
            m->seekHandled.store(seek, std::memory_order_release);
            continue;
        }
        FillStock(m);
    }
    m->threadState.store(kTheoraThreadEnded);
    return 0;
}

// --- conversion (main thread) --------------------------------------------------------------------

void ConvertSlot(const TheoraMovie* m, const TheoraFrameSlot& slot, SoftImage* image) {
    const int offsetX = int(m->info.offset_x);
    const int offsetY = int(m->info.offset_y);
    const bool is420 = slot.yWidth == 2 * slot.chromaWidth && slot.yHeight == 2 * slot.chromaHeight;
    const int shiftX = slot.chromaWidth < slot.yWidth ? 1 : 0;
    const int shiftY = slot.chromaHeight < slot.yHeight ? 1 : 0;
    const int width = std::min(image->width, slot.yWidth - offsetX);
    const int height = std::min(image->height, slot.yHeight - offsetY);
    for (int y = 0; y < height; y++) {
        const int sy = y + offsetY;
        const uint8_t* lumaRow = slot.planes[0] + size_t(sy) * slot.yWidth;
        const size_t chromaRow = size_t(sy >> shiftY) * slot.chromaWidth;
        uint8_t* out = static_cast<uint8_t*>(image->pixels) + size_t(y) * image->pitch;
        for (int x = 0; x < width; x++, out += 4) {
            const int sx = x + offsetX;
            const int Y = lumaRow[sx];
            const int U = slot.planes[1][chromaRow + (sx >> shiftX)];
            const int V = slot.planes[2][chromaRow + (sx >> shiftX)];
            if (is420) {
                ConvertYuvPixelThroughTables(Y, U, V, out);
            } else {
                const float l = float(Y - 16) * 1.164f;
                out[0] = ClampByte(int(l + 2.018f * float(U - 128)));
                out[1] = ClampByte(int(l - 0.391f * float(U - 128) - 0.813f * float(V - 128)));
                out[2] = ClampByte(int(l + 1.596f * float(V - 128)));
            }
            out[3] = 255;
        }
    }
}

void FreeTheoraMovie(TheoraMovie* m) {
    if (m->thread) {
        m->stopRequest.store(1);
        while (m->threadState.load() != kTheoraThreadEnded) WaitForThread(m);
        WaitForSingleObject(m->thread, INFINITE);
        CloseHandle(m->thread);
        m->thread = nullptr;
    }
    if (m->wake) CloseHandle(m->wake);
    m->wake = nullptr;
    if (m->slots) {
        for (int i = 0; i < m->slotCount; i++)
            for (uint8_t* plane : m->slots[i].planes) TrackedFree(plane);
        TrackedFree(m->slots);
    }
    ReleaseTheoraSurface(m, 0);
    TrackedFree(m->pages);
    TrackedFree(m->keyframes);
    ReleaseSoftImage(&m->image);
    if (m->streamReady) ogg_stream_clear(&m->stream);
    if (m->decoderReady) theora_clear(&m->decoder);
    theora_comment_clear(&m->comment);
    theora_info_clear(&m->info);
    ogg_sync_clear(&m->sync);
    m->~TheoraMovie();
    TrackedFree(m);
}

}  // namespace

const YuvToRgbTables& GetYuvToRgbTables() {
    return yuvTables;
}

void ConvertYuvPixelThroughTables(int y, int u, int v, uint8_t* bgr) {
    const int l = yuvTables.luma[y];
    bgr[0] = ClampByte((l + yuvTables.uToBlue[u]) / 16384);
    bgr[1] = ClampByte((l + yuvTables.uToGreen[u] + yuvTables.vToGreen[v]) / 16384);
    bgr[2] = ClampByte((l + yuvTables.vToRed[v]) / 16384);
}

int InitYuvToRgbTables() {
    for (int i = 0; i < 256; i++) {
        yuvTables.vToRed[i] = 26148 * (i - 128);
        yuvTables.uToGreen[i] = -6406 * (i - 128);
        yuvTables.vToGreen[i] = -13320 * (i - 128) + 1024;
        yuvTables.uToBlue[i] = 33062 * (i - 128);
        yuvTables.luma[i] = 19070 * (i - 16);
    }
    return 0;
}

TheoraMovie* OpenTheoraMovie(const FileAccessTable* table, uintptr_t file, int stockCount, int async) {
    if (!table || !file || stockCount < 1) return nullptr;
    char magic[4] = {};
    if (table->read(magic, 1, 4, file) != 4 || std::memcmp(magic, "OggS", 4) != 0) return nullptr;
    table->seek(file, 0, SEEK_ORIGIN_START);

    void* memory = TrackedAllocZeroed(sizeof(TheoraMovie), "TheoraMovie", __LINE__);
    if (!memory) {
        LogText("Theora ムービーデコード処理用のメモリ確保に失敗しました\n");
        return nullptr;
    }
    if (yuvTables.luma[255] == 0) InitYuvToRgbTables();
    TheoraMovie* m = new (memory) TheoraMovie{};
    m->currentFrame.store(-1);
    ogg_sync_init(&m->sync);
    theora_info_init(&m->info);
    theora_comment_init(&m->comment);
    m->file = *table;
    m->fileHandle = file;

    if (ScanHeaders(m) < 0 || CheckPictureGeometry(m->info) < 0 ||
        theora_decode_init(&m->decoder, &m->info) != 0) {
        FreeTheoraMovie(m);
        return nullptr;
    }
    m->decoderReady = 1;
    ResetReading(m, 0);
    if (IndexPages(m) < 0) {
        FreeTheoraMovie(m);
        return nullptr;
    }
    CreateTheoraSurface(m, async);
    if (CreateSoftImageXrgb8(int(m->info.frame_width), int(m->info.frame_height), &m->image) < 0) {
        LogText("Theora ムービーデコードフレームストック用画像バッファの確保に失敗しました\n");
        FreeTheoraMovie(m);
        return nullptr;
    }
    m->slots = static_cast<TheoraFrameSlot*>(
        TrackedAllocZeroed(sizeof(TheoraFrameSlot) * size_t(stockCount), "TheoraMovie", __LINE__));
    if (!m->slots) {
        LogText("Theora ムービーデコードフレームストック用のメモリ確保に失敗しました\n");
        FreeTheoraMovie(m);
        return nullptr;
    }
    for (int i = 0; i < stockCount; i++) new (&m->slots[i]) TheoraFrameSlot{};
    m->slotCount = stockCount;
    m->decoderFrame = -1;

    m->pauseRequest.store(1);
    m->threadState.store(kTheoraThreadIdle);
    m->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m->wake) {
        FreeTheoraMovie(m);
        return nullptr;
    }
    m->thread = CreateThread(nullptr, 0, DecodeThread, m, 0, &m->threadId);
    if (!m->thread) {
        LogText("Theora ムービーデコード用スレッドの作成に失敗しました\n");
        FreeTheoraMovie(m);
        return nullptr;
    }
    SeekTheoraMovie(m, 0);
    UpdateTheoraImage(m, 1, 1, async);
    return m;
}

int CloseTheoraMovie(TheoraMovie* movie) {
    if (movie) FreeTheoraMovie(movie);
    return 0;
}

int AdvanceTheoraFrame(TheoraMovie* movie, int n) {
    if (!movie || n < 1) return 0;
    int64_t next = (int64_t(movie->currentFrame.load()) + n) % movie->frameCount;
    movie->currentFrame.store(int32_t(next), std::memory_order_release);
    movie->imageCurrent = 0;
    movie->surfaceCurrent = 0;
    return 0;
}

int SeekTheoraMovie(TheoraMovie* movie, int frame) {
    if (!movie || frame == movie->currentFrame.load()) return 0;
    movie->imageCurrent = 0;
    movie->surfaceCurrent = 0;
    movie->pauseRequest.store(1);
    while (movie->threadState.load() != kTheoraThreadPaused) WaitForThread(movie);
    frame = int(std::clamp<int64_t>(frame, 0, movie->frameCount - 1));
    movie->currentFrame.store(frame);
    movie->seekTarget.store(frame);
    movie->seekRequest.fetch_add(1, std::memory_order_release);
    movie->pauseRequest.store(0);
    return 0;
}

const TheoraFrameSlot* FindTheoraSlot(TheoraMovie* movie, int frame) {
    return movie ? SlotHolding(movie, frame) : nullptr;
}

int UpdateTheoraImage(TheoraMovie* movie, int imageWanted, int surfaceWanted, int async) {
    if (!movie) return 0;
    const bool imageDue = imageWanted && !movie->imageCurrent;
    // A surface dropped with the device's resources is made again for the next frame it is wanted for.
    const bool surfaceDue =
        surfaceWanted && !movie->surfaceCurrent && (movie->surface || movie->surfaceInvalid.load());
    if (!imageDue && !surfaceDue) return 0;
    const int current = movie->currentFrame.load();
    const TheoraFrameSlot* slot = nullptr;
    for (;;) {
        int state = movie->threadState.load();
        if (state == kTheoraThreadEnded) return 0;
        if (state == kTheoraThreadSeeking || movie->seekRequest.load() != movie->seekHandled.load()) {
            Sleep(1);
            continue;
        }
        slot = SlotHolding(movie, current);
        if (slot) break;
        if (movie->endOfFile.load()) return 0;
        WaitForThread(movie);
    }
    if (surfaceDue) FillTheoraSurface(movie, *slot, async);
    if (imageDue) {
        ConvertSlot(movie, *slot, &movie->image);
        movie->imageCurrent = 1;
    }
    return 1;
}

int InvalidateTheoraImage(TheoraMovie* movie) {
    if (!movie) return 0;
    // The surface belongs to the device being released, and the graphic's textures lose the frame with
    // it: the next update converts the shown frame again into both.
    ReleaseTheoraSurface(movie, 0);
    movie->surfaceInvalid.store(1);
    movie->imageCurrent = 0;
    movie->surfaceCurrent = 0;
    return 0;
}

SoftImage* GetTheoraImage(TheoraMovie* movie) {
    return movie ? &movie->image : nullptr;
}

void* GetTheoraSurface(TheoraMovie* movie) {
    return movie ? movie->surface : nullptr;
}

int GetTheoraMovieInfo(TheoraMovie* movie, TheoraMovieInfo* info) {
    if (!movie || !info) return -1;
    info->framesPerSecond = double(movie->info.fps_numerator) / double(movie->info.fps_denominator);
    info->frameCount = int32_t(movie->frameCount);
    info->width = int32_t(movie->info.frame_width);
    info->height = int32_t(movie->info.frame_height);
    return 0;
}

int GetTheoraCurrentFrame(TheoraMovie* movie) {
    return movie ? movie->currentFrame.load() : -1;
}

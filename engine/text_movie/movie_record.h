// Movie handles (handle type 6): the record behind a handle and the calls that open, play, pause and
// update a movie. A movie plays through the library's Ogg Theora decoder, with its sound track as a
// sound handle, or through a DirectShow graph that ends in the library's movie renderer.
#pragma once

#include <cstdint>

#include "engine/core/memory/handle_manager.h"
#include "engine/image/soft_image.h"

struct TheoraMovie;
class T_CMovieRendererFilter;
struct IGraphBuilder;
struct IMediaControl;
struct IMediaSeeking;
struct IBasicAudio;
struct MovieRecord;

// Called by UpdateMovieFrame when a frame is ready; the graphic side puts it into its texture.
typedef void (*MovieFrameCallback)(MovieRecord* movie, void* parameter);

struct MovieRecord {
    HandleHeader header;
    int32_t playType;  // 1 after open; bit value 2: loops
    int32_t theora;    // 1 Theora decoder, 0 DirectShow
    TheoraMovie* decoder;
    int64_t clockStart;  // microseconds at which frame 0 counts as shown (Theora without sound)
    uintptr_t streamFile;
    int32_t soundHandle;  // -1 without a sound track
    IGraphBuilder* graph;
    IMediaControl* control;
    IMediaSeeking* seeking;
    IBasicAudio* basicAudio;
    T_CMovieRendererFilter* renderer;  // a reference held
    int64_t duration;                  // 100 ns units
    int32_t temporaryFile;
    char16_t path[260];
    int64_t stopPosition;  // 100 ns units
    int32_t width;
    int32_t height;
    int32_t halfWidth;
    int32_t wasPlaying;
    int32_t stopped;
    int32_t callbackState;
    void* event;
    SoftImage frameImage;
    int32_t frameImageBorrowed;
    SoftImage* currentImage;
    MovieFrameCallback frameCallback;
    void* callbackParameter;
};

int RegisterMovieHandleType();
int EndMovieHandleType();  // -1 when not registered
int CheckMovieTypeInit();  // 0 when registered, else -1
// New movie handle, or -1. `halfWidthSetting` may be null; `reserved` has no effect.
int OpenMovie(const int32_t* halfWidthSetting, const char* fileName, int* width, int* height, int reserved,
              int async);
MovieRecord* GetMovieData(int handle);
int SetMovieFrameCallback(int handle, MovieFrameCallback callback, void* parameter);
// playType -1 keeps the stored one; resumeOnly 1 plays only a movie that was playing.
int PlayMovie(int handle, int playType, int resumeOnly);
int PauseMovie(int handle, int keep);
int UpdateMovieFrame(int handle, int reserved = 0);
int InvalidateMovieImage(int handle);
int PauseAllMovies();
int ResumeAllMovies();
// The handle type's delete callback.
int ReleaseMovieRecord(HandleHeader* data);

// The data behind a sound handle: up to ten DirectSound buffers over one PCM copy, played in turn, or
// one buffer refilled from up to three stream sources.
#pragma once

#include <cstdint>

#include "engine/core/files/file_access.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/sound/sound_converter.h"
#include "platform/dsound/dsound.h"

constexpr int kMaxSoundBuffers = 10;
constexpr int kMaxStreamSources = 3;

// One buffer slot of a sound.
struct SoundBuffer {
    int valid;
    IDirectSoundBuffer* buffer;
    int loop;  // loop flag of the slot's last play
};

// The four load settings every load copies: stream mode (0 whole), converter disable bits, Vorbis
// bytes per sample, Vorbis build selector.
struct SoundLoadSettings {
    int32_t streamMode;
    int32_t disableBits;
    int32_t vorbisBytesPerSample;
    int32_t vorbisBuildSelector;
};

// Where a stream source's data comes from.
enum StreamDataKind {
    kStreamConvertedUpFront = 0,  // PCM converted at load, held as a WAVE image
    kStreamFromCallerStream = 1,  // the caller's stream, kept open
    kStreamFileImage = 2,         // the whole file image in memory
};

struct StreamSource {
    uint8_t loopCount;  // plays loopCount + 1 times; 255 loops from loopStart for ever
    int dataKind;
    uint8_t* image;  // owned
    uint32_t imageSize;
    StreamDescriptor stream;  // over the image (kinds 0 and 2) or the caller's stream (kind 1)
    int loopStart;            // sample
    int loopEnd;              // sample, -1 = the end
    SoundConverter converter;
};

constexpr int kStreamNotFilled = -800;
// Marks kept of where the runs of source data written into a stream's buffer begin.
constexpr int kMaxStreamMarks = 16;

// Where in the sources the data written into the buffer from byte `written` on comes from; `end` marks
// the end of the last source, after which only silence is written.
struct StreamMark {
    int64_t written;
    int source;
    int loopCounter;
    int bytesRead;
    int end;
};

struct StreamSoundData {
    int playType;
    int joinedTo;       // stream handle whose buffer this one plays through, -1 none
    int userCount;      // handles joined to this one
    int currentPlayer;  // handle that last played through this buffer, -1 none
    int deletionPending;
    int writePosition;  // bytes in the buffer; kStreamNotFilled before the first fill
    int threshold;      // -1 before the first fill
    int bufferSize;
    StreamSource sources[kMaxStreamSources];
    int sourceCount;
    int currentSource;
    int loopCounter;
    int bytesRead;  // from the current source
    int bytesPlayed;
    int rememberedCursor;
    int totalSamples;
    uint8_t refillActive;
    uint8_t draining;
    uint8_t loopPending;
    uint8_t ended;         // the last byte of the last source has been played
    int endDataPosition;   // buffer position where the last data ends
    int endCursor;         // play cursor when the last data was written
    int loopTargetOffset;  // byte offset in its source of the data after the loop point
    int loopPoint;         // buffer position where that data begins
    // Since the last prepare: bytes written into the buffer and bytes the play cursor went over, and
    // the marks that map the played bytes back to the sources when the stream stops.
    int64_t written;
    int64_t played;
    StreamMark marks[kMaxStreamMarks];
    int markCount;
};

struct SoundRecord {
    HandleHeader header;
    int pauseTaken[kMaxSoundBuffers];
    int wasPlaying[kMaxSoundBuffers];
    SoundBuffer buffers[kMaxSoundBuffers];
    WAVEFORMATEX format;
    int streamFlag;
    StreamSoundData stream;
    HandleListNode streamNode;
    uint32_t pcmSize;
    uint8_t* pcm;
    int* referenceCount;
    int bufferCount;
    int currentBuffer;
    int volume;     // hundredths of a decibel
    int pan;        // hundredths of a decibel
    int frequency;  // Hz; 0 keeps each buffer's own rate
};

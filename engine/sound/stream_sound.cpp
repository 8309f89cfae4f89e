// Playing stream sounds: the refill of the one-second buffer from the sources, the play position,
// play, stop, and the stream thread.
#include "engine/sound/stream_sound.h"

#include <algorithm>
#include <cstring>

#include "engine/sound/sound.h"
#include "engine/sound/sound_buffers.h"
#include "engine/sound/sound_handles.h"
#include "engine/sound/sound_output_state.h"

namespace {

constexpr int kEndOfListPlayType = 3;

// The record whose buffer the handle plays through: its own, or the one it joined.
SoundRecord* BufferOwner(SoundRecord* record) {
    if (record->stream.joinedTo == -1) return record;
    return static_cast<SoundRecord*>(GetTypedHandleData(record->stream.joinedTo, kHandleTypeSound));
}

SoundBuffer* StreamBuffer(SoundRecord* record) {
    SoundRecord* owner = BufferOwner(record);
    return owner && owner->buffers[0].valid ? &owner->buffers[0] : nullptr;
}

bool IsBufferPlaying(SoundBuffer* buffer) {
    DWORD status = 0;
    return SoundBufferGetStatus(buffer, &status) == 0 && (status & DSBSTATUS_PLAYING);
}

int PlayCursor(SoundBuffer* buffer) {
    DWORD play = 0;
    SoundBufferGetPosition(buffer, &play, nullptr);
    return static_cast<int>(play);
}

int Forward(int from, int to, int size) {
    return ((to - from) % size + size) % size;
}

// The region from `from` forward to `to`, wrapping at the buffer's end.
bool InRegion(int position, int from, int to, int size) {
    return from != to && Forward(from, position, size) < Forward(from, to, size);
}

struct StreamContext {
    SoundRecord* record;
    SoundBuffer* buffer;
    int size;
    int align;
    int bytesPerSecond;
    int Blocks(int64_t bytes) const { return static_cast<int>(bytes / align * align); }
};

void SeekCurrentSource(StreamSoundData& stream, int align) {
    if (stream.sourceCount == 0) return;
    SeekSoundConverter(&stream.sources[stream.currentSource].converter, stream.bytesRead / align);
}

// Moves the bytes played on by how far the play cursor went since the last look, or restarts them at
// the loop target once the cursor has passed a pending loop point.
void UpdatePlayedBytes(const StreamContext& context) {
    StreamSoundData& stream = context.record->stream;
    const int cursor = PlayCursor(context.buffer);
    if (cursor == stream.rememberedCursor) return;
    const int moved = Forward(stream.rememberedCursor, cursor, context.size);
    stream.played += moved;
    if (stream.loopPending && Forward(stream.rememberedCursor, stream.loopPoint, context.size) <= moved) {
        stream.bytesPlayed = Forward(stream.loopPoint, cursor, context.size) + stream.loopTargetOffset;
        stream.loopPending = 0;
    } else {
        stream.bytesPlayed += moved;
    }
    stream.rememberedCursor = cursor;
}

bool ContinuesLastMark(const StreamSoundData& stream, int64_t written) {
    if (stream.markCount == 0) return false;
    const StreamMark& last = stream.marks[stream.markCount - 1];
    return !last.end && last.source == stream.currentSource && last.loopCounter == stream.loopCounter &&
           last.bytesRead + (written - last.written) == stream.bytesRead;
}

// Notes where the sources stand at byte `written` of the buffer's data, unless the data there simply
// goes on from the last mark. Marks whose data has all been played are dropped.
void AddMark(StreamSoundData& stream, int64_t written, int end) {
    int drop = 0;
    while (drop + 1 < stream.markCount && stream.marks[drop + 1].written <= stream.played) ++drop;
    if (stream.markCount - drop == kMaxStreamMarks) ++drop;
    std::copy(stream.marks + drop, stream.marks + stream.markCount, stream.marks);
    stream.markCount -= drop;
    if (!end && ContinuesLastMark(stream, written)) return;
    stream.marks[stream.markCount++] =
        StreamMark{written, stream.currentSource, stream.loopCounter, stream.bytesRead, end};
}

// Sets the sources back to the data the play cursor has reached, so that the next play goes on from
// what was heard rather than from what was read ahead. Past the end of the last source the stream has
// ended.
void RewindToPlayed(StreamSoundData& stream, int align) {
    const int64_t played = std::min(stream.played, stream.written);
    const StreamMark* mark = nullptr;
    for (int i = 0; i < stream.markCount; ++i)
        if (stream.marks[i].written <= played) mark = &stream.marks[i];
    if (!mark) return;
    stream.draining = 0;
    if (mark->end) {
        stream.ended = 1;
        stream.refillActive = 0;
        return;
    }
    stream.currentSource = mark->source;
    stream.loopCounter = mark->loopCounter;
    stream.bytesRead = mark->bytesRead + static_cast<int>((played - mark->written) / align * align);
}

void MarkLoopPoint(StreamSoundData& stream, int bufferPosition, int targetOffset) {
    stream.loopPending = 1;
    stream.loopPoint = bufferPosition;
    stream.loopTargetOffset = targetOffset;
}

// The current source has ended at byte `written` of the buffer's data: play it again, go on with the
// next, start the list again, or drain the buffer after the last.
void StepSource(const StreamContext& context, int64_t written) {
    StreamSoundData& stream = context.record->stream;
    const int bufferPosition = static_cast<int>(written % context.size);
    StreamSource& source = stream.sources[stream.currentSource];
    ++stream.loopCounter;
    stream.bytesRead = 0;
    if (source.loopCount == 255) {
        stream.loopCounter = 0;
        stream.bytesRead = source.loopStart * context.align;
        MarkLoopPoint(stream, bufferPosition, stream.bytesRead);
    } else if (stream.loopCounter > source.loopCount) {
        stream.loopCounter = 0;
        if (stream.currentSource + 1 < stream.sourceCount) {
            ++stream.currentSource;
        } else if (stream.playType == kEndOfListPlayType) {
            stream.currentSource = 0;
            MarkLoopPoint(stream, bufferPosition, 0);
        } else {
            stream.draining = 1;
            stream.endDataPosition = bufferPosition;
            stream.endCursor = PlayCursor(context.buffer);
            AddMark(stream, written, 1);
        }
    }
    SeekCurrentSource(stream, context.align);
}

void FillSilence(const StreamContext& context, uint8_t* out, int bytes) {
    std::memset(out, context.record->format.wBitsPerSample == 8 ? 128 : 0, static_cast<size_t>(bytes));
}

// Fills `bytes` of the buffer region that holds the data from byte `written` on from the sources;
// silence after the end.
void FillFromSources(const StreamContext& context, uint8_t* out, int bytes, int64_t written) {
    StreamSoundData& stream = context.record->stream;
    int done = 0;
    int emptyReads = 0;
    while (done < bytes) {
        if (stream.draining || emptyReads > stream.sourceCount) {
            FillSilence(context, out + done, bytes - done);
            return;
        }
        StreamSource& source = stream.sources[stream.currentSource];
        int want = bytes - done;
        if (source.loopEnd >= 0)
            want = std::clamp(source.loopEnd * context.align - stream.bytesRead, 0, want);
        AddMark(stream, written + done, 0);
        const int got = want > 0 ? ConvertSoundBlock(&source.converter, out + done, want) : 0;
        if (got > 0) {
            stream.bytesRead += got;
            done += got;
            emptyReads = 0;
            continue;
        }
        ++emptyReads;
        StepSource(context, written + done);
    }
}

using RegionFill = void (*)(const StreamContext&, uint8_t*, int, int64_t);

bool FillBuffer(const StreamContext& context, int start, int bytes, RegionFill fill) {
    void* region[2] = {};
    DWORD size[2] = {};
    if (SoundBufferLock(context.buffer, static_cast<DWORD>(start), static_cast<DWORD>(bytes), &region[0],
                        &size[0], &region[1], &size[1]) != 0)
        return false;
    StreamSoundData& stream = context.record->stream;
    for (int i = 0; i < 2 && region[i]; ++i) {
        fill(context, static_cast<uint8_t*>(region[i]), static_cast<int>(size[i]), stream.written);
        stream.written += size[i];
    }
    SoundBufferUnlock(context.buffer, region[0], size[0], region[1], size[1]);
    return true;
}

void FillSilenceRegion(const StreamContext& context, uint8_t* out, int bytes, int64_t) {
    FillSilence(context, out, bytes);
}

// The last data has been played once the cursor has moved past where it ends.
bool EndDataPlayed(const StreamContext& context, int cursor) {
    const StreamSoundData& stream = context.record->stream;
    return Forward(stream.endCursor, cursor, context.size) >=
           Forward(stream.endCursor, stream.endDataPosition, context.size);
}

void FinishDrain(const StreamContext& context) {
    StreamSoundData& stream = context.record->stream;
    SoundBufferStop(context.buffer);
    stream.draining = 0;
    stream.bytesRead = 0;
    stream.bytesPlayed = 0;
    stream.loopPending = 0;
    stream.loopCounter = 0;
    stream.currentSource = 0;
    stream.refillActive = 0;
    stream.ended = 1;
}

bool MakeContext(SoundRecord* record, StreamContext* context) {
    SoundBuffer* buffer = StreamBuffer(record);
    if (!record->streamFlag || !buffer || record->stream.bufferSize <= 0 || record->format.nBlockAlign == 0)
        return false;
    *context = StreamContext{record, buffer, record->stream.bufferSize, record->format.nBlockAlign,
                             static_cast<int>(record->format.nAvgBytesPerSec)};
    return true;
}

int RefillRecord(const StreamContext& context) {
    StreamSoundData& stream = context.record->stream;
    const int bps = context.bytesPerSecond;
    UpdatePlayedBytes(context);
    if (!stream.draining) {
        int start = stream.writePosition;
        int amount = context.Blocks(bps / 8);
        const bool firstFill = !IsBufferPlaying(context.buffer);
        if (firstFill) {
            if (stream.writePosition != kStreamNotFilled) return 0;
            start = 0;
            amount = context.Blocks(int64_t{bps} * 3 / 4);
        } else {
            const int cursor = PlayCursor(context.buffer);
            if (InRegion(cursor, stream.writePosition, stream.threshold, context.size)) return -1;
            const int64_t ahead = int64_t{Forward(cursor, stream.writePosition, context.size)} * 512 / bps;
            if (ahead < 192) amount = context.Blocks((192 - ahead) * bps / 512);
        }
        if (amount <= 0 || !FillBuffer(context, start, amount, FillFromSources)) return 0;
        if (firstFill) {
            stream.writePosition = amount;
            stream.threshold = 0;
            return 0;
        }
        stream.writePosition += amount;
    } else {
        const int cursor = PlayCursor(context.buffer);
        if (EndDataPlayed(context, cursor)) {
            FinishDrain(context);
            return 0;
        }
        if (InRegion(cursor, stream.writePosition, stream.threshold, context.size)) return -1;
        const int amount = context.Blocks(bps / 8);
        if (!FillBuffer(context, stream.writePosition, amount, FillSilenceRegion)) return 0;
        stream.writePosition += amount;
    }
    stream.writePosition %= context.size;
    stream.threshold = Forward(context.Blocks(int64_t{bps} * 3 / 4), stream.writePosition, context.size);
    return 0;
}

void RestartFromTop(StreamSoundData& stream) {
    stream.currentSource = 0;
    stream.loopCounter = 0;
    stream.bytesRead = 0;
    stream.bytesPlayed = 0;
    stream.ended = 0;
    stream.loopPending = 0;
}

// Stops the buffer under the record that plays through it, leaving its sources at the data played.
void HaltPlayer(const StreamContext& context) {
    UpdatePlayedBytes(context);
    SoundBufferStop(context.buffer);
    RewindToPlayed(context.record->stream, context.align);
}

void StopRecord(SoundRecord* record, int handle) {
    StreamContext context;
    if (!MakeContext(record, &context)) return;
    SoundRecord* owner = BufferOwner(record);
    if (owner->stream.currentPlayer != handle) return;
    if (!IsBufferPlaying(context.buffer)) {
        UpdatePlayedBytes(context);
        return;
    }
    HaltPlayer(context);
    owner->pauseTaken[0] = 0;
    owner->wasPlaying[0] = 0;
}

// The handle that played through the buffer before another takes it over.
void ReleaseBufferFrom(int player, bool playing) {
    if (player == -1) return;
    auto* other = static_cast<SoundRecord*>(GetTypedHandleData(player, kHandleTypeSound));
    StreamContext context;
    if (!other || !MakeContext(other, &context)) return;
    if (playing) HaltPlayer(context);
    other->stream.refillActive = 0;
}

}  // namespace

void PrepareStreamSound(int handle, int fromJob) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, fromJob);
    StreamContext context;
    if (!record || !MakeContext(record, &context)) return;
    SoundRecord* owner = BufferOwner(record);
    const int previous = owner->stream.currentPlayer;
    const bool playing = IsBufferPlaying(context.buffer);
    if (playing && previous == handle) return;
    if (previous != handle) ReleaseBufferFrom(previous, playing);
    SoundBufferStop(context.buffer);
    owner->stream.currentPlayer = handle;
    SoundBufferSetPosition(context.buffer, 0);
    StreamSoundData& stream = record->stream;
    stream.writePosition = kStreamNotFilled;
    stream.threshold = -1;
    stream.rememberedCursor = 0;
    stream.draining = 0;
    stream.loopPending = 0;
    stream.written = 0;
    stream.played = 0;
    stream.markCount = 0;
    SeekCurrentSource(stream, context.align);
    stream.refillActive = 1;
    RefillRecord(context);
}

int RefillStreamSound(int handle, int fromJob) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, fromJob);
    if (!record) return -1;
    StreamContext context;
    if (!MakeContext(record, &context) || !record->stream.refillActive) return 0;
    if (BufferOwner(record)->stream.currentPlayer != handle) return 0;
    return RefillRecord(context);
}

int UpdateAllStreamSounds() {
    if (!soundOutput.directSound || !soundOutput.initialised) return -1;
    SoundTypeLock lock;
    for (HandleListNode* node = soundOutput.streamHead.next; node && node != &soundOutput.streamTail;
         node = node->next)
        if (static_cast<SoundRecord*>(node->data)->stream.refillActive)
            RefillStreamSound(static_cast<int>(node->handle), 0);
    return 0;
}

int PlayStreamSound(int handle, int playType, int fromTop) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, 0);
    StreamContext context;
    if (!record || !MakeContext(record, &context)) return -1;
    StreamSoundData& stream = record->stream;
    const bool playing = IsStreamSoundPlaying(handle) == 1;
    if (playing && !fromTop) return 0;
    if (playing) StopRecord(record, handle);
    if (playType != stream.playType || fromTop || stream.ended) RestartFromTop(stream);
    stream.playType = playType;
    PrepareStreamSound(handle, 0);
    SoundBufferSetVolume(context.buffer, record->volume);
    SoundBufferSetPan(context.buffer, record->pan);
    if (record->frequency > 0) SoundBufferSetFrequency(context.buffer, static_cast<DWORD>(record->frequency));
    return SoundBufferPlay(context.buffer, 1);
}

int StopStreamSound(int handle) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record) return -1;
    StopRecord(record, handle);
    return 0;
}

int IsStreamSoundPlaying(int handle) {
    SoundRecord* record = GetSoundRecord(handle, 1);
    if (!record) return -1;
    SoundBuffer* buffer = StreamBuffer(record);
    if (!buffer || BufferOwner(record)->stream.currentPlayer != handle) return 0;
    return IsBufferPlaying(buffer) ? 1 : 0;
}

int HasStreamSoundEnded(int handle) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, 0);
    if (!record || !record->streamFlag) return -1;
    return record->stream.ended;
}

int GetStreamPlayTime(int handle) {
    SoundTypeLock lock;
    SoundRecord* record = GetSoundRecord(handle, 0);
    StreamContext context;
    if (!record || !MakeContext(record, &context)) return -1;
    if (BufferOwner(record)->stream.currentPlayer == handle) UpdatePlayedBytes(context);
    const int rate = static_cast<int>(record->format.nSamplesPerSec);
    const int played = SamplesToMilliseconds(record->stream.bytesPlayed / context.align, rate);
    return std::min(played, SamplesToMilliseconds(record->stream.totalSamples, rate));
}

int ReleaseStreamSound(SoundRecord* record) {
    SoundTypeLock lock;
    const int handle = static_cast<int>(record->header.handle);
    StopRecord(record, handle);
    StreamSoundData& stream = record->stream;
    int waitingOwner = -1;
    if (stream.joinedTo != -1) {
        auto* owner = static_cast<SoundRecord*>(GetTypedHandleData(stream.joinedTo, kHandleTypeSound));
        if (owner && --owner->stream.userCount <= 0 && owner->stream.deletionPending)
            waitingOwner = stream.joinedTo;
        if (owner && owner->stream.currentPlayer == handle) owner->stream.currentPlayer = -1;
        stream.joinedTo = -1;
    }
    if (stream.userCount > 0) {
        stream.deletionPending = 1;
        stream.refillActive = 0;
        return 1;
    }
    if (record->streamNode.next) UnlinkHandleListNode(&record->streamNode);
    record->streamNode = HandleListNode{};
    ReleaseStreamSources(record);
    ReleaseSoundRecordBuffers(record);
    if (waitingOwner != -1) DeleteHandle(waitingOwner);
    return 0;
}

DWORD WINAPI SoundStreamThreadMain(LPVOID) {
    while (__atomic_load_n(&soundOutput.streamStop, __ATOMIC_ACQUIRE) != 1 && soundOutput.initialised) {
        UpdateAllStreamSounds();
        UpdateAllSoftSoundPlayers();
        Sleep(10);
    }
    __atomic_store_n(&soundOutput.streamStop, 2, __ATOMIC_RELEASE);
    return 0;
}

// The image readers: each decodes a source it recognises into a SoftImage and returns 0, or returns -1
// when the source is not its format or fails to decode (nothing is left allocated then). A reader reads
// only through the descriptor's functions.
#pragma once

#include "engine/core/files/file_access.h"

struct SoftImage;

using ImageReaderFunction = int (*)(StreamDescriptor* stream, SoftImage* image);

int ReadBmpImage(StreamDescriptor* stream, SoftImage* image);
int LoadJpegImage(StreamDescriptor* stream, SoftImage* image);
int LoadPngImage(StreamDescriptor* stream, SoftImage* image);
int ReadBgraImage(StreamDescriptor* stream, SoftImage* image);
int ReadTgaImage(StreamDescriptor* stream, SoftImage* image);
int ReadDdsImage(StreamDescriptor* stream, SoftImage* image);

// The built-in readers in the order they are tried, ended by a null entry.
extern const ImageReaderFunction ImageReaderTable[];

// Bytes from the stream's current position to its end (the position is kept); -1 when it can't be told.
int64_t GetStreamRemaining(StreamDescriptor* stream);
// Reads exactly size bytes; false on a short read.
bool ReadStreamExact(StreamDescriptor* stream, void* buffer, uint64_t size);
// Moves the stream to an offset from its start; false when that fails.
bool SeekStreamTo(StreamDescriptor* stream, int64_t offset);

// Sides of an image that the BMP, BGRA and DDS readers accept (TGA has its own, smaller limit).
constexpr int64_t kMaxImageSide = 1 << 16;

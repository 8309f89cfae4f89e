#include "engine/image/image_readers.h"

const ImageReaderFunction ImageReaderTable[] = {
    ReadBmpImage, LoadJpegImage, LoadPngImage, ReadBgraImage, ReadTgaImage, ReadDdsImage, nullptr,
};

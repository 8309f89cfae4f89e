#include "engine/image/image_readers.h"

const ImageReaderFunction ImageReaderTable[] = {
    LoadJpegImage,
    LoadPngImage,
    nullptr,
};

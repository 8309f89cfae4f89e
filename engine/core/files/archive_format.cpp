#include "engine/core/files/archive_format.h"

#include "engine/core/helpers/string_helpers.h"

void DecodeArchiveHeader(const uint8_t* bytes, ArchiveHeader* out) {
    out->magic = LoadU16(bytes);
    out->version = LoadU16(bytes + 2);
    out->tableSize = LoadU32(bytes + 4);
    out->dataPosition = LoadU32(bytes + 8);
    out->tablePosition = LoadU32(bytes + 12);
    out->fileTableOffset = LoadU32(bytes + 16);
    out->dirTableOffset = LoadU32(bytes + 20);
    out->codePage = out->version >= 4 ? LoadU32(bytes + 24) : 0;
}

void EncodeArchiveHeader(const ArchiveHeader& header, uint8_t* bytes) {
    StoreU16(bytes, header.magic);
    StoreU16(bytes + 2, header.version);
    StoreU32(bytes + 4, header.tableSize);
    StoreU32(bytes + 8, header.dataPosition);
    StoreU32(bytes + 12, header.tablePosition);
    StoreU32(bytes + 16, header.fileTableOffset);
    StoreU32(bytes + 20, header.dirTableOffset);
    if (header.version >= 4) StoreU32(bytes + 24, header.codePage);
}

void DecodeArchiveFileEntry(const uint8_t* bytes, int version, ArchiveFileEntry* out) {
    out->nameOffset = LoadU32(bytes);
    out->attributes = LoadU32(bytes + 4);
    out->creationTime = LoadU64(bytes + 8);
    out->lastAccessTime = LoadU64(bytes + 16);
    out->lastWriteTime = LoadU64(bytes + 24);
    out->dataOffset = LoadU32(bytes + 32);
    out->size = LoadU32(bytes + 36);
    out->packedSize = version >= 2 ? LoadU32(bytes + 40) : kArchiveNotPacked;
}

void EncodeArchiveFileEntry(const ArchiveFileEntry& entry, int version, uint8_t* bytes) {
    StoreU32(bytes, entry.nameOffset);
    StoreU32(bytes + 4, entry.attributes);
    StoreU64(bytes + 8, entry.creationTime);
    StoreU64(bytes + 16, entry.lastAccessTime);
    StoreU64(bytes + 24, entry.lastWriteTime);
    StoreU32(bytes + 32, entry.dataOffset);
    StoreU32(bytes + 36, entry.size);
    if (version >= 2) StoreU32(bytes + 40, entry.packedSize);
}

void DecodeArchiveDirEntry(const uint8_t* bytes, ArchiveDirEntry* out) {
    out->self = LoadU32(bytes);
    out->parentOffset = LoadU32(bytes + 4);
    out->entryCount = LoadU32(bytes + 8);
    out->firstEntry = LoadU32(bytes + 12);
}

void EncodeArchiveDirEntry(const ArchiveDirEntry& entry, uint8_t* bytes) {
    StoreU32(bytes, entry.self);
    StoreU32(bytes + 4, entry.parentOffset);
    StoreU32(bytes + 8, entry.entryCount);
    StoreU32(bytes + 12, entry.firstEntry);
}

int ArchiveCharsetForCodePage(uint32_t codePage) {
    switch (codePage) {
        case 932:
            return CHARSET_SHIFTJIS;
        case 936:
            return CHARSET_GBK;
        case 949:
            return CHARSET_HANGUL;
        case 950:
            return CHARSET_BIG5;
        default:
            return CHARSET_DEFAULT;
    }
}

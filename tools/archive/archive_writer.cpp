#include "tools/archive/archive_writer.h"

#include <deque>

#include "engine/core/files/archive_format.h"
#include "engine/core/files/archive_key.h"
#include "engine/core/helpers/string_helpers.h"
#include "tools/archive/archive_lz_pack.h"

namespace {

void Append(std::vector<uint8_t>& out, const uint8_t* bytes, size_t size) {
    out.insert(out.end(), bytes, bytes + size);
}

// Name entry: u16 length in 4-byte units, u16 check, the upper-cased name zero-padded, the name as
// written zero-terminated, padded to 4 bytes.
uint32_t AddName(std::vector<uint8_t>& names, const std::string& name, int charset) {
    uint32_t offset = uint32_t(names.size());
    std::vector<uint8_t> upper;
    uint32_t check = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        uint8_t c = uint8_t(name[i]);
        if (IsLeadByte(c, charset) && i + 1 < name.size()) {
            upper.push_back(c);
            upper.push_back(uint8_t(name[++i]));
            check += c + uint8_t(name[i]);
            continue;
        }
        if (c >= 'a' && c <= 'z') c = uint8_t(c - 'a' + 'A');
        upper.push_back(c);
        check += c;
    }
    uint32_t units = uint32_t(upper.size() + 4) / 4;
    upper.resize(units * 4, 0);
    uint8_t head[4];
    StoreU16(head, uint16_t(units));
    StoreU16(head + 2, uint16_t(check));
    Append(names, head, 4);
    Append(names, upper.data(), upper.size());
    Append(names, reinterpret_cast<const uint8_t*>(name.c_str()), name.size() + 1);
    names.resize((names.size() + 3) & ~size_t(3), 0);
    return offset;
}

struct PendingDirectory {
    const ArchiveWriterEntry* entry;
    uint32_t dirOffset;
    uint32_t parentOffset;
};

class ArchiveBuilder {
  public:
    explicit ArchiveBuilder(const ArchiveWriteOptions& options)
        : options_(options),
          charset_(options.version >= 4 ? ArchiveCharsetForCodePage(options.codePage) : 0),
          stride_(ArchiveFileEntrySize(options.version)) {
        if (options.key == ARCHIVE_WRITER_FALLBACK_KEY)
            MakeFallbackArchiveKey(key_);
        else
            MakeArchiveKey(options.keyString, key_);
    }

    bool Build(const ArchiveWriterEntry& root, std::vector<uint8_t>* out, std::string* error) {
        if (options_.version < 0 || options_.version > kArchiveMaxVersion)
            return Fail(error, "version must be 0 to 5");
        std::deque<PendingDirectory> queue{{&root, 0, kArchiveNoParent}};
        dirCount_ = 1;
        while (!queue.empty()) {
            PendingDirectory dir = queue.front();
            queue.pop_front();
            if (!PlaceDirectory(dir, queue, error)) return false;
        }
        return Assemble(out, error);
    }

  private:
    static bool Fail(std::string* error, const std::string& message) {
        if (error != nullptr) *error = message;
        return false;
    }

    bool PlaceDirectory(const PendingDirectory& dir, std::deque<PendingDirectory>& queue,
                        std::string* error) {
        ArchiveDirEntry dirEntry{dir.dirOffset, dir.parentOffset, uint32_t(dir.entry->children.size()),
                                 uint32_t(files_.size())};
        dirs_.resize(dirs_.size() + kArchiveDirEntrySize);
        EncodeArchiveDirEntry(dirEntry, dirs_.data() + dir.dirOffset);
        for (const ArchiveWriterEntry& child : dir.entry->children) {
            if (child.name.empty() || child.name.size() > 255) return Fail(error, "bad name: " + child.name);
            ArchiveFileEntry entry{};
            entry.nameOffset = AddName(names_, child.name, charset_);
            entry.creationTime = child.creationTime;
            entry.lastAccessTime = child.lastAccessTime;
            entry.lastWriteTime = child.lastWriteTime;
            entry.packedSize = kArchiveNotPacked;
            if (child.isDirectory) {
                entry.attributes = kArchiveDirectoryAttribute;
                entry.dataOffset = dirCount_++ * kArchiveDirEntrySize;
                queue.push_back({&child, entry.dataOffset, dir.dirOffset});
            } else {
                entry.attributes = 0x20;
                StoreFile(child, &entry);
            }
            size_t at = files_.size();
            files_.resize(at + stride_);
            EncodeArchiveFileEntry(entry, options_.version, files_.data() + at);
        }
        return true;
    }

    void StoreFile(const ArchiveWriterEntry& file, ArchiveFileEntry* entry) {
        entry->size = uint32_t(file.data.size());
        entry->dataOffset = uint32_t(data_.size());
        std::vector<uint8_t> stored = file.data;
        if (options_.pack && options_.version >= 2) {
            stored = PackArchiveData(file.data.data(), file.data.size());
            entry->packedSize = uint32_t(stored.size());
        }
        if (options_.version >= 5)
            XorWithArchiveKey(uint32_t(stored.size()), stored.data(), entry->size, key_);
        Append(data_, stored.data(), stored.size());
    }

    bool Assemble(std::vector<uint8_t>* out, std::string* error) {
        ArchiveHeader header{};
        header.magic = kArchiveMagic;
        header.version = uint16_t(options_.version);
        uint32_t headerSize = ArchiveHeaderSize(options_.version);
        header.dataPosition = headerSize;
        header.fileTableOffset = uint32_t(names_.size());
        header.dirTableOffset = uint32_t(names_.size() + files_.size());
        header.tableSize = uint32_t(names_.size() + files_.size() + dirs_.size());
        uint64_t total = uint64_t(headerSize) + data_.size() + header.tableSize;
        if (total > 0xFFFFFFFFu) return Fail(error, "archive larger than 4 GB");
        header.tablePosition = uint32_t(headerSize + data_.size());
        header.codePage = options_.codePage;

        std::vector<uint8_t> table = names_;
        Append(table, files_.data(), files_.size());
        Append(table, dirs_.data(), dirs_.size());
        out->assign(headerSize, 0);
        EncodeArchiveHeader(header, out->data());
        if (options_.version >= 5) {
            XorWithArchiveKey(headerSize, out->data(), 0, key_);
            XorWithArchiveKey(uint32_t(table.size()), table.data(), 0, key_);
        }
        Append(*out, data_.data(), data_.size());
        Append(*out, table.data(), table.size());
        if (options_.version < 5) XorWithArchiveKey(uint32_t(out->size()), out->data(), 0, key_);
        return true;
    }

    ArchiveWriteOptions options_;
    int charset_;
    uint32_t stride_;
    uint8_t key_[kArchiveKeySize];
    uint32_t dirCount_ = 0;
    std::vector<uint8_t> names_;
    std::vector<uint8_t> files_;
    std::vector<uint8_t> dirs_;
    std::vector<uint8_t> data_;
};

}  // namespace

bool BuildArchive(const ArchiveWriterEntry& root, const ArchiveWriteOptions& options,
                  std::vector<uint8_t>* out, std::string* error) {
    ArchiveBuilder builder(options);
    return builder.Build(root, out, error);
}

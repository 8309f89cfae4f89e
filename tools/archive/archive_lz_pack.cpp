#include "tools/archive/archive_lz_pack.h"

#include <algorithm>
#include <array>

#include "engine/core/files/archive_format.h"
#include "engine/core/files/archive_lz.h"

namespace {

constexpr int kHashBits = 16;
constexpr int kChainDepth = 64;

uint32_t Hash4(const uint8_t* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return (v * 2654435761u) >> (32 - kHashBits);
}

uint8_t LeastFrequentByte(const uint8_t* data, size_t size) {
    std::array<size_t, 256> counts{};
    for (size_t i = 0; i < size; ++i) ++counts[data[i]];
    return uint8_t(std::min_element(counts.begin(), counts.end()) - counts.begin());
}

class LzWriter {
  public:
    explicit LzWriter(uint8_t escape) : escape_(escape) {}
    void Literal(uint8_t b) {
        out_.push_back(b);
        if (b == escape_) out_.push_back(b);
    }
    // Bytes a match costs; 0 when it cannot be written.
    uint32_t MatchCost(uint32_t length, uint32_t distance) const {
        uint32_t field = distance - 1;
        uint32_t cost = 2 + ((length - kArchiveMinMatch) >> 5 ? 1 : 0);
        return cost + (field == previousField_ ? 0 : FieldBytes(field));
    }
    void Match(uint32_t length, uint32_t distance) {
        uint32_t field = distance - 1;
        uint32_t code = length - kArchiveMinMatch;
        uint32_t high = code >> 5;
        uint32_t mode = field == previousField_ ? 3 : FieldBytes(field) - 1;
        uint32_t c = (code & 31) << 3 | (high ? 4 : 0) | mode;
        if (c == 255) {
            mode = FieldBytes(field) - 1;  // code 255 cannot be written above the escape byte
            c = (code & 31) << 3 | 4 | mode;
        }
        out_.push_back(escape_);
        out_.push_back(uint8_t(c >= escape_ ? c + 1 : c));
        if (c & 4) out_.push_back(uint8_t(high));
        if (mode != 3)
            for (uint32_t i = 0; i <= mode; ++i) out_.push_back(uint8_t(field >> (8 * i)));
        previousField_ = field;
    }
    std::vector<uint8_t>& Bytes() { return out_; }

  private:
    static uint32_t FieldBytes(uint32_t field) { return field < 0x100 ? 1 : field < 0x10000 ? 2 : 3; }
    uint8_t escape_;
    uint32_t previousField_ = 0;
    std::vector<uint8_t> out_;
};

}  // namespace

std::vector<uint8_t> PackArchiveData(const uint8_t* data, size_t size) {
    uint8_t escape = LeastFrequentByte(data, size);
    LzWriter writer(escape);
    writer.Bytes().resize(kArchivePackedHeadSize);
    std::vector<int64_t> head(size_t(1) << kHashBits, -1);
    std::vector<int64_t> previous(size, -1);
    auto insert = [&](size_t at) {
        if (at + 4 > size) return;
        uint32_t h = Hash4(data + at);
        previous[at] = head[h];
        head[h] = int64_t(at);
    };
    size_t at = 0;
    while (at < size) {
        uint32_t bestLength = 0;
        uint32_t bestDistance = 0;
        if (at + kArchiveMinMatch <= size) {
            size_t limit = std::min<size_t>(size - at, kArchiveMaxMatch);
            int64_t candidate = head[Hash4(data + at)];
            for (int depth = 0; candidate >= 0 && depth < kChainDepth;
                 ++depth, candidate = previous[candidate]) {
                size_t distance = at - size_t(candidate);
                if (distance > kArchiveMaxDistance) break;
                uint32_t length = 0;
                while (length < limit && data[candidate + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = uint32_t(distance);
                }
            }
        }
        if (bestLength >= kArchiveMinMatch && writer.MatchCost(bestLength, bestDistance) < bestLength) {
            writer.Match(bestLength, bestDistance);
            for (uint32_t i = 0; i < bestLength; ++i) insert(at + i);
            at += bestLength;
        } else {
            writer.Literal(data[at]);
            insert(at);
            ++at;
        }
    }
    std::vector<uint8_t>& out = writer.Bytes();
    StoreU32(out.data(), uint32_t(size));
    StoreU32(out.data() + 4, uint32_t(out.size()));
    out[8] = escape;
    return std::move(out);
}

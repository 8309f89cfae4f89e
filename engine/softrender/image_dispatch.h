// Dispatch of the image walkers, generated from the rule table: every key of a walker maps to one
// leaf (its rule, the rule of an alpha source's pixel drawn without its alpha factor, the depth and
// source kind), equal leaves are instantiated once, and a call looks its function up by key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "engine/softrender/image_ops.h"
#include "engine/softrender/image_walkers.h"
#include "engine/softrender/pixel_rules.h"

namespace softrender {

// The geometry a walker of the dialect W walks by default; textured spans name theirs.
template <Walker W>
using ImageGeometry = std::conditional_t<W == Walker::Stretch, StretchGeometry, BlitGeometry>;

template <Walker W, class G = ImageGeometry<W>>
using ImageWalkFn = void (*)(const ImageArgs&, const G&);

template <Walker W, class G, PixelRule R, PixelRule O, Depth D, SourceKind S>
void RunImageWalk(const ImageArgs& args, const G& g) {
    const ImageOp<R, O, D, S> op(args);
    if constexpr (W == Walker::RunBlit) {
        WalkRuns(op, g);
    } else {
        Walk(op, g);
    }
}

struct ImageLeaf {
    PixelRule rule;
    PixelRule opaque;
    Depth depth;
    SourceKind source;
    constexpr bool operator==(const ImageLeaf&) const = default;
};

constexpr ImageLeaf ImageLeafAt(Walker walker, size_t i) {
    const RuleKey key = ImageKeyAt(walker, i);
    const PixelRule rule = PickPixelRule(key);
    RuleKey opaqueKey = key;
    opaqueKey.source = SourceKind::DirectOpaque;
    const PixelRule opaque = key.source == SourceKind::DirectAlpha ? PickPixelRule(opaqueKey) : rule;
    return {rule, opaque, key.depth, key.source};
}

inline constexpr size_t kMaxImageLeaves = 1024;
inline constexpr uint16_t kNoImageLeaf = 0xFFFF;

struct ImageLeafTable {
    std::array<ImageLeaf, kMaxImageLeaves> leaves{};
    size_t count = 0;
    std::array<uint16_t, kImageKeyCount> index{};  // kNoImageLeaf where the call draws nothing
};

constexpr uint64_t RuleCode(const PixelRule& r) {
    const uint8_t fields[] = {uint8_t(r.combine),     uint8_t(r.target), uint8_t(r.word),
                              uint8_t(r.tint),        uint8_t(r.scale),  r.factors,
                              uint8_t(r.transparent), uint8_t(r.alpha)};
    uint64_t code = 0;
    for (uint8_t f : fields) code = code << 4 | f;
    return code;
}

// Slot of a leaf in the open-addressed table of distinct leaves.
constexpr size_t LeafSlot(const ImageLeaf& leaf, size_t slots) {
    const uint64_t code = RuleCode(leaf.rule) * 0x9E3779B97F4A7C15ull ^
                          RuleCode(leaf.opaque) * 0xC2B2AE3D27D4EB4Full ^
                          (uint64_t(leaf.depth) << 8 | uint64_t(leaf.source)) * 0x165667B19E3779F9ull;
    return (code >> 32) % slots;
}

constexpr ImageLeafTable BuildImageLeafTable(Walker walker) {
    ImageLeafTable t;
    constexpr size_t kSlots = 4 * kMaxImageLeaves;
    std::array<uint16_t, kSlots> slots{};
    for (auto& s : slots) s = kNoImageLeaf;
    for (size_t i = 0; i < kImageKeyCount; ++i) {
        const ImageLeaf leaf = ImageLeafAt(walker, i);
        if (leaf.rule.combine == Combine::Nothing) {
            t.index[i] = kNoImageLeaf;
            continue;
        }
        size_t slot = LeafSlot(leaf, kSlots);
        while (slots[slot] != kNoImageLeaf && !(t.leaves[slots[slot]] == leaf)) slot = (slot + 1) % kSlots;
        if (slots[slot] == kNoImageLeaf) {
            slots[slot] = static_cast<uint16_t>(t.count);
            t.leaves[t.count++] = leaf;
        }
        t.index[i] = slots[slot];
    }
    return t;
}

template <Walker W>
inline constexpr ImageLeafTable kImageLeaves = BuildImageLeafTable(W);

template <Walker W, class G, size_t... I>
constexpr std::array<ImageWalkFn<W, G>, sizeof...(I)> MakeImageWalkFns(std::index_sequence<I...>) {
    constexpr const ImageLeafTable& t = kImageLeaves<W>;
    return {
        &RunImageWalk<W, G, t.leaves[I].rule, t.leaves[I].opaque, t.leaves[I].depth, t.leaves[I].source>...};
}

template <Walker W, class G>
inline constexpr auto kImageWalkFns =
    MakeImageWalkFns<W, G>(std::make_index_sequence<kImageLeaves<W>.count>{});

// The walk for a key of the image key space; null when the call draws nothing.
template <Walker W, class G = ImageGeometry<W>>
ImageWalkFn<W, G> FindImageWalk(size_t key) {
    const uint16_t leaf = kImageLeaves<W>.index[key];
    return leaf == kNoImageLeaf ? nullptr : kImageWalkFns<W, G>[leaf];
}

}  // namespace softrender

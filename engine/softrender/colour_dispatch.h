// Dispatch of the one-colour walkers (rectangle, line, circle, flat triangle spans), generated from the
// rule table: one entry per (depth, mode, parameter case) of a walker's dialect, null where nothing is drawn.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "engine/softrender/pixel_ops.h"
#include "engine/softrender/pixel_rules.h"

namespace softrender {

template <class G>
using ColourWalkFn = void (*)(const ColourArgs&, const G&);

template <class G, PixelRule R, Depth D>
void RunColourWalk(const ColourArgs& args, const G& geometry) {
    Walk(ColourOp<R, D>(args), geometry);
}

template <Walker W, class G, size_t I>
constexpr ColourWalkFn<G> ColourEntry() {
    constexpr RuleKey key = ColourKeyAt(I, W);
    constexpr PixelRule rule = PickPixelRule(key);
    if constexpr (rule.combine == Combine::Nothing) {
        return nullptr;
    } else {
        return &RunColourWalk<G, rule, key.depth>;
    }
}

template <Walker W, class G, size_t... I>
constexpr std::array<ColourWalkFn<G>, sizeof...(I)> MakeColourTable(std::index_sequence<I...>) {
    return {ColourEntry<W, G, I>()...};
}

template <Walker W, class G>
constexpr auto kColourTable = MakeColourTable<W, G>(std::make_index_sequence<kColourKeyCount>{});

}  // namespace softrender

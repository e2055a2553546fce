// The weld's quick pairing of triangle sides, for surfaces where no edge is shared by more than
// two triangles. The weld is the prepare stage's first step.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include <algorithm>

bool pairSides(const std::vector<std::array<uint32_t, 3>>& ids, uint32_t positionCount,
               std::vector<uint32_t>& across, bool* eachWayOnce, TWeldRoom* room, bool* anyOpen) {
    // The tables come from room, when given, and go back there whichever way this returns.
    std::vector<uint32_t> first, fill;
    std::vector<TWeldRoom::SideEnd> ends;
    std::vector<uint8_t> paired;
    auto exchange = [&] {
        if (!room) return;
        first.swap(room->first);
        fill.swap(room->fill);
        ends.swap(room->ends);
        paired.swap(room->paired);
    };
    exchange();
    const TGiveBack<decltype(exchange)&> giveBack{exchange};
    // Every side (3 per triangle) by its lower end, with its higher end and, in the lowest bit,
    // whether it runs from the higher end.
    const size_t n = ids.size();
    if (3 * n >= UINT32_MAX || positionCount >= (uint32_t(1) << 31)) return false;
    bool oneWayEach = true, open = false;
    reserveLarge(first, size_t(positionCount) + 1);
    first.assign(size_t(positionCount) + 1, 0);
    for (const auto& id : ids) {
        const uint32_t a = id[0], b = id[1], c = id[2];
        if (a == b || b == c || c == a) return false;
        ++first[std::min(a, b) + 1];
        ++first[std::min(b, c) + 1];
        ++first[std::min(c, a) + 1];
    }
    for (size_t i = 1; i < first.size(); ++i)
        first[i] += first[i - 1];
    reserveLarge(ends, 3 * n);
    ends.resize(3 * n);
    fill.assign(first.begin(), first.end() - 1);
    auto put = [&](uint32_t a, uint32_t b, uint32_t side) {
        ends[fill[std::min(a, b)]++] =
            TWeldRoom::SideEnd{std::max(a, b) << 1 | uint32_t(a > b), side};
    };
    for (uint32_t t = 0; t < n; ++t) {
        const uint32_t a = ids[t][0], b = ids[t][1], c = ids[t][2];
        put(a, b, 3 * t);
        put(b, c, 3 * t + 1);
        put(c, a, 3 * t + 2);
    }
    // Each side pairs with the one other side of the same ends, if any: the first side of an
    // edge looks for the others after it, which then need no look of their own.
    reserveLarge(across, 3 * n);
    across.assign(3 * n, UINT32_MAX);
    reserveLarge(paired, 3 * n);
    paired.assign(3 * n, 0); // by place in ends
    const TWeldRoom::SideEnd* end = ends.data();
    for (size_t p = 0; p < positionCount; ++p) {
        const uint32_t last = first[p + 1];
        for (uint32_t i = first[p]; i < last; ++i) {
            if (paired[i]) continue;
            const uint32_t other = end[i].other;
            uint32_t count = 0, match = 0;
            for (uint32_t j = i + 1; j < last; ++j)
                if ((end[j].other ^ other) < 2) ++count, match = j;
            if (count > 1) return false;
            open = open || count == 0;
            if (count == 1) {
                oneWayEach = oneWayEach && end[match].other != other;
                paired[match] = 1;
                across[end[i].side] = end[match].side / 3;
                across[end[match].side] = end[i].side / 3;
            }
        }
    }
    if (eachWayOnce) *eachWayOnce = oneWayEach;
    if (anyOpen) *anyOpen = open;
    return true;
}

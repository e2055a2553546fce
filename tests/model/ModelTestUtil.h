// Helpers shared by the model and mesh tests: outline, element list and group builders, settings
// tuples.
#pragma once

#include "model/UnTExtrObj.h"
#include "model/UnTProfileObj.h"

#include "TestFiles.h"

#include <initializer_list>
#include <tuple>

inline OutlineVertex V(int32_t x, int32_t y, int32_t group = 0) {
    OutlineVertex v;
    v.X = x;
    v.Y = y;
    v.Groups[0] = group;
    return v;
}

inline void SetOutline(std::array<OutlineVertex, MaxOutlineVertices>& outline, int32_t& count,
                       std::initializer_list<OutlineVertex> vertices) {
    count = 0;
    for (const OutlineVertex& v : vertices)
        outline[static_cast<size_t>(count++)] = v;
}

// An element list of the given points, no groups.
inline TProfileObj makePath(const std::vector<Vec3>& points) {
    TProfileObj list;
    for (const Vec3& p : points) {
        TProfileElementObj e;
        e.Point = p;
        list.Add(e);
    }
    return list;
}

inline TGroupRef MakeGroup(int32_t id, TColor color, const std::string& texture = "",
                           int32_t repeatU = 1, int32_t repeatV = 1, bool flipU = false,
                           bool flipV = false) {
    return std::make_shared<TGroupPropertyObj>(
        TGroupPropertyObj{id, color, texture, repeatU, repeatV, flipU, flipV});
}

// The settings an object and its options copy share, name, placement and textures folder aside.
template <class T> auto Settings(T& o) {
    return std::tie(o.Precision, o.ProfileScale, o.PathScale, o.Lathe, o.RoundCorner, o.EmbCorner,
                    o.CornersColor, o.CornersTexture, o.TopColor, o.TopTexture, o.BottomColor,
                    o.BottomTexture);
}

inline void ExpectOptionsMatchObject(const TExtrObj& o) {
    EXPECT_EQ(o.Options.Name, o.Name);
    EXPECT_EQ(o.Options.TexDir, o.TexDir);
    EXPECT_EQ(Settings(o.Options), Settings(o));
}

// Helpers shared by the model and mesh tests: outline, element list and group builders, settings
// tuples.
#pragma once

#include "model/UnTExtrObj.h"
#include "model/UnTProfileObj.h"

#include "TestFiles.h"

#include <initializer_list>
#include <tuple>
#include <type_traits>

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

// The settings stored in an object's options, name and textures folder aside: assignable in the
// options, read through the accessors in the object.
template <class T>
requires std::is_same_v<std::remove_const_t<T>, TfrmExtrOption>
auto Settings(T& o) {
    return std::tie(o.Precision, o.ProfileScale, o.PathScale, o.Lathe, o.RoundCorner, o.EmbCorner,
                    o.CornersColor, o.CornersTexture, o.TopColor, o.TopTexture, o.BottomColor,
                    o.BottomTexture);
}

inline auto Settings(const TExtrObj& o) {
    return std::make_tuple(o.Precision(), o.ProfileScale(), o.PathScale(), o.Lathe(),
                           o.RoundCorner(), o.EmbCorner(), o.CornersColor(), o.CornersTexture(),
                           o.TopColor(), o.TopTexture(), o.BottomColor(), o.BottomTexture());
}

// The name is the one field the object and its dialog both hold.
inline void ExpectDialogNameMatchesObject(const TExtrObj& o) {
    EXPECT_EQ(o.Options.Name, o.Name);
}

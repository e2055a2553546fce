// Tests of the element lists: turn angles, texture coordinates, X extent, edge groups and list
// building.
#include "model/UnTExtrObj.h"
#include "model/UnTProfileObj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

using XY = std::pair<int32_t, int32_t>;

void SetProfile(TExtrObj& obj, std::initializer_list<XY> pts) {
    obj.ProfileCount = 0;
    for (const XY& p : pts) {
        OutlineVertex v;
        v.X = p.first;
        v.Y = p.second;
        obj.Profile[static_cast<size_t>(obj.ProfileCount++)] = v;
    }
}

void SetPath(TExtrObj& obj, std::initializer_list<XY> pts) {
    obj.PathCount = 0;
    for (const XY& p : pts) {
        OutlineVertex v;
        v.X = p.first;
        v.Y = p.second;
        obj.Path[static_cast<size_t>(obj.PathCount++)] = v;
    }
}

TProfileObj Line(std::initializer_list<Vec3> pts) {
    TProfileObj list;
    for (const Vec3& p : pts) {
        TProfileElementObj e;
        e.Point = p;
        list.Add(e);
    }
    return list;
}

TGroupRef MakeGroup(int32_t id, TColor color, const std::string& texture) {
    auto g = std::make_shared<TGroupPropertyObj>();
    g->Id = id;
    g->Color = color;
    g->Texture = texture;
    return g;
}

void ExpectColor(const ColorF& c, TColor expected) {
    const ColorF e = ColorToRGB(expected);
    EXPECT_FLOAT_EQ(c.R, e.R);
    EXPECT_FLOAT_EQ(c.G, e.G);
    EXPECT_FLOAT_EQ(c.B, e.B);
}

void ExpectNoAppearance(const TProfileElementObj& e) {
    EXPECT_EQ(e.Color.R, 0);
    EXPECT_EQ(e.Color.G, 0);
    EXPECT_EQ(e.Color.B, 0);
    EXPECT_EQ(e.Color.A, 0);
    EXPECT_TRUE(e.Texture.empty());
    EXPECT_FALSE(e.GroupStart);
}

} // namespace

TEST(ElementAngles, TurnSignFollowsPathDirection) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}, {0, 10}});
    SetPath(obj, {{0, 0}, {10, 0}, {10, 10}});
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    ASSERT_EQ(path.Count(), 3);
    EXPECT_FLOAT_EQ(path.Items(2).Point.X, 10);
    EXPECT_FLOAT_EQ(path.Items(2).Point.Y, 0);
    EXPECT_FLOAT_EQ(path.Items(2).Point.Z, 10);
    path.ComputeAngles();
    EXPECT_FLOAT_EQ(path.Items(0).Angle, 270);
    EXPECT_FLOAT_EQ(path.Items(1).Angle, 270);
    EXPECT_FLOAT_EQ(path.Items(2).Angle, 90);

    SetPath(obj, {{0, 0}, {10, 0}, {10, -10}});
    TProfileObj profile2, mirrored;
    obj.BuildElementLists(profile2, mirrored);
    mirrored.ComputeAngles();
    EXPECT_FLOAT_EQ(mirrored.Items(0).Angle, 90);
    EXPECT_FLOAT_EQ(mirrored.Items(1).Angle, 90);
    EXPECT_FLOAT_EQ(mirrored.Items(2).Angle, 270);
}

TEST(ElementAngles, ZigZagAndParallelEnds) {
    // Right turn then left turn; first and last edges are parallel, so the ends get 0 and 360.
    TProfileObj p = Line({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {20, 0, 10}});
    p.ComputeAngles();
    EXPECT_FLOAT_EQ(p.Items(1).Angle, 270);
    EXPECT_FLOAT_EQ(p.Items(2).Angle, 90);
    EXPECT_FLOAT_EQ(p.Items(0).Angle, 0);
    EXPECT_FLOAT_EQ(p.Items(3).Angle, 360);
}

TEST(ElementAngles, ShortListsGetZero) {
    TProfileObj two = Line({{0, 0, 0}, {10, 0, 0}});
    two.Items(0).Angle = two.Items(1).Angle = 45;
    two.ComputeAngles();
    EXPECT_EQ(two.Items(0).Angle, 0);
    EXPECT_EQ(two.Items(1).Angle, 0);
    TProfileObj one = Line({{5, 0, 0}});
    one.Items(0).Angle = 45;
    one.ComputeAngles();
    EXPECT_EQ(one.Items(0).Angle, 0);
    TProfileObj none;
    none.ComputeAngles();
    EXPECT_EQ(none.Count(), 0);
}

TEST(ElementTexCoords, PerGroupSegmentsRestartAtGroupStart) {
    TProfileObj p = Line({{0, 0, 0}, {0, 10, 0}, {0, 20, 0}, {0, 30, 0}});
    p.SetGroupStart(2, true);
    p.ComputeTexCoords(2, true);
    EXPECT_FLOAT_EQ(p.Items(0).TexV, 0);
    EXPECT_FLOAT_EQ(p.Items(1).TexV, 0.5f);
    EXPECT_FLOAT_EQ(p.Items(2).TexV, 0);
    EXPECT_FLOAT_EQ(p.Items(3).TexV, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.Items(i).TexU, 0) << i;

    // Without perGroup the group start is ignored: one segment 30 long.
    p.ComputeTexCoords(2, false);
    EXPECT_FLOAT_EQ(p.Items(1).TexV, 1.0f / 3);
    EXPECT_FLOAT_EQ(p.Items(2).TexV, 2.0f / 3);
    EXPECT_FLOAT_EQ(p.Items(3).TexV, 1);
}

TEST(ElementTexCoords, OwnRepeatAndFlipPerElement) {
    TProfileObj p = Line({{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {40, 0, 0}});
    p.SetTexParams(0, 2, 5, true, true);
    p.SetTexParams(1, 3, 1, false, false);
    p.SetTexParams(2, 1, 1, true, false);
    p.Items(0).TexV = p.Items(1).TexV = 7;
    p.ComputeTexCoords(1, true);
    // Element 0 gets both coordinates from its flips, whatever the mode.
    EXPECT_FLOAT_EQ(p.Items(0).TexU, 2);
    EXPECT_FLOAT_EQ(p.Items(0).TexV, 5);
    EXPECT_FLOAT_EQ(p.Items(1).TexU, 3 * 0.25f);
    EXPECT_FLOAT_EQ(p.Items(2).TexU, 1 - 0.5f);
    EXPECT_FLOAT_EQ(p.Items(3).TexU, 1);
    EXPECT_FLOAT_EQ(p.Items(1).TexV, 7); // mode 1 leaves V of the others alone
}

TEST(ElementTexCoords, ZeroLengthSegmentGivesZeroNotNaN) {
    TProfileObj p = Line({{1, 1, 0}, {1, 1, 0}, {1, 1, 0}});
    p.SetTexParams(2, 1, 1, false, true);
    p.ComputeTexCoords(2, true);
    EXPECT_EQ(p.Items(1).TexV, 0);
    EXPECT_EQ(p.Items(2).TexV, 1);
}

TEST(ElementTexCoords, PlanarFromExtent) {
    TProfileObj p = Line({{-10, 5, 0}, {30, 5, 0}, {30, 25, 0}, {0, 15, 0}});
    p.PlanarTexCoords(false);
    EXPECT_FLOAT_EQ(p.Items(0).TexU, 0);
    EXPECT_FLOAT_EQ(p.Items(0).TexV, 0);
    EXPECT_FLOAT_EQ(p.Items(2).TexU, 1);
    EXPECT_FLOAT_EQ(p.Items(2).TexV, 1);
    EXPECT_FLOAT_EQ(p.Items(3).TexU, 0.25f);
    EXPECT_FLOAT_EQ(p.Items(3).TexV, 0.5f);
    p.PlanarTexCoords(true);
    EXPECT_FLOAT_EQ(p.Items(0).TexU, 1);
    EXPECT_FLOAT_EQ(p.Items(3).TexU, 0.75f);
    EXPECT_FLOAT_EQ(p.Items(3).TexV, 0.5f);
}

TEST(ElementTexCoords, PlanarFlatOutlineStaysFinite) {
    TProfileObj flat = Line({{0, 3, 0}, {10, 3, 0}, {20, 3, 0}});
    flat.PlanarTexCoords(false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(flat.Items(i).TexV, 0) << i;
    EXPECT_FLOAT_EQ(flat.Items(1).TexU, 0.5f);
    TProfileObj vertical = Line({{4, 0, 0}, {4, 10, 0}});
    vertical.PlanarTexCoords(true);
    EXPECT_EQ(vertical.Items(0).TexU, 1);
    EXPECT_EQ(vertical.Items(1).TexU, 1);
    EXPECT_FLOAT_EQ(vertical.Items(1).TexV, 1);
}

TEST(ElementExtent, XRangeAndMaxAbsX) {
    TProfileObj p = Line({{3, 0, 0}, {-7, 1, 0}, {5, 2, 0}});
    float max = 0, min = 0;
    p.XRange(max, min);
    EXPECT_EQ(max, 5);
    EXPECT_EQ(min, -7);
    EXPECT_EQ(p.MaxAbsX(), 7);
    TProfileObj q = Line({{2, 0, 0}, {9, 0, 0}, {4, 0, 0}});
    EXPECT_EQ(q.MaxAbsX(), 9);
    TProfileObj r = Line({{-2, 0, 0}, {-9, 0, 0}});
    r.XRange(max, min);
    EXPECT_EQ(max, -2);
    EXPECT_EQ(min, -9);
}

TEST(ElementAttributes, AssignAttributesKeepsDestinationPoint) {
    TProfileElementObj src;
    src.GroupStart = true;
    src.Color = ColorF{0.1f, 0.2f, 0.3f, 0.4f};
    src.Texture = "wood";
    src.TexU = 0.5f;
    src.TexV = 0.75f;
    src.RepeatU = 3;
    src.RepeatV = 4;
    src.FlipU = true;
    src.FlipV = true;
    src.Point = Vec3{1, 2, 3};
    src.Angle = 90;
    TProfileElementObj dst;
    dst.Point = Vec3{7, 8, 9};
    src.AssignAttributes(dst);
    EXPECT_TRUE(dst.GroupStart);
    EXPECT_FLOAT_EQ(dst.Color.A, 0.4f);
    EXPECT_EQ(dst.Texture, "wood");
    EXPECT_FLOAT_EQ(dst.TexV, 0.75f);
    EXPECT_EQ(dst.RepeatV, 4);
    EXPECT_TRUE(dst.FlipU);
    EXPECT_FLOAT_EQ(dst.Angle, 90);
    EXPECT_FLOAT_EQ(dst.Point.X, 7);
    EXPECT_FLOAT_EQ(dst.Point.Z, 9);
}

TEST(ElementGroups, MembersTakeGroupAppearanceFirstBecomesStart) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    SetPath(obj, {{0, 0}, {0, 100}});
    obj.Profile[1].Groups[0] = 7;
    obj.Profile[2].Groups[0] = 7;
    obj.Profile[3].Groups[4] = 99; // no such group
    auto g = MakeGroup(7, 0x0000FF, "brick");
    g->RepeatU = 2;
    g->RepeatV = 3;
    g->FlipV = true;
    obj.Groups->Add(g);
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    ASSERT_EQ(profile.Count(), 4);
    ExpectNoAppearance(profile.Items(0));
    ExpectNoAppearance(profile.Items(3));
    for (int i : {1, 2}) {
        ExpectColor(profile.Items(i).Color, 0x0000FF);
        EXPECT_EQ(profile.Items(i).Texture, "brick");
        EXPECT_EQ(profile.Items(i).RepeatU, 2);
        EXPECT_EQ(profile.Items(i).RepeatV, 3);
        EXPECT_FALSE(profile.Items(i).FlipU);
        EXPECT_TRUE(profile.Items(i).FlipV);
    }
    EXPECT_TRUE(profile.Items(1).GroupStart);
    EXPECT_FALSE(profile.Items(2).GroupStart);
}

TEST(ElementGroups, LaterGroupWinsExceptOverEarlierGroupStart) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    SetPath(obj, {{0, 0}, {0, 100}});
    // Group 1 on vertices 2 and 3; group 2 on vertices 1, 2 and 3.
    obj.Profile[1].Groups[0] = 1;
    obj.Profile[2].Groups[0] = 1;
    obj.Profile[0].Groups[3] = 2;
    obj.Profile[1].Groups[1] = 2;
    obj.Profile[2].Groups[9] = 2;
    obj.Groups->Add(MakeGroup(1, 0x00FF00, "first"));
    obj.Groups->Add(MakeGroup(2, 0xFF0000, "second"));
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    EXPECT_EQ(profile.Items(0).Texture, "second");
    EXPECT_TRUE(profile.Items(0).GroupStart);
    EXPECT_EQ(profile.Items(1).Texture, "first"); // starts group 1: keeps it
    ExpectColor(profile.Items(1).Color, 0x00FF00);
    EXPECT_TRUE(profile.Items(1).GroupStart);
    EXPECT_EQ(profile.Items(2).Texture, "second");
    ExpectColor(profile.Items(2).Color, 0xFF0000);
    EXPECT_FALSE(profile.Items(2).GroupStart);
    ExpectNoAppearance(profile.Items(3));
}

TEST(ElementGroups, GroupWhoseFirstMemberStartsAnotherGetsNoStart) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    SetPath(obj, {{0, 0}, {0, 100}});
    obj.Profile[1].Groups[0] = 1;
    obj.Profile[1].Groups[1] = 2;
    obj.Profile[2].Groups[1] = 2;
    obj.Groups->Add(MakeGroup(1, 0x00FF00, "first"));
    obj.Groups->Add(MakeGroup(2, 0xFF0000, "second"));
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    EXPECT_EQ(profile.Items(1).Texture, "first");
    EXPECT_TRUE(profile.Items(1).GroupStart);
    EXPECT_EQ(profile.Items(2).Texture, "second");
    EXPECT_FALSE(profile.Items(2).GroupStart);
}

TEST(ElementLists, WorldCoordinatesFromScales) {
    TExtrObj obj;
    SetProfile(obj, {{10, -20}, {-3, 7}});
    SetPath(obj, {{3, 4}, {-5, 11}});
    obj.SetProfileScale(50);
    obj.SetPathScale(200);
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    ASSERT_EQ(profile.Count(), 2);
    ASSERT_EQ(path.Count(), 2);
    EXPECT_FLOAT_EQ(profile.Items(0).Point.X, 5);
    EXPECT_FLOAT_EQ(profile.Items(0).Point.Y, -10);
    EXPECT_FLOAT_EQ(profile.Items(0).Point.Z, 0);
    EXPECT_FLOAT_EQ(profile.Items(1).Point.X, -1.5f);
    EXPECT_FLOAT_EQ(profile.Items(1).Point.Y, 3.5f);
    // Editor Y becomes world Z.
    EXPECT_FLOAT_EQ(path.Items(1).Point.X, -10);
    EXPECT_FLOAT_EQ(path.Items(1).Point.Y, 0);
    EXPECT_FLOAT_EQ(path.Items(1).Point.Z, 22);
}

TEST(ElementLists, CapAndCornerAppearance) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}, {0, 10}});
    SetPath(obj, {{0, 0}, {0, 10}, {10, 10}});
    obj.SetCornersColor(0x112233);
    obj.SetCornersTexture("corner");
    obj.SetTopColor(0x445566);
    obj.SetTopTexture("top");
    obj.SetBottomColor(0x778899);
    obj.SetBottomTexture("bottom");
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    EXPECT_EQ(path.Items(0).Texture, "top");
    ExpectColor(path.Items(0).Color, 0x445566);
    EXPECT_EQ(path.Items(1).Texture, "corner");
    ExpectColor(path.Items(1).Color, 0x112233);
    EXPECT_EQ(path.Items(2).Texture, "bottom");
    ExpectColor(path.Items(2).Color, 0x778899);

    obj.SetPathClosed(true);
    TProfileObj profile2, closed;
    obj.BuildElementLists(profile2, closed);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(closed.Items(i).Texture, "corner") << i;
        ExpectColor(closed.Items(i).Color, 0x112233);
    }

    obj.SetPathClosed(false);
    SetPath(obj, {{5, 5}});
    TProfileObj profile3, single;
    obj.BuildElementLists(profile3, single);
    ASSERT_EQ(single.Count(), 1);
    EXPECT_EQ(single.Items(0).Texture, "bottom");
    ExpectColor(single.Items(0).Color, 0x778899);
}

TEST(ElementLists, EmptyOutlineBuildsNothing) {
    TExtrObj obj;
    SetProfile(obj, {{0, 0}, {10, 0}});
    TProfileObj profile, path;
    obj.BuildElementLists(profile, path);
    EXPECT_EQ(profile.Count(), 0);
    EXPECT_EQ(path.Count(), 0);
    // A count outside the outline capacity is never read past the arrays.
    obj.PathCount = 5000;
    obj.BuildElementLists(profile, path);
    EXPECT_EQ(profile.Count(), 2);
    EXPECT_EQ(path.Count(), MaxOutlineVertices);
}

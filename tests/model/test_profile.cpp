// Tests of the element lists: turn angles, texture coordinates, X extent, edge groups and list
// building.
#include "ModelTestUtil.h"

namespace {

// The profile (or path) element list built from an object.
TProfileObj Build(const TExtrObj& obj, bool path = false) {
    TProfileObj profileList, pathList;
    obj.BuildElementLists(profileList, pathList);
    return path ? pathList : profileList;
}

// One float field of every element, in order.
void ExpectAll(const TProfileObj& p, float TProfileElementObj::*field,
               std::vector<float> expected) {
    ASSERT_EQ(p.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < p.Count(); ++i)
        EXPECT_FLOAT_EQ(p.Items(i).*field, expected[static_cast<size_t>(i)]) << "element " << i;
}

void ExpectPoint(const TProfileElementObj& e, float x, float y, float z) {
    EXPECT_FLOAT_EQ(e.Point.X, x);
    EXPECT_FLOAT_EQ(e.Point.Y, y);
    EXPECT_FLOAT_EQ(e.Point.Z, z);
}

void ExpectLook(const TProfileElementObj& e, const std::string& texture, TColor color,
                bool groupStart = false) {
    const ColorF c = ColorToRGB(color);
    EXPECT_EQ(e.Texture, texture);
    EXPECT_FLOAT_EQ(e.Color.R, c.R);
    EXPECT_FLOAT_EQ(e.Color.G, c.G);
    EXPECT_FLOAT_EQ(e.Color.B, c.B);
    EXPECT_EQ(e.GroupStart, groupStart);
}

} // namespace

TEST(ElementAngles, TurnSignsParallelEndsAndShortLists) {
    // Editor paths run in world X/Z; parallel first and last edges give the ends 0 and 360; fewer
    // than three elements get 0 whatever they held.
    struct Case {
        const char* what;
        TProfileObj list;
        std::vector<float> angles;
    } cases[] = {
        {"left turns", makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}}), {270, 270, 90}},
        {"mirrored", makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, -10}}), {90, 90, 270}},
        {"zig-zag", makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {20, 0, 10}}), {0, 270, 90, 360}},
        {"two", makePath({{0, 0, 0}, {10, 0, 0}}), {0, 0}},
        {"one", makePath({{5, 0, 0}}), {0}},
        {"none", makePath({}), {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < c.list.Count(); ++i)
            c.list.Items(i).Angle = 45;
        c.list.ComputeAngles();
        ExpectAll(c.list, &TProfileElementObj::Angle, c.angles);
    }
}

TEST(ElementTexCoords, AlongTheListPerGroupWithOwnRepeatAndFlipAndPlanar) {
    // Every U and V starts at 7. Mode 1 or 2 computes U or V along the list and leaves the other
    // alone, except at element 0, which takes both from its flips; mode 3 is planar, 4 planar
    // flipped. Each element's repeat U, repeat V, flip U and flip V, where given.
    const std::vector<Vec3> up{{0, 0, 0}, {0, 10, 0}, {0, 20, 0}, {0, 30, 0}};
    const std::vector<Vec3> box{{-10, 5, 0}, {30, 5, 0}, {30, 25, 0}, {0, 15, 0}};
    const struct {
        const char* what;
        std::vector<Vec3> points;
        int groupStart, mode;
        bool perGroup;
        std::vector<std::array<int, 4>> params;
        std::vector<float> u, v;
    } cases[] = {
        // clang-format off
        {"V restarts at a group start", up, 2, 2, true, {}, {0, 7, 7, 7}, {0, 0.5f, 0, 1}},
        {"one segment 30 long without perGroup", up, 2, 2, false, {}, {0, 7, 7, 7},
         {0, 1.0f / 3, 2.0f / 3, 1}},
        {"own repeat and flip", {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {40, 0, 0}}, -1, 1, true,
         {{2, 5, 1, 1}, {3, 1, 0, 0}, {1, 1, 1, 0}}, {2, 3 * 0.25f, 1 - 0.5f, 1}, {5, 7, 7, 7}},
        {"zero length gives 0, not NaN", {{1, 1, 0}, {1, 1, 0}, {1, 1, 0}}, -1, 2, true,
         {{1, 1, 0, 0}, {1, 1, 0, 0}, {1, 1, 0, 1}}, {0, 7, 7}, {0, 0, 1}},
        {"planar from the extent", box, -1, 3, false, {}, {0, 1, 1, 0.25f}, {0, 0, 1, 0.5f}},
        {"planar flipped", box, -1, 4, false, {}, {1, 0, 0, 0.75f}, {0, 0, 1, 0.5f}},
        {"planar, flat in Y", {{0, 3, 0}, {10, 3, 0}, {20, 3, 0}}, -1, 3, false, {},
         {0, 0.5f, 1}, {0, 0, 0}},
        {"planar flipped, flat in X", {{4, 0, 0}, {4, 10, 0}}, -1, 4, false, {}, {1, 1}, {0, 1}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TProfileObj p = makePath(c.points);
        if (c.groupStart >= 0) p.SetGroupStart(c.groupStart, true);
        for (size_t i = 0; i < c.params.size(); ++i)
            p.SetTexParams(int(i), c.params[i][0], c.params[i][1], c.params[i][2], c.params[i][3]);
        for (int i = 0; i < p.Count(); ++i)
            p.Items(i).TexU = p.Items(i).TexV = 7;
        if (c.mode <= 2)
            p.ComputeTexCoords(c.mode, c.perGroup);
        else
            p.PlanarTexCoords(c.mode == 4);
        ExpectAll(p, &TProfileElementObj::TexU, c.u);
        ExpectAll(p, &TProfileElementObj::TexV, c.v);
    }
}

TEST(ElementExtent, XRangeAndMaxAbsX) {
    TProfileObj p = makePath({{3, 0, 0}, {-7, 1, 0}, {5, 2, 0}});
    float max = 0, min = 0;
    p.XRange(max, min);
    EXPECT_EQ(max, 5);
    EXPECT_EQ(min, -7);
    EXPECT_EQ(p.MaxAbsX(), 7);
    EXPECT_EQ(makePath({{2, 0, 0}, {9, 0, 0}, {4, 0, 0}}).MaxAbsX(), 9);
    makePath({{-2, 0, 0}, {-9, 0, 0}}).XRange(max, min);
    EXPECT_EQ(max, -2);
    EXPECT_EQ(min, -9);
}

TEST(ElementAttributes, AssignAttributesKeepsDestinationPoint) {
    const TProfileElementObj src{
        true, {0.1f, 0.2f, 0.3f, 0.4f}, "wood", 0.5f, 0.75f, 3, 4, true, true, {1, 2, 3}, 90};
    TProfileElementObj dst;
    dst.Point = Vec3{7, 8, 9};
    src.AssignAttributes(dst);
    auto attributes = [](const TProfileElementObj& e) {
        return std::tie(e.GroupStart, e.Color.R, e.Color.G, e.Color.B, e.Color.A, e.Texture, e.TexU,
                        e.TexV, e.RepeatU, e.RepeatV, e.FlipU, e.FlipV, e.Angle);
    };
    EXPECT_EQ(attributes(dst), attributes(src));
    ExpectPoint(dst, 7, 8, 9);
}

TEST(ElementGroups, MembersTakeTheLaterGroupsLookExceptAtAnEarlierGroupStart) {
    // A square profile with the given groups, (vertex, slot, group id) memberships, and per element
    // the group whose look it takes (none: no colour at all) and whether it starts that group.
    const TGroupRef brick = MakeGroup(7, 0x0000FF, "brick", 2, 3, false, true);
    const TGroupRef first = MakeGroup(1, 0x00FF00, "first", 3, 1, true, false);
    const TGroupRef second = MakeGroup(2, 0xFF0000, "second");
    const TGroupRef none;
    const struct {
        const char* what;
        std::vector<TGroupRef> groups;
        std::vector<std::array<int, 3>> members;
        std::vector<std::pair<TGroupRef, bool>> looks;
    } cases[] = {
        // clang-format off
        {"the first member starts the group", {brick}, {{1, 0, 7}, {2, 0, 7}, {3, 4, 99}},
         {{none, false}, {brick, true}, {brick, false}, {none, false}}},
        {"group 1 on vertices 1 and 2, group 2 on 0, 1 and 2", {first, second},
         {{1, 0, 1}, {2, 0, 1}, {0, 3, 2}, {1, 1, 2}, {2, 9, 2}},
         {{second, true}, {first, true}, {second, false}, {none, false}}},
        {"no start where the first member starts another group", {first, second},
         {{1, 0, 1}, {1, 1, 2}, {2, 1, 2}},
         {{none, false}, {first, true}, {second, false}, {none, false}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TExtrObj obj;
        SetOutline(obj.Profile, obj.ProfileCount, {V(0, 0), V(10, 0), V(10, 10), V(0, 10)});
        SetOutline(obj.Path, obj.PathCount, {V(0, 0), V(0, 100)});
        for (const TGroupRef& g : c.groups)
            obj.Groups->Add(g);
        for (const auto& [vertex, slot, id] : c.members)
            obj.Profile[vertex].Groups[slot] = id;
        const TProfileObj profile = Build(obj);
        ASSERT_EQ(profile.Count(), 4);
        for (int i = 0; i < 4; ++i) {
            const auto& [g, start] = c.looks[size_t(i)];
            const TProfileElementObj& e = profile.Items(i);
            const TGroupPropertyObj look = g ? *g : TGroupPropertyObj{0, 0, "", 1, 1, false, false};
            ExpectLook(e, look.Texture, look.Color, start);
            EXPECT_EQ(e.Color.A, g ? 1 : 0) << i;
            EXPECT_EQ(std::tie(e.RepeatU, e.RepeatV, e.FlipU, e.FlipV),
                      std::tie(look.RepeatU, look.RepeatV, look.FlipU, look.FlipV))
                << i;
        }
    }
}

TEST(ElementLists, WorldCoordinatesFromScalesOnlyWithBothOutlines) {
    TExtrObj obj;
    SetOutline(obj.Profile, obj.ProfileCount, {V(10, -20), V(-3, 7)});
    SetOutline(obj.Path, obj.PathCount, {V(3, 4), V(-5, 11)});
    obj.SetProfileScale(50);
    obj.SetPathScale(200);
    const TProfileObj profile = Build(obj), path = Build(obj, true);
    ASSERT_EQ(profile.Count(), 2);
    ASSERT_EQ(path.Count(), 2);
    ExpectPoint(profile.Items(0), 5, -10, 0);
    ExpectPoint(profile.Items(1), -1.5f, 3.5f, 0);
    ExpectPoint(path.Items(1), -10, 0, 22); // editor Y becomes world Z

    // Without a path nothing is built; a count beyond the outline's capacity is not read past it.
    obj.PathCount = 0;
    EXPECT_EQ(std::make_pair(Build(obj).Count(), Build(obj, true).Count()), std::make_pair(0, 0));
    obj.PathCount = 5000;
    EXPECT_EQ(std::make_pair(Build(obj).Count(), Build(obj, true).Count()),
              std::make_pair(2, MaxOutlineVertices));
}

TEST(ElementLists, CapAndCornerAppearance) {
    TExtrObj obj;
    SetOutline(obj.Profile, obj.ProfileCount, {V(0, 0), V(10, 0), V(0, 10)});
    SetOutline(obj.Path, obj.PathCount, {V(0, 0), V(0, 10), V(10, 10)});
    obj.SetCornersColor(0x112233);
    obj.SetCornersTexture("corner");
    obj.SetTopColor(0x445566);
    obj.SetTopTexture("top");
    obj.SetBottomColor(0x778899);
    obj.SetBottomTexture("bottom");
    const TProfileObj open = Build(obj, true);
    ExpectLook(open.Items(0), "top", 0x445566);
    ExpectLook(open.Items(1), "corner", 0x112233);
    ExpectLook(open.Items(2), "bottom", 0x778899);

    obj.SetPathClosed(true);
    const TProfileObj closed = Build(obj, true);
    for (int i = 0; i < 3; ++i)
        ExpectLook(closed.Items(i), "corner", 0x112233);

    obj.SetPathClosed(false);
    SetOutline(obj.Path, obj.PathCount, {V(5, 5)});
    const TProfileObj single = Build(obj, true);
    ASSERT_EQ(single.Count(), 1);
    ExpectLook(single.Items(0), "bottom", 0x778899);
}

// Lathe builder: quads around the axis, one list per profile edge, texture U around the turn.
#include "MeshFixtures.h"

#include "mesh/UnLatheBuilder.h"

namespace {

using LatheTest = MeshTest;

// The path of a lathe object only counts its steps: N + 1 points.
TProfileObj stepsPath(int steps) {
    std::vector<Vec3> points(static_cast<size_t>(steps + 1));
    return makePath(points);
}

} // namespace

TEST_F(LatheTest, FourStepsGiveQuadsAtRightAngles) {
    auto path = stepsPath(4);
    auto profile = makeProfile({{1, 0}, {1, 2}});
    const int32_t id = buildLathe("vase", path, profile, 2, false, true, nullptr, 0);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(rec->names(), (std::vector<std::string>{"initObject", "initList", "quads", "quads",
                                                      "quads", "quads", "endList", "endObject"}));
    EXPECT_EQ(rec->calls[1].a, faceListId(1, 1));
    const auto quads = rec->named("quads");
    expectNear(quads[0]->verts[0], {1, 0, 0});
    expectNear(quads[0]->verts[1], {0, 0, -1});
    expectNear(quads[0]->verts[2], {0, 2, -1});
    expectNear(quads[0]->verts[3], {1, 2, 0});
    expectNear(quads[1]->verts[1], {-1, 0, 0});
    expectNear(quads[2]->verts[1], {0, 0, 1});
    expectNear(quads[3]->verts[1], {1, 0, 0});
    EXPECT_FALSE(quads[0]->flag) << "no group start: untextured";
    const auto& end = rec->calls.back();
    EXPECT_EQ(end.a, 1);
    EXPECT_EQ(end.b, 3);
    EXPECT_TRUE(end.flag);
}

TEST_F(LatheTest, TextureUGoesOnceAroundFromRepeatToZero) {
    addTableTexture("wood", 2);
    auto path = stepsPath(4);
    auto profile = makeProfile({{1, 0}, {1, 2}});
    profile.SetGroupStart(0, true);
    profile.SetTexture(0, "wood");
    profile.SetTexParams(0, 2, 1, false, false);
    buildLathe("vase", path, profile, 2, false, false, nullptr, 7);
    EXPECT_EQ(rec->calls[1].a, faceListId(7, 1));
    EXPECT_EQ(rec->calls[2].texture.TexName, "wood");
    const auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 4u);
    for (int j = 0; j < 4; ++j) {
        EXPECT_TRUE(quads[j]->flag);
        EXPECT_FLOAT_EQ(quads[j]->texCoords[0].X, 2 - 0.5f * j);
        EXPECT_FLOAT_EQ(quads[j]->texCoords[1].X, 2 - 0.5f * (j + 1));
        EXPECT_FLOAT_EQ(quads[j]->texCoords[0].Y, 0.0f);
        EXPECT_FLOAT_EQ(quads[j]->texCoords[2].Y, 1.0f);
    }
    EXPECT_EQ(rec->calls.back().b, 3);
}

TEST_F(LatheTest, EachProfileEdgeHasItsOwnList) {
    auto path = stepsPath(3);
    auto profile = makeProfile({{0, 0}, {2, 0}, {2, 3}, {0, 3}});
    profile.SetGroupStart(1, true);
    profile.SetColor(1, ColorF{0, 1, 0, 1});
    buildLathe("cup", path, profile, 2, false, false, nullptr, 2);
    const auto lists = rec->named("initList");
    ASSERT_EQ(lists.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(lists[k]->a, faceListId(2, k + 1));
        size_t quads = 0;
        for (const auto& c : rec->listCalls(faceListId(2, k + 1)))
            quads += c.name == "quads";
        EXPECT_EQ(quads, 3u);
    }
    // Only the group start issues state calls; the edge before it keeps the renderer's state.
    EXPECT_EQ(rec->listCalls(faceListId(2, 1))[0].name, "quads");
    EXPECT_EQ(rec->listCalls(faceListId(2, 2))[0].name, "setTexture");
    EXPECT_EQ(rec->listCalls(faceListId(2, 3))[0].name, "quads");
    EXPECT_EQ(rec->calls.back().b, 5);
}

TEST_F(LatheTest, PathWithoutStepsEmitsOnlyTheObjectBrackets) {
    auto path = stepsPath(0);
    auto profile = makeProfile({{1, 0}, {1, 2}});
    buildLathe("flat", path, profile, 2, false, false, nullptr, 3);
    EXPECT_EQ(rec->names(), (std::vector<std::string>{"initObject", "endObject"}));
    EXPECT_TRUE(rec->allFinite());
}

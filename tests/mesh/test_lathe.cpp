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

TEST_F(LatheTest, FourStepsGiveQuadsAtRightAnglesNoStepsNoQuads) {
    auto path = stepsPath(4);
    auto profile = makeProfile({{1, 0}, {1, 2}});
    const int32_t id = buildLathe("vase", path, profile, 2, false, true, nullptr, 0);
    EXPECT_EQ(id, 1);
    ASSERT_EQ(rec->names(),
              (std::vector<std::string>{"initObject", "initList", "setTexture", "setColor", "quads",
                                        "quads", "quads", "quads", "endList", "endObject"}));
    EXPECT_EQ(rec->calls[1].a, faceListId(1, 1));
    const auto quads = rec->named("quads");
    const Vec3 first[] = {{1, 0, 0}, {0, 0, -1}, {0, 2, -1}, {1, 2, 0}};
    for (int i = 0; i < 4; ++i)
        expectNear(quads[0]->verts[i], first[i]);
    // each step turns a quarter further
    const Vec3 turned[] = {{-1, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    for (int j = 1; j < 4; ++j)
        expectNear(quads[j]->verts[1], turned[j - 1]);
    EXPECT_FALSE(quads[0]->flag) << "no group start: untextured";
    expectEndObject(*rec, 1, 3, true);

    // A path without steps gives only the object brackets.
    rec->calls.clear();
    auto none = stepsPath(0);
    buildLathe("flat", none, profile, 2, false, false, nullptr, 3);
    EXPECT_EQ(rec->names(), (std::vector<std::string>{"initObject", "endObject"}));
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
    EXPECT_EQ(shape(rec->listCalls(faceListId(7, 1))),
              (Names{"setTexture wood", "setColor"} + Names(4, "quads tex")));
    const auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 4u);
    for (int j = 0; j < 4; ++j) {
        EXPECT_FLOAT_EQ(quads[j]->texCoords[0].X, 2 - 0.5f * j);
        EXPECT_FLOAT_EQ(quads[j]->texCoords[1].X, 2 - 0.5f * (j + 1));
        EXPECT_FLOAT_EQ(quads[j]->texCoords[0].Y, 0.0f);
        EXPECT_FLOAT_EQ(quads[j]->texCoords[2].Y, 1.0f);
    }
    expectEndObject(*rec, 7, 3, false);
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
        // Every list states its appearance: the default before the first group start, then the
        // group's.
        const auto calls = rec->listCalls(faceListId(2, k + 1));
        EXPECT_EQ(shape(calls), Names({"setTexture none", "setColor"}) + Names(3, "quads flat"));
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[1].color.G, k == 0 ? DefaultFaceColor.G : 1.0f) << k;
        EXPECT_EQ(calls[1].color.R, k == 0 ? DefaultFaceColor.R : 0.0f) << k;
    }
    expectEndObject(*rec, 2, 5, false);
}

// Extrusion builder: call sequences, list numbering, corner geometry, texture spans and degenerate
// paths.
#include "MeshFixtures.h"

#include "mesh/UnExtrusionBuilder.h"

#include <algorithm>
#include <limits>

namespace {

using ExtrusionTest = MeshTest;

std::vector<RecordedCall> quadsOf(const std::vector<RecordedCall>& calls) {
    std::vector<RecordedCall> out;
    for (const auto& c : calls)
        if (c.name == "quads") out.push_back(c);
    return out;
}

float maxCoord(const std::vector<RecordedCall>& quads, float Vec3::*axis) {
    float best = -std::numeric_limits<float>::infinity();
    for (const auto& q : quads)
        for (const auto& v : q.verts)
            best = std::max(best, v.*axis);
    return best;
}

float minCoord(const std::vector<RecordedCall>& quads, float Vec3::*axis) {
    float best = std::numeric_limits<float>::infinity();
    for (const auto& q : quads)
        for (const auto& v : q.verts)
            best = std::min(best, v.*axis);
    return best;
}

bool hasVertexNear(const std::vector<RecordedCall>& quads, const Vec3& p, float tolerance = 1e-3f) {
    for (const auto& q : quads)
        for (const auto& v : q.verts)
            if (std::fabs(v.X - p.X) <= tolerance && std::fabs(v.Y - p.Y) <= tolerance &&
                std::fabs(v.Z - p.Z) <= tolerance)
                return true;
    return false;
}

int32_t build(TProfileObj& path, TProfileObj& profile, int32_t precision, bool closed,
              bool mitre = true, bool embedded = false, int32_t listId = 1) {
    return buildExtrusion("obj", path, profile, precision, closed, false, mitre, embedded, false,
                          false, nullptr, listId);
}

TProfileObj squarePath() {
    return makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}, {0, 0, 0}});
}

} // namespace

TEST_F(ExtrusionTest, StraightOpenPathMakesOneListWithSidesAndTwoCaps) {
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    auto profile = squareProfile();
    const int32_t id = buildExtrusion("tube", path, profile, 2, false, false, true, false, false,
                                      true, nullptr, 0);
    EXPECT_EQ(id, 1) << "a new object takes the next registry number";
    ASSERT_EQ(rec->count("initList"), 1u);
    EXPECT_EQ(rec->named("initList")[0]->a, faceListId(1, 1));
    EXPECT_EQ(rec->calls.front().name, "initObject");
    EXPECT_EQ(rec->calls.front().text, "tube");

    const auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 8u) << rec->log();
    // First edge (-1,-1) -> (1,-1), first slice from z = 5 back to z = 0.
    expectNear(quads[0]->verts[0], {-1, -1, 5});
    expectNear(quads[0]->verts[1], {-1, -1, 0});
    expectNear(quads[0]->verts[2], {1, -1, 0});
    expectNear(quads[0]->verts[3], {1, -1, 5});
    expectNear(quads[1]->verts[0], {-1, -1, 10});
    EXPECT_FALSE(quads[0]->flag);

    // Two caps of two triangles each: the start cap at z = 0, the end cap at z = 10.
    const auto triangles = rec->named("triangle");
    ASSERT_EQ(triangles.size(), 4u) << rec->log();
    for (int t = 0; t < 4; ++t)
        for (const auto& v : triangles[t]->verts)
            EXPECT_FLOAT_EQ(v.Z, t < 2 ? 0.0f : 10.0f);
    EXPECT_EQ(rec->count("beginPrimitive"), rec->count("endPrimitive"));

    const auto& last = rec->calls.back();
    EXPECT_EQ(last.name, "endObject");
    EXPECT_EQ(last.a, 1);
    EXPECT_EQ(last.b, 3);
    EXPECT_TRUE(last.flag);
    EXPECT_EQ(rec->calls[rec->calls.size() - 2].name, "endList");
}

TEST_F(ExtrusionTest, SideTextureRunsBackwardsAlongThePath) {
    addTableTexture("brick", 3);
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    auto profile = squareProfile();
    profile.SetGroupStart(0, true);
    profile.SetTexture(0, "brick");
    profile.SetColor(0, ColorF{1, 0, 0, 1});
    build(path, profile, 2, false);

    const auto list = rec->listCalls(faceListId(1, 1));
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0].name, "setTexture");
    EXPECT_EQ(list[0].texture.TexName, "brick");
    EXPECT_EQ(list[1].name, "setColor");
    EXPECT_FLOAT_EQ(list[1].color.R, 1.0f);

    const auto quads = quadsOf(list);
    ASSERT_EQ(quads.size(), 8u);
    for (const auto& q : quads)
        EXPECT_TRUE(q.flag);
    // First slice: U 1 at z = 0 down to 0.5 at z = 5; second slice 0.5 down to 0.
    EXPECT_FLOAT_EQ(quads[0].texCoords[0].X, 0.5f);
    EXPECT_FLOAT_EQ(quads[0].texCoords[1].X, 1.0f);
    EXPECT_FLOAT_EQ(quads[1].texCoords[0].X, 0.0f);
    EXPECT_FLOAT_EQ(quads[1].texCoords[1].X, 0.5f);
    // V runs along the profile: the first edge covers a quarter of the perimeter.
    EXPECT_FLOAT_EQ(quads[0].texCoords[0].Y, 0.0f);
    EXPECT_FLOAT_EQ(quads[0].texCoords[3].Y, 0.25f);
}

TEST_F(ExtrusionTest, ShortSegmentsGetOneSliceOrNoSides) {
    auto path = makePath({{0, 0, 0}, {0, 0, 0.8f}});
    auto profile = squareProfile();
    build(path, profile, 4, false);
    auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 4u) << "one slice per edge whatever the precision";
    expectNear(quads[0]->verts[0], {-1, -1, 0.8f});
    expectNear(quads[0]->verts[1], {-1, -1, 0});

    // A segment of 0.05 or less has no side faces and leaves the end ring untouched.
    rec->calls.clear();
    TProfileElementObj S, E;
    E.Point = Vec3{0, 0, 0.05f};
    std::vector<Vec3> prev(5), endRing(5, Vec3{7, 7, 7});
    float heading = 0;
    buildSegment(S, E, profile, soSides, S.Point, E.Point, 0, prev, endRing, heading, 4, 42);
    EXPECT_EQ(rec->count("quads"), 0u);
    for (const auto& p : endRing)
        expectNear(p, {7, 7, 7});

    E.Point = Vec3{0, 0, 0.8f};
    buildSegment(S, E, profile, soSides, S.Point, E.Point, 0, prev, endRing, heading, 4, 42);
    for (int k = 0; k < 5; ++k) {
        const Vec3& p = profile.Items(k).Point;
        expectNear(endRing[k], {p.X, p.Y, 0.8f});
    }
}

TEST_F(ExtrusionTest, RightAngleTurnTrimsBothSegmentsAndFillsTheCorner) {
    auto path = makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}});
    path.SetColor(0, ColorF{1, 0, 0, 1});
    path.SetColor(1, ColorF{0, 1, 0, 1}); // the corner colour
    path.SetColor(2, ColorF{0, 0, 1, 1});
    auto profile = squareProfile();
    build(path, profile, 1, false);

    const auto first = quadsOf(rec->listCalls(faceListId(1, 1)));
    ASSERT_EQ(first.size(), 4u);
    EXPECT_NEAR(maxCoord(first, &Vec3::X), 9.0f, 1e-4f);
    EXPECT_NEAR(minCoord(first, &Vec3::X), 0.0f, 1e-4f);

    const auto second = rec->listCalls(faceListId(1, 2));
    ASSERT_GE(second.size(), 10u) << rec->log();
    EXPECT_EQ(second[0].name, "setTexture");
    EXPECT_EQ(second[0].texture.TexId, -1);
    EXPECT_EQ(second[1].name, "setColor");
    EXPECT_FLOAT_EQ(second[1].color.G, 1.0f);
    EXPECT_FLOAT_EQ(second[1].color.R, 0.0f);
    const std::vector<RecordedCall> bands(second.begin() + 2, second.begin() + 10);
    for (const auto& b : bands)
        EXPECT_EQ(b.name, "quads");
    // The mitre ring: outer corner (11, y, -1), inner corner (9, y, 1).
    EXPECT_TRUE(hasVertexNear(bands, {11, 1, -1}));
    EXPECT_TRUE(hasVertexNear(bands, {9, -1, 1}));
    // Bands reach back to the first segment's end ring at x = 9.
    EXPECT_TRUE(hasVertexNear(bands, {9, 1, -1}));

    const std::vector<RecordedCall> sides(second.begin() + 10, second.end());
    const auto sideQuads = quadsOf(sides);
    ASSERT_EQ(sideQuads.size(), 4u);
    EXPECT_NEAR(minCoord(sideQuads, &Vec3::Z), 1.0f, 1e-4f);
    EXPECT_NEAR(maxCoord(sideQuads, &Vec3::Z), 10.0f, 1e-4f);
}

TEST_F(ExtrusionTest, TrimFractionIsClampedAndGuarded) {
    const Vec3 a{0, 0, 0}, b{10, 0, 0};
    EXPECT_NEAR(trimFraction(a, b, 1, 270), 0.1f, 1e-6f);
    EXPECT_NEAR(trimFraction(a, b, 1, 90), 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(trimFraction(a, b, 30, 270), 0.5f);
    EXPECT_FLOAT_EQ(trimFraction(a, b, 1, 0), 0.0f);
    EXPECT_FLOAT_EQ(trimFraction(a, b, 1, 360), 0.0f);
    EXPECT_FLOAT_EQ(trimFraction(a, a, 1, 90), 0.0f) << "a segment of no length is not cut";
    EXPECT_FLOAT_EQ(trimFraction(a, b, 1, 180), 0.5f);

    // A wide profile cuts the first segment back to its middle and no further.
    auto path = makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}});
    auto profile = makeProfile({{-30, -1}, {30, -1}, {30, 1}, {-30, 1}, {-30, -1}});
    build(path, profile, 1, false);
    EXPECT_NEAR(maxCoord(quadsOf(rec->listCalls(faceListId(1, 1))), &Vec3::X), 5.0f, 1e-4f);
}

TEST_F(ExtrusionTest, ClosedPathNumbersSegmentsThenTheClosingCorner) {
    auto path = squarePath();
    auto profile = squareProfile();
    build(path, profile, 1, true);

    const auto lists = rec->named("initList");
    ASSERT_EQ(lists.size(), 5u);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(lists[k]->a, faceListId(1, k + 1));
    EXPECT_EQ(rec->count("beginPrimitive"), 0u) << "a closed path has no caps";
    EXPECT_EQ(rec->calls.back().b, 6);

    const auto first = rec->listCalls(faceListId(1, 1));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].name, "quads") << "no corner bands in the first segment";
    EXPECT_EQ(quadsOf(first).size(), 4u);
    EXPECT_NEAR(minCoord(quadsOf(first), &Vec3::X), 1.0f, 1e-4f) << "trimmed at its start";
    EXPECT_NEAR(maxCoord(quadsOf(first), &Vec3::X), 9.0f, 1e-4f);

    for (int k = 2; k <= 4; ++k) {
        const auto list = rec->listCalls(faceListId(1, k));
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[0].name, "setTexture");
        EXPECT_EQ(list[1].name, "setColor");
        EXPECT_EQ(quadsOf(list).size(), 12u) << "8 band quads and 4 side quads";
    }

    const auto closing = rec->listCalls(faceListId(1, 5));
    ASSERT_EQ(closing.size(), 10u);
    EXPECT_EQ(quadsOf(closing).size(), 8u);
    EXPECT_TRUE(hasVertexNear(quadsOf(closing), {-1, 1, -1})) << "outer mitre corner at the start";
    EXPECT_TRUE(hasVertexNear(quadsOf(closing), {-1, 1, 1})) << "last segment's end ring";
    EXPECT_TRUE(hasVertexNear(quadsOf(closing), {1, 1, -1})) << "first segment's start ring";
}

TEST_F(ExtrusionTest, EmbeddedCornersRunWedgesIntoTheVertexRings) {
    addTableTexture("brick", 3);
    auto path = squarePath();
    auto profile = squareProfile();
    profile.SetGroupStart(0, true);
    profile.SetTexture(0, "brick");
    build(path, profile, 1, true, true, true);

    const auto lists = rec->named("initList");
    ASSERT_EQ(lists.size(), 4u) << "no closing-corner list with embedded corners";
    EXPECT_EQ(rec->calls.back().b, 6);

    std::vector<std::vector<RecordedCall>> quads;
    for (int k = 1; k <= 4; ++k)
        quads.push_back(quadsOf(rec->listCalls(faceListId(1, k))));
    for (int s = 0; s < 4; ++s) {
        ASSERT_EQ(quads[s].size(), 12u) << "start wedge, slice and end wedge per edge";
        const auto& next = quads[(s + 1) % 4];
        const float uStart = 1 - s * 0.25f, uEnd = 1 - (s + 1) * 0.25f;
        for (int k = 0; k < 4; ++k) {
            const auto& start = quads[s][3 * k];
            const auto& slice = quads[s][3 * k + 1];
            const auto& end = quads[s][3 * k + 2];
            // The end wedge of one segment meets the start wedge of the next on the same ring.
            expectNear(end.verts[0], next[3 * k].verts[1], 1e-3f);
            expectNear(end.verts[3], next[3 * k].verts[2], 1e-3f);
            // U spans the whole segment, each piece in proportion to its length.
            EXPECT_NEAR(start.texCoords[1].X, uStart, 1e-5f);
            EXPECT_NEAR(end.texCoords[0].X, uEnd, 1e-5f);
            const float rate = (uStart - uEnd) / Distance(start.verts[1], end.verts[0]);
            // In every piece U falls from vertex 1 to vertex 0, by its length at one rate.
            for (const RecordedCall* q : {&start, &slice, &end}) {
                const float du = q->texCoords[1].X - q->texCoords[0].X;
                EXPECT_NEAR(du, rate * Distance(q->verts[0], q->verts[1]), 1e-4f);
            }
        }
    }
}

TEST_F(ExtrusionTest, MitreAndRoundVertexRings) {
    float angle = 0, heading = 0;
    Vec3 axis{};
    const Vec3 vertex{3, 0, 4};
    segmentHeading(vertex, Vec3{4, 0, 4}, angle, axis, heading);
    EXPECT_FLOAT_EQ(heading, 90);
    const Matrix4 frame = frameMatrix(vertex, axis, angle);
    const auto profile = makeProfile({{1, 0.5f}});

    const auto mitreRing = vertexRing(profile, vertex, frame, 90, 0, true);
    expectNear(mitreRing.Items(0).Point, {4, 0.5f, 3});
    const auto roundRing = vertexRing(profile, vertex, frame, 90, 0, false);
    expectNear(roundRing.Items(0).Point, {3.7071f, 0.5f, 3.2929f});

    segmentHeading(Vec3{}, Vec3{0, 0, 5}, angle, axis, heading);
    EXPECT_FLOAT_EQ(heading, 0);
    segmentHeading(Vec3{}, Vec3{0, 0, -5}, angle, axis, heading);
    EXPECT_FLOAT_EQ(heading, 180);
    segmentHeading(Vec3{}, Vec3{-5, 0, 0}, angle, axis, heading);
    EXPECT_FLOAT_EQ(heading, 270);
    // Local +Z turns onto the heading, local X stays horizontal.
    const Matrix4 f = frameMatrix(Vec3{1, 2, 3}, Vec3{0, 1, 0}, 90);
    expectNear(TransformPoint(Vec3{0, 0, 1}, f), {2, 2, 3});
    expectNear(TransformPoint(Vec3{1, 0, 0}, f), {1, 2, 2});
}

TEST_F(ExtrusionTest, OpenProfileHasNoClosingEdgeAndNoCaps) {
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    auto profile = makeProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    build(path, profile, 1, false);
    EXPECT_EQ(rec->count("quads"), 3u);
    EXPECT_EQ(rec->count("setTexture"), 0u);
    EXPECT_EQ(rec->count("beginPrimitive"), 0u);
}

TEST_F(ExtrusionTest, EdgesBeforeTheFirstGroupKeepStateAndAreUntextured) {
    addTableTexture("stone", 4);
    addTableTexture("brick", 5);
    auto path = makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}});
    path.SetTexture(1, "stone"); // the corner texture
    auto profile = squareProfile();
    profile.SetGroupStart(2, true);
    profile.SetTexture(2, "brick");
    build(path, profile, 1, false);

    const auto first = rec->listCalls(faceListId(1, 1));
    ASSERT_GE(first.size(), 5u);
    EXPECT_EQ(first[0].name, "quads");
    EXPECT_EQ(first[1].name, "quads");
    EXPECT_FALSE(first[0].flag);
    EXPECT_EQ(first[2].name, "setTexture");
    EXPECT_EQ(first[2].texture.TexName, "brick");

    const auto second = rec->listCalls(faceListId(1, 2));
    ASSERT_GE(second.size(), 16u) << rec->log();
    EXPECT_EQ(second[0].texture.TexName, "stone");
    for (int i = 2; i < 10; ++i)
        EXPECT_TRUE(second[i].flag) << "corner bands are textured";
    // Textured is reset at the start of the sides: the first two edges are untextured.
    EXPECT_EQ(second[10].name, "quads");
    EXPECT_FALSE(second[10].flag);
    EXPECT_EQ(second[11].name, "quads");
    EXPECT_FALSE(second[11].flag);
    EXPECT_EQ(second[12].name, "setTexture");
    EXPECT_EQ(second[12].texture.TexName, "brick");
    EXPECT_EQ(second[13].name, "setColor");
    EXPECT_TRUE(second[14].flag);
}

TEST_F(ExtrusionTest, MissingTextureNamesTheTexture) {
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    auto profile = squareProfile();
    profile.SetGroupStart(0, true);
    profile.SetTexture(0, "nosuch");
    try {
        build(path, profile, 1, false);
        FAIL() << "expected EPfdError";
    } catch (const EPfdError& e) {
        EXPECT_STREQ(e.what(), "1800-UnOpenGL: Texture nosuch not found");
    }
}

TEST_F(ExtrusionTest, DegeneratePathsGiveFiniteGeometryAndKeepTheRest) {
    for (bool mitre : {true, false}) {
        for (bool embedded : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mitre " << mitre << " embedded " << embedded);
            addTableTexture("brick", 3);
            auto profile = squareProfile();
            profile.SetGroupStart(0, true);
            profile.SetTexture(0, "brick");

            // A zero-length segment in the middle: its own list stays empty.
            rec->calls.clear();
            auto zero = makePath({{0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {10, 0, 10}});
            build(zero, profile, 2, false, mitre, embedded);
            EXPECT_TRUE(rec->allFinite()) << rec->log();
            EXPECT_FALSE(quadsOf(rec->listCalls(faceListId(1, 1))).empty());
            EXPECT_TRUE(quadsOf(rec->listCalls(faceListId(1, 2))).empty());
            EXPECT_FALSE(quadsOf(rec->listCalls(faceListId(1, 3))).empty());

            // A path that turns back on itself: both segments keep their sides.
            rec->calls.clear();
            auto back = makePath({{0, 0, 0}, {10, 0, 0}, {0, 0, 0}});
            build(back, profile, 2, false, mitre, embedded);
            EXPECT_TRUE(rec->allFinite()) << rec->log();
            EXPECT_FALSE(quadsOf(rec->listCalls(faceListId(1, 1))).empty());
            EXPECT_FALSE(quadsOf(rec->listCalls(faceListId(1, 2))).empty());
            EXPECT_LE(maxCoord(quadsOf(rec->listCalls(faceListId(1, 2))), &Vec3::X), 11.5f);

            // Closed, every turn is a reversal: the segments are cut away, coordinates stay finite.
            rec->calls.clear();
            auto hairpin = makePath({{0, 0, 0}, {10, 0, 0}, {0, 0, 0}});
            build(hairpin, profile, 2, true, mitre, embedded);
            EXPECT_TRUE(rec->allFinite()) << rec->log();
            textureTable.clear();
        }
    }
}

TEST_F(ExtrusionTest, DegenerateProfilesAndPathsGiveFiniteGeometry) {
    addTableTexture("top", 1);
    // All profile points on one line, closed, with textured caps.
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    path.SetTexture(0, "top");
    path.SetTexture(1, "top");
    auto flat = makeProfile({{0, 0}, {1, 0}, {2, 0}, {0, 0}});
    build(path, flat, 2, false);
    EXPECT_TRUE(rec->allFinite()) << rec->log();
    EXPECT_EQ(rec->count("beginPrimitive"), 0u) << "a cap of no area is left out";
    EXPECT_EQ(rec->count("quads"), 6u);

    // One path vertex: no segment, only the object brackets.
    for (bool closed : {false, true}) {
        rec->calls.clear();
        auto single = makePath({{5, 0, 5}});
        auto profile = squareProfile();
        build(single, profile, 2, closed);
        ASSERT_EQ(rec->names(), (std::vector<std::string>{"initObject", "endObject"}));
        EXPECT_EQ(rec->calls[1].b, 2);
    }

    // No profile at all: empty segment lists.
    rec->calls.clear();
    auto empty = TProfileObj{};
    auto path2 = makePath({{0, 0, 0}, {0, 0, 10}});
    build(path2, empty, 2, false);
    EXPECT_EQ(rec->count("quads"), 0u);
    EXPECT_EQ(rec->count("initList"), 1u);
}

TEST_F(ExtrusionTest, LatheObjectsAreLeftToTheLatheBuilder) {
    auto path = makePath({{0, 0, 0}, {0, 0, 10}});
    auto profile = squareProfile();
    EXPECT_EQ(
        buildExtrusion("l", path, profile, 2, false, true, true, false, false, false, nullptr, 0),
        0);
    EXPECT_TRUE(rec->calls.empty());
}

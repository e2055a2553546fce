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

// The quads of face list k of object 1.
std::vector<RecordedCall> listQuads(const RecordingRenderer& rec, int32_t k) {
    return quadsOf(rec.listCalls(faceListId(1, k)));
}

// Smallest and largest coordinate on one axis over all quad vertices.
std::pair<float, float> extent(const std::vector<RecordedCall>& quads, float Vec3::*axis) {
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    for (const auto& q : quads)
        for (const auto& v : q.verts) {
            lo = std::min(lo, v.*axis);
            hi = std::max(hi, v.*axis);
        }
    return {lo, hi};
}

void expectExtent(const std::vector<RecordedCall>& quads, float Vec3::*axis, float lo, float hi) {
    const auto [min, max] = extent(quads, axis);
    EXPECT_NEAR(min, lo, 1e-4f);
    EXPECT_NEAR(max, hi, 1e-4f);
}

bool hasVertexNear(const std::vector<RecordedCall>& quads, const Vec3& p) {
    for (const auto& q : quads)
        for (const auto& v : q.verts)
            if (std::fabs(v.X - p.X) <= 1e-3f && std::fabs(v.Y - p.Y) <= 1e-3f &&
                std::fabs(v.Z - p.Z) <= 1e-3f)
                return true;
    return false;
}

void build(TProfileObj path, TProfileObj profile, int32_t precision, bool closed, bool mitre = true,
           bool embedded = false) {
    buildExtrusion("obj", path, profile, precision, closed, false, mitre, embedded, false, false,
                   nullptr, 1);
}

const std::vector<Vec3> Straight{{0, 0, 0}, {0, 0, 10}};
const std::vector<Vec3> Corner{{0, 0, 0}, {10, 0, 0}, {10, 0, 10}};
const std::vector<Vec3> Square{{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}, {0, 0, 0}};

// The square profile as one group with the given texture.
TProfileObj texturedSquare(const std::string& texture) {
    TProfileObj profile = squareProfile();
    profile.SetGroupStart(0, true);
    profile.SetTexture(0, texture);
    return profile;
}

} // namespace

TEST_F(ExtrusionTest, StraightOpenPathMakesOneListWithSidesAndTwoCapsLathesAreLeftOut) {
    auto path = makePath(Straight);
    auto profile = squareProfile();
    const int32_t id = buildExtrusion("tube", path, profile, 2, false, false, true, false, false,
                                      true, nullptr, 0);
    EXPECT_EQ(id, 1) << "a new object takes the next registry number";
    EXPECT_EQ(shape(rec->calls, 2), (Names{"initObject", "initList"}));
    EXPECT_EQ(rec->calls[0].text, "tube");
    EXPECT_EQ(rec->calls[1].a, faceListId(1, 1));
    EXPECT_EQ(rec->count("initList"), 1u);

    const auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 8u) << rec->log();
    // First edge (-1,-1) -> (1,-1), first slice from z = 5 back to z = 0.
    const Vec3 first[] = {{-1, -1, 5}, {-1, -1, 0}, {1, -1, 0}, {1, -1, 5}};
    for (int i = 0; i < 4; ++i)
        expectNear(quads[0]->verts[i], first[i]);
    expectNear(quads[1]->verts[0], {-1, -1, 10});
    EXPECT_FALSE(quads[0]->flag);

    // Two caps of two triangles each: the start cap at z = 0, the end cap at z = 10.
    const auto triangles = rec->named("triangle");
    ASSERT_EQ(triangles.size(), 4u) << rec->log();
    for (int t = 0; t < 4; ++t)
        for (const auto& v : triangles[t]->verts)
            EXPECT_FLOAT_EQ(v.Z, t < 2 ? 0.0f : 10.0f);
    EXPECT_EQ(rec->count("beginPrimitive"), rec->count("endPrimitive"));
    EXPECT_EQ(rec->calls[rec->calls.size() - 2].name, "endList");
    expectEndObject(*rec, 1, 3, true);

    // A lathe object is left to the lathe builder.
    rec->calls.clear();
    EXPECT_EQ(
        buildExtrusion("l", path, profile, 2, false, true, true, false, false, false, nullptr, 0),
        0);
    EXPECT_TRUE(rec->calls.empty());
}

TEST_F(ExtrusionTest, SideTextureRunsBackwardsAlongThePath) {
    addTableTexture("brick", 3);
    auto profile = texturedSquare("brick");
    profile.SetColor(0, ColorF{1, 0, 0, 1});
    build(makePath(Straight), profile, 2, false);

    const auto list = rec->listCalls(faceListId(1, 1));
    EXPECT_EQ(shape(list, 10), (Names{"setTexture brick", "setColor"} + Names(8, "quads tex")));
    ASSERT_GE(list.size(), 10u);
    EXPECT_FLOAT_EQ(list[1].color.R, 1.0f);
    const auto quads = quadsOf(list);
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
    auto profile = squareProfile();
    build(makePath({{0, 0, 0}, {0, 0, 0.8f}}), profile, 4, false);
    auto quads = rec->named("quads");
    ASSERT_EQ(quads.size(), 4u) << "one slice per edge whatever the precision";
    expectNear(quads[0]->verts[0], {-1, -1, 0.8f});
    expectNear(quads[0]->verts[1], {-1, -1, 0});

    // A segment of 0.05 or less after a corner has no side faces and hands on the previous end;
    // as the first segment it hands on its own end section.
    rec->calls.clear();
    TProfileElementObj S, E;
    E.Point = Vec3{0, 0, 0.05f};
    TSegmentJoints joints;
    joints.Before.Section.assign(5, Vec3{7, 7, 7});
    float heading = 0;
    buildSegment(S, E, profile, soSides | soCorner, S.Point, E.Point, 0, joints, heading, 4, 42);
    EXPECT_EQ(rec->count("quads"), 0u);
    ASSERT_EQ(joints.End.Section.size(), 5u);
    for (const auto& p : joints.End.Section)
        expectNear(p, {7, 7, 7});
    for (float z : {0.05f, 0.8f}) {
        E.Point = Vec3{0, 0, z};
        buildSegment(S, E, profile, soSides, S.Point, E.Point, 0, joints, heading, 4, 42);
        ASSERT_EQ(joints.End.Section.size(), 5u);
        for (int k = 0; k < 5; ++k) {
            const Vec3& p = profile.Items(k).Point;
            expectNear(joints.End.Section[size_t(k)], {p.X, p.Y, z});
        }
    }
    EXPECT_EQ(rec->count("quads"), 4u);
}

TEST_F(ExtrusionTest, RightAngleTurnTrimsBothSegmentsAndFillsTheCorner) {
    auto path = makePath(Corner);
    path.SetColor(0, ColorF{1, 0, 0, 1});
    path.SetColor(1, ColorF{0, 1, 0, 1}); // the corner colour
    path.SetColor(2, ColorF{0, 0, 1, 1});
    build(path, squareProfile(), 1, false);

    const auto first = listQuads(*rec, 1);
    ASSERT_EQ(first.size(), 4u);
    expectExtent(first, &Vec3::X, 0, 9);

    const auto second = rec->listCalls(faceListId(1, 2));
    ASSERT_EQ(shape(second, 10), (Names{"setTexture none", "setColor"} + Names(8, "quads flat")))
        << rec->log();
    EXPECT_FLOAT_EQ(second[1].color.G, 1.0f);
    EXPECT_FLOAT_EQ(second[1].color.R, 0.0f);
    const std::vector<RecordedCall> bands(second.begin() + 2, second.begin() + 10);
    // The mitre ring: outer corner (11, y, -1), inner corner (9, y, 1).
    EXPECT_TRUE(hasVertexNear(bands, {11, 1, -1}));
    EXPECT_TRUE(hasVertexNear(bands, {9, -1, 1}));
    // Bands reach back to the first segment's end ring at x = 9.
    EXPECT_TRUE(hasVertexNear(bands, {9, 1, -1}));

    const auto sides = quadsOf({second.begin() + 10, second.end()});
    ASSERT_EQ(sides.size(), 4u);
    expectExtent(sides, &Vec3::Z, 1, 10);
}

TEST_F(ExtrusionTest, TrimFractionIsClampedAndGuarded) {
    const Vec3 a{0, 0, 0}, b{10, 0, 0};
    // half width, turn, fraction
    const float cases[][3] = {{1, 270, 0.1f}, {1, 90, 0.1f}, {30, 270, 0.5f},
                              {1, 0, 0},      {1, 360, 0},   {1, 180, 0.5f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(trimFraction(a, b, c[0], c[1]), c[2]) << c[0] << " " << c[1];
    EXPECT_FLOAT_EQ(trimFraction(a, a, 1, 90), 0.0f) << "a segment of no length is not cut";

    // A wide profile cuts the first segment back to its middle and no further.
    build(makePath(Corner), makeProfile({{-30, -1}, {30, -1}, {30, 1}, {-30, 1}, {-30, -1}}), 1,
          false);
    EXPECT_NEAR(extent(listQuads(*rec, 1), &Vec3::X).second, 5.0f, 1e-4f);
}

TEST_F(ExtrusionTest, ClosedPathNumbersSegmentsThenTheClosingCorner) {
    build(makePath(Square), squareProfile(), 1, true);

    const auto lists = rec->named("initList");
    ASSERT_EQ(lists.size(), 5u);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(lists[k]->a, faceListId(1, k + 1));
    EXPECT_EQ(rec->count("beginPrimitive"), 0u) << "a closed path has no caps";
    expectEndObject(*rec, 1, 6, false);

    // No corner bands in the first segment, trimmed at both ends.
    const Names state{"setTexture none", "setColor"};
    EXPECT_EQ(shape(rec->listCalls(faceListId(1, 1))), state + Names(4, "quads flat"));
    expectExtent(listQuads(*rec, 1), &Vec3::X, 1, 9);
    for (int k = 2; k <= 4; ++k) // 8 band quads, then the sides in their own appearance
        EXPECT_EQ(shape(rec->listCalls(faceListId(1, k))),
                  state + Names(8, "quads flat") + state + Names(4, "quads flat"))
            << k;

    EXPECT_EQ(shape(rec->listCalls(faceListId(1, 5))), state + Names(8, "quads flat"));
    const auto closing = listQuads(*rec, 5);
    EXPECT_TRUE(hasVertexNear(closing, {-1, 1, -1})) << "outer mitre corner at the start";
    EXPECT_TRUE(hasVertexNear(closing, {-1, 1, 1})) << "last segment's end ring";
    EXPECT_TRUE(hasVertexNear(closing, {1, 1, -1})) << "first segment's start ring";
}

TEST_F(ExtrusionTest, EmbeddedCornersRunWedgesIntoTheVertexRings) {
    addTableTexture("brick", 3);
    build(makePath(Square), texturedSquare("brick"), 1, true, true, true);

    ASSERT_EQ(rec->count("initList"), 4u) << "no closing-corner list with embedded corners";
    expectEndObject(*rec, 1, 6, false);

    std::vector<std::vector<RecordedCall>> quads;
    for (int k = 1; k <= 4; ++k)
        quads.push_back(listQuads(*rec, k));
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
    const std::pair<Vec3, float> headings[] = {
        {{0, 0, 5}, 0}, {{0, 0, -5}, 180}, {{-5, 0, 0}, 270}, {{1, 0, 0}, 90}};
    for (const auto& [to, want] : headings) {
        segmentHeading(Vec3{}, to, angle, axis, heading);
        EXPECT_FLOAT_EQ(heading, want);
    }
    // Local +Z turns onto the heading, local X stays horizontal.
    const Matrix4 f = frameMatrix(Vec3{1, 2, 3}, Vec3{0, 1, 0}, 90);
    expectNear(TransformPoint(Vec3{0, 0, 1}, f), {2, 2, 3});
    expectNear(TransformPoint(Vec3{1, 0, 0}, f), {1, 2, 2});

    const Vec3 vertex{3, 0, 4};
    segmentHeading(vertex, Vec3{4, 0, 4}, angle, axis, heading);
    const Matrix4 frame = frameMatrix(vertex, axis, angle);
    const auto profile = makeProfile({{1, 0.5f}});
    int side = 0;
    expectNear(vertexRing(profile, vertex, frame, 90, 0, true, &side)[0], {4, 0.5f, 3});
    EXPECT_EQ(side, 1) << "coming along +Z and going on along +X, +x is inside the turn";
    expectNear(vertexRing(profile, vertex, frame, 90, 180, true, &side)[0], {2, 0.5f, 3});
    EXPECT_EQ(side, -1) << "coming along -Z, the turn's inside is -x";
    expectNear(vertexRing(profile, vertex, frame, 90, 0, false, &side)[0],
               {3.7071f, 0.5f, 3.2929f});
    EXPECT_EQ(side, 0) << "a round corner has no mitre plane";
}

TEST_F(ExtrusionTest, EdgesBeforeTheFirstGroupTakeTheDefaultAppearanceInEverySegment) {
    addTableTexture("stone", 4);
    addTableTexture("brick", 5);
    auto path = makePath(Corner);
    path.SetTexture(1, "stone"); // the corner texture
    path.SetColor(1, ColorF{0, 0, 1, 1});
    auto profile = squareProfile();
    profile.SetGroupStart(2, true);
    profile.SetTexture(2, "brick");
    build(path, profile, 1, false);

    const Names sides = Names{"setTexture none",  "setColor", "quads flat", "quads flat",
                              "setTexture brick", "setColor", "quads tex"};
    EXPECT_EQ(shape(rec->listCalls(faceListId(1, 1)), 7), sides);
    // The textured blue corner bands do not reach the sides after them.
    EXPECT_EQ(shape(rec->listCalls(faceListId(1, 2)), 17),
              (Names{"setTexture stone", "setColor"} + Names(8, "quads tex") + sides))
        << rec->log();
    for (int k : {1, 2}) {
        const auto calls = rec->listCalls(faceListId(1, k));
        const auto firstSide = std::find_if(calls.begin(), calls.end(), [](const auto& c) {
            return c.name == "setTexture" && c.texture.TexId == -1;
        });
        ASSERT_NE(firstSide, calls.end());
        const ColorF& c = std::next(firstSide)->color;
        EXPECT_EQ(std::tie(c.R, c.G, c.B, c.A), std::tie(DefaultFaceColor.R, DefaultFaceColor.G,
                                                         DefaultFaceColor.B, DefaultFaceColor.A))
            << k;
    }
}

TEST_F(ExtrusionTest, MissingTextureNamesTheTexture) {
    EXPECT_EQ(thrownMessage<EPfdError>(
                  [] { build(makePath(Straight), texturedSquare("nosuch"), 1, false); }),
              "1800-UnOpenGL: Texture nosuch not found");
}

TEST_F(ExtrusionTest, DegeneratePathsGiveFiniteGeometryAndKeepTheRest) {
    addTableTexture("brick", 3);
    struct Case {
        const char* what;
        std::vector<Vec3> path;
        bool closed;
        std::vector<bool> sides; // whether face list k + 1 has side quads
        float minX = -1.5f;      // no face reaches further back
    };
    // clang-format off
    const Case cases[] = {
        {"zero-length middle segment: its own list stays empty",
         {{0, 0, 0}, {10, 0, 0}, {10, 0, 0}, {10, 0, 10}}, false, {true, false, true}},
        {"turning back: both segments keep their sides",
         {{0, 0, 0}, {10, 0, 0}, {0, 0, 0}}, false, {true, true}},
        {"closed, every turn a reversal: the segments are cut away",
         {{0, 0, 0}, {10, 0, 0}, {0, 0, 0}}, true, {}},
        {"first segment too short for sides: the next corner does not reach back to the origin",
         {{5, 0, 0}, {5.04f, 0, 0}, {5.04f, 0, 10}}, false, {}, 3.5f},
    };
    // clang-format on
    for (bool mitre : {true, false})
        for (bool embedded : {false, true})
            for (const auto& c : cases) {
                SCOPED_TRACE(testing::Message()
                             << c.what << ", mitre " << mitre << " embedded " << embedded);
                rec->calls.clear();
                build(makePath(c.path), texturedSquare("brick"), 2, c.closed, mitre, embedded);
                EXPECT_TRUE(rec->allFinite()) << rec->log();
                for (size_t k = 0; k < c.sides.size(); ++k)
                    EXPECT_EQ(listQuads(*rec, int32_t(k) + 1).empty(), !c.sides[k]) << k;
                EXPECT_LE(extent(quadsOf(rec->calls), &Vec3::X).second, 11.5f);
                EXPECT_GE(extent(quadsOf(rec->calls), &Vec3::X).first, c.minX);
            }
}

TEST_F(ExtrusionTest, DegenerateProfilesAndPathsGiveFiniteGeometry) {
    addTableTexture("top", 1);
    // All profile points on one line, closed, with textured caps.
    auto path = makePath(Straight);
    path.SetTexture(0, "top");
    path.SetTexture(1, "top");
    build(path, makeProfile({{0, 0}, {1, 0}, {2, 0}, {0, 0}}), 2, false);
    EXPECT_TRUE(rec->allFinite()) << rec->log();
    EXPECT_EQ(rec->count("beginPrimitive"), 0u) << "a cap of no area is left out";
    EXPECT_EQ(rec->count("quads"), 6u);

    // An open profile has no closing edge and no caps.
    rec->calls.clear();
    build(makePath(Straight), makeProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}), 1, false);
    EXPECT_EQ(shape(rec->calls), (Names{"initObject", "initList", "setTexture none", "setColor"} +
                                  Names(3, "quads flat") + Names{"endList", "endObject"}));

    // One path vertex: no segment, only the object brackets.
    for (bool closed : {false, true}) {
        rec->calls.clear();
        build(makePath({{5, 0, 5}}), squareProfile(), 2, closed);
        ASSERT_EQ(rec->names(), (Names{"initObject", "endObject"}));
        expectEndObject(*rec, 1, 2, false);
    }

    // No profile at all: an empty segment list.
    rec->calls.clear();
    build(makePath(Straight), TProfileObj{}, 2, false);
    EXPECT_EQ(rec->names(), (Names{"initObject", "initList", "endList", "endObject"}));
}

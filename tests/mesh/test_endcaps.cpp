// End caps: which outlines get a cap, how concave and self-crossing outlines are filled, normals
// and texture.
#include "MeshFixtures.h"

#include "render/UnTRenderer.h"

#include <cmath>

namespace {

using EndCapsTest = MeshTest;

const Vec3 Origin{0, 0, 0};
const Vec3 Ahead{0, 0, 10};

// An end cap in the plane z = 10 with local x, y equal to world x, y; the cap normal is +Z.
void endCap(TProfileObj& profile, const std::string& texture = "") {
    buildCap(profile, Origin, Ahead, ColorF{1, 1, 1, 1}, texture, TranslationMatrix(Ahead), false);
}

std::vector<TTriVerts> triangleCalls(const RecordingRenderer& rec) {
    std::vector<TTriVerts> out;
    for (const auto* c : rec.named("triangle"))
        out.push_back({c->verts[0], c->verts[1], c->verts[2]});
    return out;
}

std::vector<std::pair<double, double>> outlineOf(const TProfileObj& profile) {
    std::vector<std::pair<double, double>> poly;
    for (int k = 0; k + 1 < profile.Count(); ++k)
        poly.emplace_back(profile.Items(k).Point.X, profile.Items(k).Point.Y);
    return poly;
}

// Every sample point is covered by exactly one triangle where the outline winds an odd number of
// times around it, and by none elsewhere. Samples sit off the grid of whole and half units.
void expectOddWindingFill(const std::vector<TTriVerts>& triangles,
                          const std::vector<std::pair<double, double>>& outline, double lo,
                          double hi) {
    for (double y = lo + 0.037; y < hi; y += 0.173) {
        for (double x = lo + 0.029; x < hi; x += 0.161) {
            int covered = 0;
            for (const auto& t : triangles)
                covered += insideTriangleXY(t, x, y);
            const int expected = (windingNumber(outline, x, y) % 2 != 0) ? 1 : 0;
            ASSERT_EQ(covered, expected) << "at (" << x << ", " << y << ")";
        }
    }
}

} // namespace

TEST_F(EndCapsTest, ClosedSquareGivesTwoTrianglesOpenSquareNothing) {
    auto closed = squareProfile();
    endCap(closed);
    EXPECT_EQ(rec->count("triangle"), 2u) << rec->log();
    EXPECT_EQ(rec->calls[0].name, "setTexture");
    EXPECT_EQ(rec->calls[0].texture.TexId, -1);
    EXPECT_EQ(rec->calls[1].name, "setColor");
    EXPECT_EQ(rec->count("texturedVertex"), 0u);
    double area = 0;
    for (const auto& t : triangleCalls(*rec))
        area += areaXY(t);
    EXPECT_NEAR(area, 4.0, 1e-5);

    rec->calls.clear();
    auto open = makeProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    endCap(open);
    EXPECT_TRUE(rec->calls.empty());

    auto two = makeProfile({{0, 0}, {0, 0}});
    endCap(two);
    EXPECT_TRUE(rec->calls.empty());
}

TEST_F(EndCapsTest, ConcaveOutlineIsFilledExactly) {
    auto L = makeProfile({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}, {0, 0}});
    endCap(L);
    const auto triangles = triangleCalls(*rec);
    ASSERT_FALSE(triangles.empty());
    double area = 0;
    for (const auto& t : triangles) {
        area += areaXY(t);
        for (const auto& v : t)
            EXPECT_FLOAT_EQ(v.Z, 10.0f);
        const double cx = (double(t[0].X) + t[1].X + t[2].X) / 3;
        const double cy = (double(t[0].Y) + t[1].Y + t[2].Y) / 3;
        EXPECT_NE(windingNumber(outlineOf(L), cx, cy), 0) << "triangle outside the outline";
    }
    EXPECT_NEAR(area, 7.0, 1e-5);
    expectOddWindingFill(triangles, outlineOf(L), -0.5, 4.5);
    // The renderer's triangles and the tessellator's own primitives describe the same cap.
    EXPECT_EQ(rec->primitiveTriangles().size(), triangles.size());
}

TEST_F(EndCapsTest, SelfCrossingOutlinesFollowTheOddRule) {
    // A bow tie: the two lobes are filled.
    auto bowTie = makeProfile({{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}});
    endCap(bowTie);
    auto triangles = triangleCalls(*rec);
    double area = 0;
    for (const auto& t : triangles)
        area += areaXY(t);
    EXPECT_NEAR(area, 2.0, 1e-4);
    expectOddWindingFill(triangles, outlineOf(bowTie), -0.5, 2.5);

    // A five-pointed star drawn in one stroke: the middle is covered twice and stays open.
    rec->calls.clear();
    std::vector<std::pair<float, float>> star;
    for (int i = 0; i <= 5; ++i) {
        const double a = 3.141592653589793 / 2 + (i * 2 % 5) * 2 * 3.141592653589793 / 5;
        star.emplace_back(static_cast<float>(5 * std::cos(a)), static_cast<float>(5 * std::sin(a)));
    }
    star.back() = star.front();
    auto pentagram = makeProfile(star);
    endCap(pentagram);
    triangles = triangleCalls(*rec);
    ASSERT_FALSE(triangles.empty());
    for (const auto& t : triangles)
        EXPECT_FALSE(insideTriangleXY(t, 0.01, 0.02));
    expectOddWindingFill(triangles, outlineOf(pentagram), -5.5, 5.5);
    EXPECT_TRUE(rec->allFinite());
}

TEST_F(EndCapsTest, NormalsFaceAwayFromTheSolidAndStartCapMirrorsU) {
    addTableTexture("lid", 9);
    for (bool start : {true, false}) {
        SCOPED_TRACE(start ? "start cap" : "end cap");
        rec->calls.clear();
        auto profile = squareProfile();
        buildCap(profile, Origin, Ahead, ColorF{0, 0, 1, 1}, "lid",
                 TranslationMatrix(start ? Origin : Ahead), start);
        ASSERT_EQ(rec->calls[0].texture.TexName, "lid");
        const auto vertices = rec->named("texturedVertex");
        ASSERT_GE(vertices.size(), 4u);
        EXPECT_EQ(rec->count("vertex"), 0u);
        for (const auto* v : vertices) {
            expectNear(v->normal, {0, 0, start ? -1.0f : 1.0f});
            const float u = v->texCoords[0].X, t = v->texCoords[0].Y;
            const float expectedU = (v->verts[0].X < 0) == start ? 1.0f : 0.0f;
            EXPECT_FLOAT_EQ(u, expectedU);
            EXPECT_FLOAT_EQ(t, v->verts[0].Y < 0 ? 0.0f : 1.0f);
        }
        EXPECT_EQ(rec->count("triangle"), 2u);
        for (const auto* t : rec->named("triangle"))
            EXPECT_TRUE(t->flag);
    }
}

TEST_F(EndCapsTest, CapsOfNoAreaAreLeftOut) {
    addTableTexture("lid", 9);
    auto line = makeProfile({{0, 0}, {1, 1}, {3, 3}, {0, 0}});
    endCap(line, "lid");
    auto vertical = makeProfile({{2, 0}, {2, 1}, {2, 5}, {2, 0}});
    endCap(vertical, "lid");
    auto repeated = makeProfile({{1, 1}, {1, 1}, {4, 1}, {4, 1}, {1, 1}});
    endCap(repeated);
    EXPECT_TRUE(rec->calls.empty()) << rec->log();
}

TEST_F(EndCapsTest, MissingCapTextureStopsBeforeTheTessellator) {
    auto profile = squareProfile();
    EXPECT_THROW(endCap(profile, "gone"), EPfdError);
    EXPECT_EQ(rec->count("beginPrimitive"), 0u);
}

namespace {
// Fails the first time a cap primitive begins, as an exporter does when its file cannot be written.
class FailingRenderer : public RecordingRenderer {
  public:
    bool failed = false;
    void beginPrimitive(int32_t mode) override {
        if (!failed) {
            failed = true;
            rendererError(10, "Error in test:beginPrimitive ");
        }
        RecordingRenderer::beginPrimitive(mode);
    }
};
} // namespace

TEST_F(EndCapsTest, RendererFailureInsideTheTessellatorReachesTheCaller) {
    auto owned = std::make_unique<FailingRenderer>();
    FailingRenderer& failing = *owned;
    setCurrentRenderer(std::move(owned));
    auto profile = squareProfile();
    try {
        endCap(profile);
        FAIL() << "expected EDXFError";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "10: Renderer: Error in test:beginPrimitive ");
    }
    EXPECT_EQ(failing.count("beginPrimitive"), 0u) << "no callback after the failure";
    // The next cap starts with a fresh tessellator and works.
    auto again = squareProfile();
    endCap(again);
    EXPECT_EQ(failing.count("triangle"), 2u) << failing.log();
}

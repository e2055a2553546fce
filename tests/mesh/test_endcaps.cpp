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

double areaOf(const std::vector<TTriVerts>& triangles) {
    double area = 0;
    for (const auto& t : triangles)
        area += areaXY(t);
    return area;
}

// Every sample point is covered by exactly one triangle where the outline winds an odd number of
// times around it, and by none elsewhere. Samples sit off the grid of whole and half units.
void expectOddWindingFill(const std::vector<TTriVerts>& triangles,
                          const std::vector<std::pair<float, float>>& closedOutline, double lo,
                          double hi) {
    const std::vector<std::pair<double, double>> outline(closedOutline.begin(),
                                                         closedOutline.end() - 1);
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

TEST_F(EndCapsTest, OpenOutlinesAndCapsOfNoAreaAreLeftOut) {
    addTableTexture("lid", 9);
    const std::vector<std::pair<float, float>> outlines[] = {
        {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}},     // open square
        {{0, 0}, {0, 0}},                         // two points
        {{0, 0}, {1, 1}, {3, 3}, {0, 0}},         // on one line
        {{2, 0}, {2, 1}, {2, 5}, {2, 0}},         // on one vertical line
        {{1, 1}, {1, 1}, {4, 1}, {4, 1}, {1, 1}}, // repeated points
    };
    for (const auto& outline : outlines)
        for (const char* texture : {"", "lid"}) {
            auto profile = makeProfile(outline);
            endCap(profile, texture);
            EXPECT_TRUE(rec->calls.empty()) << rec->log();
            rec->calls.clear();
        }
}

TEST_F(EndCapsTest, ConvexConcaveAndSelfCrossingOutlinesFollowTheOddRule) {
    std::vector<std::pair<float, float>> star; // five points drawn in one stroke
    for (int i = 0; i <= 5; ++i) {
        const double a = M_PI / 2 + (i * 2 % 5) * 2 * M_PI / 5;
        star.emplace_back(static_cast<float>(5 * std::cos(a)), static_cast<float>(5 * std::sin(a)));
    }
    star.back() = star.front();
    const struct {
        const char* what;
        std::vector<std::pair<float, float>> outline;
        double lo, hi, area; // sampled square; area 0: not checked
    } cases[] = {
        {"square", {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}}, -1.5, 1.5, 4},
        {"L shape", {{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}, {0, 0}}, -0.5, 4.5, 7},
        {"bow tie: both lobes", {{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}}, -0.5, 2.5, 2},
        {"star: the middle is covered twice and stays open", star, -5.5, 5.5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rec->calls.clear();
        auto profile = makeProfile(c.outline);
        endCap(profile);
        EXPECT_EQ(shape(rec->calls, 2), (Names{"setTexture none", "setColor"}));
        EXPECT_EQ(rec->count("texturedVertex"), 0u);
        const auto triangles = triangleCalls(*rec);
        ASSERT_FALSE(triangles.empty());
        for (const auto& t : triangles)
            for (const auto& v : t)
                EXPECT_FLOAT_EQ(v.Z, 10.0f);
        expectOddWindingFill(triangles, c.outline, c.lo, c.hi);
        if (c.area > 0) {
            EXPECT_NEAR(areaOf(triangles), c.area, 1e-4);
        }
        EXPECT_TRUE(rec->allFinite());
    }
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

TEST_F(EndCapsTest, MissingTextureStopsBeforeTheTessellatorRendererFailureReachesTheCaller) {
    auto profile = squareProfile();
    EXPECT_THROW(endCap(profile, "gone"), EPfdError);
    EXPECT_EQ(rec->count("beginPrimitive"), 0u);

    auto owned = std::make_unique<FailingRenderer>();
    FailingRenderer& failing = *owned;
    setCurrentRenderer(std::move(owned));
    EXPECT_EQ(thrownMessage<EDXFError>([&] { endCap(profile); }),
              "10: Renderer: Error in test:beginPrimitive ");
    EXPECT_EQ(failing.count("beginPrimitive"), 0u) << "no callback after the failure";
    // The next cap starts with a fresh tessellator and works.
    auto again = squareProfile();
    endCap(again);
    EXPECT_EQ(failing.count("triangle"), 2u) << failing.log();
}

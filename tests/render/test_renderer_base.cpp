// Tests of the renderer base: buffering into triangles, winding, current renderer.
#include "RecordingRenderer.h"
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <vector>

namespace {

using Tris = std::vector<std::array<int, 3>>;

// The triangle calls as indices into points (-1 for a vertex not among them).
Tris triangleIndices(const RecordingRenderer& r, const std::vector<Vec3>& points) {
    Tris out;
    for (const RecordedCall* c : r.named("triangle")) {
        std::array<int, 3> t{};
        for (int k = 0; k < 3; ++k) {
            t[k] = -1;
            for (size_t i = 0; i < points.size(); ++i)
                if (c->verts[k].X == points[i].X && c->verts[k].Y == points[i].Y &&
                    c->verts[k].Z == points[i].Z)
                    t[k] = int(i);
        }
        out.push_back(t);
    }
    return out;
}

const Vec3 Down{0, 0, -1};
const Vec3 Up{0, 0, 1};
// A strip zig-zagging along X; each of its triangles, taken in strip order, faces -Z.
const std::vector<Vec3> Strip = {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}, {10, 10, 0}, {20, 0, 0}};
// A fan around the origin, counter-clockwise seen from +Z; (V0, Vk+1, Vk) faces -Z.
const std::vector<Vec3> Fan = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {-10, 0, 0}};
// One triangle facing +Z, a degenerate one, and two triangles of a run.
const std::vector<Vec3> Tri = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
const std::vector<Vec3> Flat = {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}};
const std::vector<Vec3> TwoTris = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0},
                                   {5, 5, 0}, {15, 5, 0}, {5, 15, 0}};

std::vector<Vec3> first(const std::vector<Vec3>& v, size_t n) {
    return {v.begin(), v.begin() + long(n)};
}

} // namespace

TEST(RendererBase, PrimitivesBecomeTrianglesWoundByTheirNormal) {
    struct Case {
        const char* what;
        int32_t mode;
        std::vector<Vec3> points;
        Vec3 normal;
        Tris expected;
    };
    const Case cases[] = {
        {"strip of 3", PrimTriangleStrip, first(Strip, 3), Down, {{0, 1, 2}}},
        {"strip of 4", PrimTriangleStrip, first(Strip, 4), Down, {{0, 1, 2}, {1, 3, 2}}},
        {"strip of 5", PrimTriangleStrip, Strip, Down, {{0, 1, 2}, {1, 3, 2}, {2, 3, 4}}},
        {"fan of 5", PrimTriangleFan, Fan, Down, {{0, 2, 1}, {0, 3, 2}, {0, 4, 3}}},
        // The normal test reverses triangles facing away from the first normal.
        {"fan facing up", PrimTriangleFan, Fan, Up, {{1, 2, 0}, {2, 3, 0}, {3, 4, 0}}},
        {"strip facing up", PrimTriangleStrip, first(Strip, 4), Up, {{2, 1, 0}, {2, 3, 1}}},
        {"triangle facing away", PrimTriangles, Tri, Down, {{2, 1, 0}}},
        {"triangle kept", PrimTriangles, Tri, Up, {{0, 1, 2}}},
        // A degenerate triangle has a zero normal, which never matches: it is reversed.
        {"degenerate triangle", PrimTriangles, Flat, Up, {{2, 1, 0}}},
        {"run of two triangles", PrimTriangles, TwoTris, Up, {{0, 1, 2}, {3, 4, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingRenderer r;
        feed(r, c.mode, c.points, c.normal);
        EXPECT_EQ(triangleIndices(r, c.points), c.expected) << r.log();
    }
}

TEST(RendererBase, TrianglesRunFlushesEachTriangleOnceAndDropsShortPrimitives) {
    RecordingRenderer r;
    r.beginPrimitive(PrimTriangles);
    for (const Vec3& p : TwoTris)
        r.vertex(p, Up);
    // The first triangle goes out with the fourth vertex, the last one waits for endPrimitive.
    EXPECT_EQ(triangleIndices(r, TwoTris), (Tris{{0, 1, 2}}));
    r.endPrimitive();
    EXPECT_EQ(r.count("triangle"), 2u);

    for (int32_t mode : {PrimTriangles, PrimTriangleStrip, PrimTriangleFan})
        for (size_t n : {0u, 1u, 2u}) {
            RecordingRenderer s;
            feed(s, mode, first(Fan, n), Down);
            EXPECT_EQ(s.count("triangle"), 0u) << "mode " << mode << " with " << n;
        }
    // beginPrimitive throws away what an unfinished primitive left.
    RecordingRenderer u;
    u.beginPrimitive(PrimTriangles);
    u.vertex(Fan[0], Down);
    u.vertex(Fan[1], Down);
    feed(u, PrimTriangles, {Fan[2]}, Down);
    EXPECT_EQ(u.count("triangle"), 0u);

    // A mode the tessellator never sends neither emits nor overruns the four-vertex buffer.
    RecordingRenderer q;
    feed(q, 7, std::vector<Vec3>(50, Vec3{1, 2, 3}), Up);
    EXPECT_EQ(q.count("triangle"), 0u);
    EXPECT_GE(q.lastVertex, -1);
    EXPECT_LE(q.lastVertex, 3);
}

TEST(RendererBase, TextureCoordinatesFollowTheirVerticesThroughReversal) {
    RecordingRenderer r;
    r.textureName = "wood.jpg";
    r.beginPrimitive(PrimTriangleFan);
    for (size_t i = 0; i < 4; ++i)
        r.texturedVertex(Fan[i], Vec3{float(i), float(10 * i), 0}, Up);
    r.endPrimitive();
    // Each vertex is found by its index, which its texture coordinate encodes.
    const Tris tris = triangleIndices(r, Fan);
    ASSERT_EQ(tris.size(), 2u);
    for (size_t t = 0; t < 2; ++t) {
        const RecordedCall& c = *r.named("triangle")[t];
        EXPECT_TRUE(c.flag);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(c.texCoords[k].X, float(tris[t][k]));
            EXPECT_EQ(c.texCoords[k].Y, 10.0f * float(tris[t][k]));
        }
    }
    RecordingRenderer plain;
    feed(plain, PrimTriangleFan, first(Fan, 3), Down);
    ASSERT_EQ(plain.count("triangle"), 1u);
    EXPECT_FALSE(plain.named("triangle")[0]->flag);
}

TEST(RendererBase, ErrorMessageAndCurrentRendererSelection) {
    EXPECT_EQ(errorOf([] { rendererError(100, "Error in VRML:endObject disk full"); }),
              "renderer: 100: Renderer: Error in VRML:endObject disk full");
    useDXFRenderer();
    EXPECT_NE(dynamic_cast<TDXFRenderer*>(currentRenderer()), nullptr);
    currentRenderer()->textureName = "left over";
    useVRMLRenderer();
    EXPECT_NE(dynamic_cast<TVRMLRenderer*>(currentRenderer()), nullptr);
    EXPECT_TRUE(currentRenderer()->textureName.empty());
    use3DSRenderer();
    EXPECT_NE(dynamic_cast<T3DSRenderer*>(currentRenderer()), nullptr);
    setCurrentRenderer(nullptr);
    EXPECT_EQ(currentRenderer(), nullptr);
}

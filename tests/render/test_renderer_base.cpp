// Tests of the renderer base: buffering into triangles, winding, bounds, current renderer.
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_Exporters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Tri {
    Vec3 v[3];
    bool textured;
    Vec3 t[3];
};

// Logs every triangle and keeps texture coordinates the way the file exporters do.
class RecordingRenderer : public TRenderer {
  public:
    std::vector<Tri> tris;
    void triangle(const TTriVerts& v, bool textured, const TTriVerts& t) override {
        tris.push_back(Tri{{v[0], v[1], v[2]}, textured, {t[0], t[1], t[2]}});
    }
    void texturedVertex(Vec3 v, Vec3 tc, Vec3 n) override {
        vertex(v, n);
        primTexCoords[lastVertex] = tc;
    }
};

const Vec3 Down{0, 0, -1};
const Vec3 Up{0, 0, 1};

bool same(const Vec3& a, const Vec3& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}

::testing::AssertionResult triIs(const Tri& t, const Vec3& a, const Vec3& b, const Vec3& c) {
    if (same(t.v[0], a) && same(t.v[1], b) && same(t.v[2], c)) return ::testing::AssertionSuccess();
    auto s = [](const Vec3& p) {
        return "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + "," + std::to_string(p.Z) +
               ")";
    };
    return ::testing::AssertionFailure()
           << "got " << s(t.v[0]) << s(t.v[1]) << s(t.v[2]) << " want " << s(a) << s(b) << s(c);
}

void feed(TRenderer& r, int mode, const std::vector<Vec3>& pts, const Vec3& normal) {
    r.beginPrimitive(mode);
    for (const Vec3& p : pts)
        r.vertex(p, normal);
    r.endPrimitive();
}

// A strip zig-zagging along X; each of its triangles, taken in strip order, faces -Z.
const std::vector<Vec3> Strip = {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}, {10, 10, 0}, {20, 0, 0}};
// A fan around the origin, counter-clockwise seen from +Z; (V0, Vk+1, Vk) faces -Z.
const std::vector<Vec3> Fan = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {-10, 0, 0}};

} // namespace

TEST(RendererBase, ConstructionStartsEmptyWithIdentityPlacement) {
    RecordingRenderer r;
    EXPECT_EQ(r.lastVertex, -1);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(r.objectMatrix.m[i], (i % 5 == 0) ? 1.0 : 0.0) << i;
    Matrix4 m = TranslationMatrix(Vec3{1, 2, 3});
    r.setObjectMatrix(m);
    EXPECT_EQ(r.objectMatrix.m[12], 1.0);
    EXPECT_EQ(r.objectMatrix.m[14], 3.0);
}

TEST(RendererBase, StripsOfThreeFourAndFiveVertices) {
    RecordingRenderer r3, r4, r5;
    feed(r3, PrimTriangleStrip, {Strip.begin(), Strip.begin() + 3}, Down);
    ASSERT_EQ(r3.tris.size(), 1u);
    EXPECT_TRUE(triIs(r3.tris[0], Strip[0], Strip[1], Strip[2]));

    feed(r4, PrimTriangleStrip, {Strip.begin(), Strip.begin() + 4}, Down);
    ASSERT_EQ(r4.tris.size(), 2u);
    EXPECT_TRUE(triIs(r4.tris[0], Strip[0], Strip[1], Strip[2]));
    EXPECT_TRUE(triIs(r4.tris[1], Strip[1], Strip[3], Strip[2]));

    feed(r5, PrimTriangleStrip, Strip, Down);
    ASSERT_EQ(r5.tris.size(), 3u);
    EXPECT_TRUE(triIs(r5.tris[0], Strip[0], Strip[1], Strip[2]));
    EXPECT_TRUE(triIs(r5.tris[1], Strip[1], Strip[3], Strip[2]));
    EXPECT_TRUE(triIs(r5.tris[2], Strip[2], Strip[3], Strip[4]));
}

TEST(RendererBase, FanOfFiveWritesEveryTriangleOnce) {
    RecordingRenderer r;
    feed(r, PrimTriangleFan, Fan, Down);
    ASSERT_EQ(r.tris.size(), 3u);
    EXPECT_TRUE(triIs(r.tris[0], Fan[0], Fan[2], Fan[1]));
    EXPECT_TRUE(triIs(r.tris[1], Fan[0], Fan[3], Fan[2]));
    EXPECT_TRUE(triIs(r.tris[2], Fan[0], Fan[4], Fan[3]));
}

TEST(RendererBase, NormalTestReversesTrianglesFacingAway) {
    RecordingRenderer fan, strip;
    feed(fan, PrimTriangleFan, Fan, Up);
    ASSERT_EQ(fan.tris.size(), 3u);
    EXPECT_TRUE(triIs(fan.tris[0], Fan[1], Fan[2], Fan[0]));
    EXPECT_TRUE(triIs(fan.tris[1], Fan[2], Fan[3], Fan[0]));
    EXPECT_TRUE(triIs(fan.tris[2], Fan[3], Fan[4], Fan[0]));

    feed(strip, PrimTriangleStrip, {Strip.begin(), Strip.begin() + 4}, Up);
    ASSERT_EQ(strip.tris.size(), 2u);
    EXPECT_TRUE(triIs(strip.tris[0], Strip[2], Strip[1], Strip[0]));
    EXPECT_TRUE(triIs(strip.tris[1], Strip[2], Strip[3], Strip[1]));

    // Mode 4: first normal opposite to the right-hand normal of (V0, V1, V2).
    RecordingRenderer tris;
    const Vec3 a{0, 0, 0}, b{10, 0, 0}, c{0, 10, 0}; // faces +Z
    feed(tris, PrimTriangles, {a, b, c}, Down);
    ASSERT_EQ(tris.tris.size(), 1u);
    EXPECT_TRUE(triIs(tris.tris[0], c, b, a));
    RecordingRenderer kept;
    feed(kept, PrimTriangles, {a, b, c}, Up);
    EXPECT_TRUE(triIs(kept.tris[0], a, b, c));

    // A degenerate triangle has a zero normal, which never matches: it is reversed.
    RecordingRenderer flat;
    feed(flat, PrimTriangles, {a, b, Vec3{20, 0, 0}}, Up);
    ASSERT_EQ(flat.tris.size(), 1u);
    EXPECT_TRUE(triIs(flat.tris[0], Vec3{20, 0, 0}, b, a));
}

TEST(RendererBase, TrianglesRunFlushesTheLastOneAtEndPrimitive) {
    RecordingRenderer r;
    const std::vector<Vec3> pts = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0},
                                   {5, 5, 0}, {15, 5, 0}, {5, 15, 0}};
    r.beginPrimitive(PrimTriangles);
    for (const Vec3& p : pts)
        r.vertex(p, Up);
    ASSERT_EQ(r.tris.size(), 1u);
    EXPECT_TRUE(triIs(r.tris[0], pts[0], pts[1], pts[2]));
    r.endPrimitive();
    ASSERT_EQ(r.tris.size(), 2u);
    EXPECT_TRUE(triIs(r.tris[1], pts[3], pts[4], pts[5]));
}

TEST(RendererBase, EndPrimitiveWithOneOrTwoVerticesEmitsNothing) {
    for (int mode : {PrimTriangles, PrimTriangleStrip, PrimTriangleFan}) {
        for (size_t n : {0u, 1u, 2u}) {
            RecordingRenderer r;
            feed(r, mode, {Fan.begin(), Fan.begin() + n}, Down);
            EXPECT_TRUE(r.tris.empty()) << "mode " << mode << " with " << n;
        }
    }
    // beginPrimitive throws away what an unfinished primitive left.
    RecordingRenderer r;
    r.beginPrimitive(PrimTriangles);
    r.vertex(Fan[0], Down);
    r.vertex(Fan[1], Down);
    r.beginPrimitive(PrimTriangles);
    r.vertex(Fan[2], Down);
    r.endPrimitive();
    EXPECT_TRUE(r.tris.empty());
}

TEST(RendererBase, TextureCoordinatesFollowTheirVerticesThroughReversal) {
    RecordingRenderer r;
    r.textureName = "wood.jpg";
    r.beginPrimitive(PrimTriangleFan);
    for (size_t i = 0; i < 4; ++i)
        r.texturedVertex(Fan[i], Vec3{float(i), float(10 * i), 0}, Up);
    r.endPrimitive();
    ASSERT_EQ(r.tris.size(), 2u);
    for (const Tri& t : r.tris) {
        EXPECT_TRUE(t.textured);
        for (int k = 0; k < 3; ++k) {
            // Each vertex is found by its index, which the texture coordinate encodes.
            size_t i = size_t(t.t[k].X);
            ASSERT_LT(i, 4u);
            EXPECT_TRUE(same(t.v[k], Fan[i]));
            EXPECT_EQ(t.t[k].Y, 10.0f * float(i));
        }
    }
    RecordingRenderer plain;
    feed(plain, PrimTriangleFan, {Fan.begin(), Fan.begin() + 3}, Down);
    ASSERT_EQ(plain.tris.size(), 1u);
    EXPECT_FALSE(plain.tris[0].textured);
}

TEST(RendererBase, UnknownModeNeitherEmitsNorOverrunsTheBuffer) {
    RecordingRenderer r;
    r.beginPrimitive(7); // quads: not produced by the tessellator
    for (int i = 0; i < 50; ++i)
        r.vertex(Vec3{float(i), 0, 0}, Up);
    r.endPrimitive();
    EXPECT_TRUE(r.tris.empty());
    EXPECT_GE(r.lastVertex, -1);
    EXPECT_LE(r.lastVertex, 3);
}

TEST(RendererBase, ExtendBoundsKeepsPerAxisMinimumAndMaximum) {
    RecordingRenderer r;
    r.boundsMin = Vec3{999999, 999999, 999999};
    r.boundsMax = Vec3{-999999, -999999, -999999};
    r.extendBounds(Vec3{1, -5, 3});
    r.extendBounds(Vec3{-2, 4, 2});
    EXPECT_TRUE(same(r.boundsMin, Vec3{-2, -5, 2}));
    EXPECT_TRUE(same(r.boundsMax, Vec3{1, 4, 3}));
}

TEST(RendererBase, ErrorMessageAndCurrentRendererSelection) {
    try {
        rendererError(100, "Error in VRML:endObject disk full");
        FAIL();
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "100: Renderer: Error in VRML:endObject disk full");
    }
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

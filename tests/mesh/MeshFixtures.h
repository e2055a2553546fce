// Element lists, the recording renderer and geometry checks shared by the mesh builder tests.
#pragma once

#include "RecordingRenderer.h"
#include "mesh/UnEndCaps.h"
#include "model/ModelTestUtil.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

// A profile list of the given (x, y) points, no groups.
inline TProfileObj makeProfile(const std::vector<std::pair<float, float>>& points) {
    std::vector<Vec3> v;
    for (const auto& [x, y] : points)
        v.push_back(Vec3{x, y, 0});
    return makePath(v);
}

// The square of side 2 centred on the origin, closing vertex repeated.
inline TProfileObj squareProfile() {
    return makeProfile({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}});
}

inline void expectNear(const Vec3& actual, const Vec3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.X, expected.X, tolerance);
    EXPECT_NEAR(actual.Y, expected.Y, tolerance);
    EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

// A texture table entry without an image: enough for the builders' lookups.
inline void addTableTexture(const std::string& name, int32_t id) {
    TTextureObj t;
    t.FileName = name + ".bmp";
    t.TexName = name;
    t.TexId = id;
    textureTable.push_back(t);
}

using Names = std::vector<std::string>;
inline Names operator+(Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The first n calls in short: the name, the texture of setTexture ("none" for no texture) and
// "tex" or "flat" for quads and triangles.
inline Names shape(const std::vector<RecordedCall>& calls, size_t n = SIZE_MAX) {
    Names out;
    for (size_t i = 0; i < calls.size() && i < n; ++i) {
        const RecordedCall& c = calls[i];
        std::string s = c.name;
        if (c.name == "setTexture")
            s += " " + (c.texture.TexId == -1 ? std::string("none") : c.texture.TexName);
        if (c.name == "quads" || c.name == "triangle") s += c.flag ? " tex" : " flat";
        out.push_back(s);
    }
    return out;
}

// The last call ends object id with the given list count.
inline void expectEndObject(const RecordingRenderer& rec, int32_t id, int32_t lists,
                            bool selected) {
    ASSERT_FALSE(rec.calls.empty());
    const RecordedCall& c = rec.calls.back();
    EXPECT_EQ(std::tie(c.name, c.a, c.b, c.flag),
              std::make_tuple("endObject", id, lists, selected));
}

// Installs a recording renderer on an empty registry and texture table; cleans up afterwards.
class MeshTest : public ::testing::Test {
  protected:
    RecordingRenderer* rec = nullptr;

    void SetUp() override {
        textureTable.clear();
        clearListRegistry();
        rec = &RecordingRenderer::install();
    }
    void TearDown() override {
        setCurrentRenderer(nullptr);
        releaseCapTessellator();
        textureTable.clear();
        clearListRegistry();
    }
};

// Winding number of the closed polygon poly (last point joined to the first) around (x, y).
inline int windingNumber(const std::vector<std::pair<double, double>>& poly, double x, double y) {
    int w = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto [x0, y0] = poly[i];
        const auto [x1, y1] = poly[(i + 1) % poly.size()];
        const double side = (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0);
        if (y0 <= y && y1 > y && side > 0) ++w;
        if (y0 > y && y1 <= y && side < 0) --w;
    }
    return w;
}

inline bool insideTriangleXY(const TTriVerts& t, double x, double y) {
    auto edge = [&](const Vec3& a, const Vec3& b) {
        return (double(b.X) - a.X) * (y - a.Y) - (x - a.X) * (double(b.Y) - a.Y);
    };
    const double e0 = edge(t[0], t[1]), e1 = edge(t[1], t[2]), e2 = edge(t[2], t[0]);
    return (e0 > 0 && e1 > 0 && e2 > 0) || (e0 < 0 && e1 < 0 && e2 < 0);
}

inline double areaXY(const TTriVerts& t) {
    return std::fabs((double(t[1].X) - t[0].X) * (double(t[2].Y) - t[0].Y) -
                     (double(t[2].X) - t[0].X) * (double(t[1].Y) - t[0].Y)) /
           2;
}

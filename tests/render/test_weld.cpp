// Tests of the weld of the mesh exporters on small solids: corners merged bit for bit and within
// tolerance, closed pieces wound outwards, nothing else changed.
#include "render/UnTRenderer_Mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

namespace {

using Corner = std::array<float, 3>;
using Face = std::array<Corner, 3>;

// A unit tetrahedron, each face wound outwards.
constexpr Corner A{0, 0, 0}, B{1, 0, 0}, C{0, 1, 0}, D{0, 0, 1};
const std::vector<Face> Outward{{A, C, B}, {A, B, D}, {A, D, C}, {B, C, D}};

Face reversed(const Face& f) {
    return Face{f[0], f[2], f[1]};
}

std::vector<Face> shifted(std::vector<Face> faces, float dx) {
    for (Face& f : faces)
        for (Corner& c : f)
            c[0] += dx;
    return faces;
}

std::vector<Face> operator+(std::vector<Face> a, const std::vector<Face>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<TMeshTriangle> triangles(const std::vector<Face>& faces) {
    std::vector<TMeshTriangle> out;
    for (const Face& f : faces) {
        TMeshTriangle t{};
        for (int k = 0; k < 3; ++k) {
            std::memcpy(t.Corners[k].Position, f[k].data(), sizeof t.Corners[k].Position);
            t.Corners[k].TexCoord[0] = float(k);
        }
        t.Normal[2] = 1;
        t.Run = 7;
        t.Face = uint32_t(out.size());
        out.push_back(t);
    }
    return out;
}

bool sameBits(const float* a, const Corner& b) {
    return std::memcmp(a, b.data(), sizeof(float[3])) == 0;
}

TEST(Weld, ClosedSolidsComeOutWoundOutwardsWithTheirCornersMerged) {
    const float negativeZero = -0.0f;
    const Corner nearD{1e-7f, 0, 1}; // within the tolerance of D, at a millionth of the size
    const Corner signedA{negativeZero, 0, 0};
    const std::vector<Face> Apart = shifted(Outward, 5);
    std::vector<Face> apartInward;
    for (const Face& f : Apart)
        apartInward.push_back(reversed(f));
    struct Case {
        const char* name;
        std::vector<Face> in;
        std::set<size_t> flipped; // faces given inward, which must be turned
        std::vector<Face> out = Outward;
    } cases[] = {
        {"outward", Outward, {}},
        {"inward",
         {reversed(Outward[0]), reversed(Outward[1]), reversed(Outward[2]), reversed(Outward[3])},
         {0, 1, 2, 3}},
        {"one face wound the wrong way",
         {Outward[0], Outward[1], Outward[2], reversed(Outward[3])},
         {3}},
        {"a corner computed twice", {Outward[0], Outward[1], {A, nearD, C}, Outward[3]}, {}},
        {"negative zero", {{signedA, C, B}, {signedA, B, D}, {signedA, D, C}, Outward[3]}, {}},
        // Each closed piece is turned on its own volume, not on the object's.
        {"two pieces, the second inward", Outward + apartInward, {4, 5, 6, 7}, Outward + Apart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TMeshTriangle> mesh = triangles(c.in);
        std::vector<std::array<uint32_t, 3>> ids;
        EXPECT_EQ(weldTriangles(mesh, &ids), 4 * (c.out.size() / 4));
        ASSERT_EQ(mesh.size(), c.out.size());
        ASSERT_EQ(ids.size(), mesh.size());
        for (size_t t = 0; t < mesh.size(); ++t) {
            // Every face as the outward solid has it, corners on their first bits, no -0.
            for (int k = 0; k < 3; ++k) {
                EXPECT_TRUE(sameBits(mesh[t].Corners[k].Position, c.out[t][k]))
                    << "face " << t << " corner " << k;
                EXPECT_EQ(mesh[t].Normal[2], c.flipped.count(t) ? -1.0f : 1.0f);
            }
            EXPECT_EQ(mesh[t].Run, 7u);
            EXPECT_EQ(mesh[t].Face, t);
        }
        // Position numbers: equal exactly when the corners are, in the order first met.
        for (size_t t = 0; t < mesh.size(); ++t)
            for (size_t u = 0; u < mesh.size(); ++u)
                for (int k = 0; k < 3; ++k)
                    for (int l = 0; l < 3; ++l)
                        EXPECT_EQ(ids[t][k] == ids[u][l],
                                  std::memcmp(mesh[t].Corners[k].Position,
                                              mesh[u].Corners[l].Position, sizeof(float[3])) == 0);
        EXPECT_EQ(ids[0][0], 0u);
    }
}

} // namespace

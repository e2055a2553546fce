// Tests of the weld of the mesh exporters on small solids: corners merged bit for bit and within
// tolerance, closed pieces wound outwards, nothing else changed.
#include "meshexport/UnTRenderer_Mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
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

// The sides of a tube between the heights y0 and y1 round the ring (x, z), the quads as two
// triangles, wound outwards round a ring given counter-clockwise seen from above.
std::vector<Face> tube(const std::vector<std::array<float, 2>>& ring, float y0, float y1) {
    std::vector<Face> faces;
    for (size_t i = 0; i < ring.size(); ++i) {
        const auto& p = ring[i];
        const auto& q = ring[(i + 1) % ring.size()];
        const Corner a{p[0], y0, p[1]}, b{q[0], y0, q[1]}, c{q[0], y1, q[1]}, d{p[0], y1, p[1]};
        faces.push_back({a, c, b});
        faces.push_back({a, d, c});
    }
    return faces;
}

// A mesh as the exporters hand it to the weld, corners numbered by their bits, welded; and the
// welded triangles' corners with the sign of their normals.
std::pair<std::vector<Face>, std::vector<float>> weldedAsFacets(const std::vector<Face>& faces) {
    std::vector<TMeshFacet> facets;
    std::vector<TMeshFace> meshFaces;
    std::vector<std::array<uint32_t, 3>> ids;
    std::vector<Corner> positions;
    for (const Face& f : faces) {
        TMeshFace face{};
        std::array<uint32_t, 3> id{};
        for (int k = 0; k < 3; ++k) {
            face.TexCoords[k][0] = float(k);
            const auto at = std::find(positions.begin(), positions.end(), f[k]);
            id[k] = uint32_t(at - positions.begin());
            if (at == positions.end()) positions.push_back(f[k]);
        }
        face.Normal[2] = 1;
        face.Run = 7;
        facets.push_back(TMeshFacet::of(uint32_t(meshFaces.size()), false));
        meshFaces.push_back(face);
        ids.push_back(id);
    }
    weldFacets(facets, meshFaces, ids, positions);
    std::pair<std::vector<Face>, std::vector<float>> out;
    for (size_t t = 0; t < facets.size(); ++t) {
        out.first.push_back({positions[ids[t][0]], positions[ids[t][1]], positions[ids[t][2]]});
        float normal[3];
        facets[t].normal(meshFaces[facets[t].face()], normal);
        out.second.push_back(normal[2]);
    }
    return out;
}

std::pair<std::vector<Face>, std::vector<float>> weldedWhole(const std::vector<Face>& faces) {
    std::vector<TMeshTriangle> mesh = triangles(faces);
    weldTriangles(mesh);
    std::pair<std::vector<Face>, std::vector<float>> out;
    for (const TMeshTriangle& t : mesh) {
        Face f;
        for (int k = 0; k < 3; ++k)
            std::memcpy(f[k].data(), t.Corners[k].Position, sizeof f[k]);
        out.first.push_back(f);
        out.second.push_back(t.Normal[2]);
    }
    return out;
}

// Surfaces with open sides come out of the exporters' weld as out of the weld proper: open pieces
// keep their winding, closed ones are turned, and open sides that meet or touch are mended.
TEST(Weld, OpenSurfacesComeOutAsTheWholeWeldLeavesThem) {
    const std::vector<std::array<float, 2>> square{{0, 0}, {0, 2}, {2, 2}, {2, 0}};
    std::vector<Face> inward;
    for (const Face& f : tube(square, 0, 1))
        inward.push_back(reversed(f));
    // The last side of the ring computed a unit in the last place off at its far end: a seam.
    std::vector<Face> seam = tube(square, 0, 1);
    for (size_t t : {6, 7})
        for (Corner& c : seam[t])
            if (c[0] == 0 && c[2] == 0) c[2] = std::nextafter(0.0f, 1.0f);
    // A tube on top whose ring has a corner halfway along each side of the lower one's.
    const std::vector<std::array<float, 2>> eight{{0, 0}, {0, 1}, {0, 2}, {1, 2},
                                                  {2, 2}, {2, 1}, {2, 0}, {1, 0}};
    struct Case {
        const char* name;
        std::vector<Face> faces;
        size_t triangles; // after the weld
    } cases[] = {
        {"an open tube", tube(square, 0, 1), 8},
        {"an open tube wound inwards", inward, 8},
        {"an open tube and a closed solid given inward",
         tube(square, 0, 1) + shifted(std::vector<Face>{reversed(Outward[0]), reversed(Outward[1]),
                                                        reversed(Outward[2]), reversed(Outward[3])},
                                      5),
         12},
        {"an open tube with a seam", seam, 8},
        {"two open tubes, one's corners on the other's sides",
         tube(square, 0, 1) + tube(eight, 1, 2), 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto whole = weldedWhole(c.faces);
        EXPECT_EQ(whole.first.size(), c.triangles);
        const auto asFacets = weldedAsFacets(c.faces);
        ASSERT_EQ(asFacets.first.size(), whole.first.size());
        for (size_t t = 0; t < whole.first.size(); ++t) {
            for (int k = 0; k < 3; ++k)
                EXPECT_TRUE(sameBits(asFacets.first[t][k].data(), whole.first[t][k]))
                    << "triangle " << t << " corner " << k;
            EXPECT_EQ(asFacets.second[t], whole.second[t]) << "triangle " << t;
        }
    }
}

} // namespace

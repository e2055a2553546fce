// Tests of the 3DS exporter: chunk trees byte by byte, materials, textures, oversized faces.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <bit>
#include <cmath>
#include <set>

namespace {

// Little-endian numbers and zero-ended strings of a file, with bounds checks.
uint32_t le(const std::string& s, size_t at, int bytes) {
    return readLE(s, at, bytes);
}
float f32(const std::string& s, size_t at) {
    return std::bit_cast<float>(le(s, at, 4));
}
std::string cstr(const std::string& s, size_t at) {
    return s.substr(at, s.find('\0', at) - at);
}

struct Chunk {
    uint16_t id = 0;
    size_t at = 0, end = 0, data = 0; // header, end, and the data after the header
    std::vector<Chunk> kids;
};

// Parses the chunks in [from, to), failing the test unless they tile the range exactly. Named
// objects, face lists and the containers have sub-chunks after their own data.
std::vector<Chunk> parse(const std::string& s, size_t from, size_t to) {
    static const std::set<uint16_t> containers = {0x4D4D, 0x3D3D, 0xAFFF, 0x4100, 0xA010,
                                                  0xA020, 0xA030, 0xA040, 0xA041, 0xA050,
                                                  0xA052, 0xA053, 0xA084, 0xA200};
    std::vector<Chunk> out;
    for (size_t at = from; at < to;) {
        Chunk c{uint16_t(le(s, at, 2)), at, at + le(s, at + 2, 4), at + 6, {}};
        if (c.end < at + 6 || c.end > to) {
            ADD_FAILURE() << "chunk " << std::hex << c.id << " at " << std::dec << at
                          << " overruns";
            return out;
        }
        if (c.id == 0x4000)
            c.kids = parse(s, c.data + cstr(s, c.data).size() + 1, c.end);
        else if (c.id == 0x4120)
            c.kids = parse(s, c.data + 2 + 8 * le(s, c.data, 2), c.end);
        else if (containers.count(c.id))
            c.kids = parse(s, c.data, c.end);
        out.push_back(c);
        at = c.end;
    }
    return out;
}

// The tree of ids and lengths, e.g. "4100:146[4110:56 4140:40 4120:44[4130:20]]"; materials, which
// readMaterial checks byte by byte, without their sub-chunks.
std::string shape(const Chunk& c, bool lengths = true) {
    char head[24];
    std::snprintf(head, sizeof head, lengths ? "%04X:%zu" : "%04X", c.id, c.end - c.at);
    std::string s = head;
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    for (size_t i = 0; i < c.kids.size() && c.id != 0xAFFF; ++i)
        s += (i == 0 ? "[" : " ") + shape(c.kids[i], lengths) + (i + 1 == c.kids.size() ? "]" : "");
#pragma GCC diagnostic pop
    return s;
}

// An exported file and the entries of its edit chunk, once the main and edit chunks are found to
// span the file.
struct Export3DS {
    std::string data;
    std::vector<Chunk> top, e;
};

template <class Body> Export3DS export3DS(const std::string& name, Body&& body) {
    Export3DS x{exportWith<T3DSRenderer>(name, body), {}, {}};
    x.top = parse(x.data, 0, x.data.size());
    const std::vector<Chunk>& top = x.top;
    if (top.size() == 1 && top[0].id == 0x4D4D && top[0].kids.size() == 1 &&
        top[0].kids[0].id == 0x3D3D && top[0].kids[0].at == 6)
        x.e = top[0].kids[0].kids;
    else
        ADD_FAILURE() << "main and edit chunks do not span the file";
    return x;
}

// Little-endian bytes of a 16- and a 32-bit number.
std::string le16(uint32_t v) {
    return {char(v & 0xFF), char(v >> 8 & 0xFF)};
}
std::string le32(size_t v) {
    return le16(uint32_t(v & 0xFFFF)) + le16(uint32_t(v >> 16));
}
std::string chunk(uint16_t id, const std::string& data) {
    return le16(id) + le32(data.size() + 6) + data;
}

// A material chunk as it must be written: the fixed template around the name, the diffuse colour
// and, for a texture, the map chunk.
std::string materialBytes(const std::string& name, const std::string& rgb, const std::string& map) {
    auto colour = [](uint16_t id, const std::string& c) {
        return chunk(id, chunk(0x0011, c) + chunk(0x0012, c));
    };
    auto percent = [](uint16_t id, uint16_t p) { return chunk(id, chunk(0x0030, le16(p))); };
    const std::string grey = "\x32\x32\x32";
    return chunk(
        0xAFFF,
        chunk(0xA000, name + '\0') + colour(0xA010, grey) + colour(0xA020, rgb) +
            colour(0xA030, grey) + percent(0xA040, 20) + percent(0xA041, 100) + percent(0xA050, 0) +
            percent(0xA052, 0) + percent(0xA053, 0) + chunk(0xA100, le16(2)) + percent(0xA084, 0) +
            chunk(0xA087, le32(std::bit_cast<uint32_t>(16256.0f))) +
            (map.empty() ? std::string()
                         : chunk(0xA200, chunk(0x0030, le16(100)) + chunk(0xA300, map + '\0') +
                                             chunk(0xA351, le16(0)))));
}

struct Material {
    std::string name, rgb, map; // map is empty without a texture
};

// Reads a material's name, diffuse colour and map, and checks every byte of it.
Material readMaterial(const Export3DS& x, size_t entry) {
    const Chunk& m = x.e.at(entry);
    Material out{cstr(x.data, m.kids.at(0).data), x.data.substr(m.kids.at(2).kids.at(0).data, 3),
                 ""};
    if (m.kids.size() == 13) out.map = cstr(x.data, m.kids[12].kids.at(1).data);
    EXPECT_EQ(x.data.substr(m.at, m.end - m.at), materialBytes(out.name, out.rgb, out.map));
    EXPECT_EQ(m.end - m.at, 194 + (out.map.empty() ? 0 : out.map.size() + 29));
    return out;
}

struct Mesh {
    std::string name, material;
    std::vector<Vec3> points, uv; // uv is empty without texture vertices
    std::vector<std::array<uint16_t, 3>> faces;
};

// Reads a named object completely, checking every count, length and flag on the way.
Mesh readMesh(const Export3DS& x, size_t entry) {
    const std::string& s = x.data;
    const Chunk& obj = x.e.at(entry);
    const Chunk& tri = obj.kids.at(0);
    const bool hasUV = tri.kids.size() == 3;
    EXPECT_EQ(shape(obj, false),
              hasUV ? "4000[4100[4110 4140 4120[4130]]]" : "4000[4100[4110 4120[4130]]]");
    const Chunk &pts = tri.kids.at(0), &fa = tri.kids.at(hasUV ? 2 : 1), &group = fa.kids.at(0);
    Mesh m{cstr(s, obj.data), cstr(s, group.data), {}, {}, {}};
    const size_t P = le(s, pts.data, 2), F = le(s, fa.data, 2);
    EXPECT_EQ(pts.end - pts.at, 12 * P + 8);
    for (size_t k = 0, at = pts.data + 2; k < P; ++k, at += 12)
        m.points.push_back(Vec3{f32(s, at), f32(s, at + 4), f32(s, at + 8)});
    if (hasUV) {
        EXPECT_EQ(le(s, tri.kids[1].data, 2), P);
        EXPECT_EQ(tri.kids[1].end - tri.kids[1].at, 8 * P + 8);
        for (size_t k = 0, at = tri.kids[1].data + 2; k < P; ++k, at += 8)
            m.uv.push_back(Vec3{f32(s, at), f32(s, at + 4), 0});
    }
    for (size_t k = 0, at = fa.data + 2; k < F; ++k, at += 8) {
        m.faces.push_back(
            {uint16_t(le(s, at, 2)), uint16_t(le(s, at + 2, 2)), uint16_t(le(s, at + 4, 2))});
        EXPECT_EQ(le(s, at + 6, 2), 6u); // edge flags
        for (uint16_t v : m.faces.back())
            EXPECT_LT(v, P);
    }
    // The material group after the face list names the material and lists every face.
    const size_t list = group.data + m.material.size() + 1;
    EXPECT_EQ(group.end, list + 2 + 2 * F);
    EXPECT_EQ(le(s, list, 2), F);
    for (size_t k = 0; k < F; ++k)
        EXPECT_EQ(le(s, list + 2 + 2 * k, 2), k);
    return m;
}

bool near(const Vec3& a, const Vec3& b) {
    return std::fabs(a.X - b.X) < 1e-4f && std::fabs(a.Y - b.Y) < 1e-4f &&
           std::fabs(a.Z - b.Z) < 1e-4f;
}

using Faces = std::vector<std::array<uint16_t, 3>>;

} // namespace

TEST(ThreeDSExport, TwoFaceLatheSceneChunkByChunk) {
    const Export3DS x = export3DS("lathe.3ds", twoFaceLathe);
    // Material, mesh, material with its map, mesh; every length exact.
    ASSERT_EQ(x.top.size(), 1u);
    EXPECT_EQ(shape(x.top[0]),
              "4D4D:889[3D3D:883[AFFF:194 4000:190[4100:174[4110:104 4120:64[4130:24]]] "
              "AFFF:231 4000:262[4100:246[4110:104 4140:72 4120:64[4130:24]]]]]");
    ASSERT_EQ(x.e.size(), 4u);

    using M = std::tuple<std::string, std::string, std::string>; // name, diffuse colour, map
    auto material = [&](size_t entry) {
        const Material m = readMaterial(x, entry);
        return M{m.name, m.rgb, m.map};
    };
    EXPECT_EQ(material(0), (M{"MAT0000", std::string("\xFF\x80\0", 3), ""}));
    EXPECT_EQ(material(2), (M{"MAT0001", std::string("\0\0\x80", 3), "wood.bmp"}));

    const Mesh f0 = readMesh(x, 1), f1 = readMesh(x, 3);
    EXPECT_EQ(std::tie(f0.name, f0.material, f1.name, f1.material),
              std::make_tuple("Lathe.F00", "MAT0000", "Lathe.F01", "MAT0001"));
    EXPECT_TRUE(f0.uv.empty());
    ASSERT_EQ(f0.points.size(), 8u);
    EXPECT_TRUE(near(f0.points[0], Vec3{10, 0, 0}));
    EXPECT_TRUE(near(f0.points[2], Vec3{11, 1, 0}));
    EXPECT_TRUE(near(f0.points[7], Vec3{10, 2, 0}));
    EXPECT_EQ(f0.faces, (Faces{{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}}));
    ASSERT_EQ(f1.uv.size(), 8u);
    EXPECT_TRUE(near(f1.uv[2], Vec3{1, 1, 0}));
    EXPECT_TRUE(near(f1.points[3], Vec3{10, 3, 0}));
}

TEST(ThreeDSExport, ObjectNamesAreCutTexturedMaterialsAlwaysGetTextureVerticesCapsOpenAFace) {
    const Export3DS x = export3DS("names.3ds", [](TRenderer& r) {
        r.initObject("C:\\models\\AVeryLongObjectName12345");
        r.setTexture(texture("/tex/stone.jpg"));
        r.setColor(ColorF{1, 1, 1, 1});
        plainQuad(r, 0, 0); // untextured geometry in a textured face
        r.endObject(1, 1, false);
        r.initObject("obj:Short");
        // No colour given yet in this object: the geometry still gets a face and a material.
        r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, true, {});
        feed(r, PrimTriangleFan, SquareFan, Vec3{0, 0, -1});
        r.endObject(2, 1, false);
    });
    ASSERT_EQ(x.e.size(), 6u);
    const Mesh long0 = readMesh(x, 1);
    EXPECT_EQ(long0.name, "AVeryLongObjectName1");
    ASSERT_EQ(long0.uv.size(), 4u);
    for (const Vec3& uv : long0.uv)
        EXPECT_TRUE(near(uv, Vec3{0, 0, 0}));
    const Mesh short0 = readMesh(x, 3), cap = readMesh(x, 5);
    EXPECT_EQ(std::tie(short0.name, short0.material, cap.name),
              std::make_tuple("Short.F00", "MAT0001", "Short.F01"));
    EXPECT_EQ(short0.faces, (Faces{{0, 1, 2}}));
    // The texture set in the previous object is still the current one.
    EXPECT_EQ(readMaterial(x, 2).map, "stone.jpg");
    ASSERT_EQ(cap.points.size(), 6u);
    EXPECT_TRUE(near(cap.points[1], Vec3{10, 10, 0}));
    EXPECT_TRUE(near(cap.points[4], Vec3{0, 10, 0}));
}

TEST(ThreeDSExport, FacesBeyondSixteenBitIndicesAreSplitIntoMeshes) {
    constexpr int Quads = 20000; // 80000 points, 40000 triangles
    auto quadOf = [](int q) { return quadAt(float(q % 200), float(q / 200), 0); };
    const Export3DS x = export3DS("huge.3ds", [&](TRenderer& r) {
        r.initObject("huge");
        r.setTexture(texture("wood.bmp"));
        r.setColor(ColorF{1, 1, 1, 1});
        for (int q = 0; q < Quads; ++q) {
            TQuadVerts uv = unitTexCoords();
            for (Vec3& t : uv)
                t.Y += float(q);
            r.quads(quadOf(q), true, uv);
        }
        r.endObject(1, 1, false);
    });
    ASSERT_EQ(x.e.size(), 3u);
    const Mesh a = readMesh(x, 1), c = readMesh(x, 2);
    EXPECT_EQ(a.name, "huge.F00");
    EXPECT_EQ(c.name, "huge.F00_1");
    EXPECT_EQ(a.material, "MAT0000");
    EXPECT_EQ(c.material, "MAT0000");
    EXPECT_LE(a.points.size(), 65535u);
    EXPECT_EQ(a.faces.size() + c.faces.size(), size_t(2 * Quads));
    // Every triangle, read back through its mesh's indices, is the one that was sent.
    const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
    size_t t = 0;
    for (const Mesh* m : {&a, &c}) {
        ASSERT_EQ(m->uv.size(), m->points.size());
        for (const auto& f : m->faces) {
            const int q = int(t / 2);
            for (int k = 0; k < 3; ++k) {
                const int corner = corners[t % 2][k];
                ASSERT_TRUE(near(m->points[f[k]], quadOf(q)[corner])) << "triangle " << t;
                ASSERT_NEAR(m->uv[f[k]].Y, unitTexCoords()[corner].Y + float(q), 1e-3f);
            }
            ++t;
        }
    }
}

TEST(ThreeDSExport, MaterialNamesStayUniquePastTenThousand) {
    const std::pair<int32_t, std::string> known[] = {
        {0, "MAT0000"}, {9999, "MAT9999"}, {10000, "X000000"}, {10000 + 36, "X000010"}};
    for (const auto& [n, name] : known)
        EXPECT_EQ(T3DSRenderer::materialNameFor(n), name);
    std::set<std::string> names;
    for (int32_t n = 0; n < 60000; ++n) {
        const std::string s = T3DSRenderer::materialNameFor(n);
        EXPECT_EQ(s.size(), 7u);
        names.insert(s);
    }
    EXPECT_EQ(names.size(), 60000u);
    EXPECT_EQ(T3DSRenderer::materialNameFor(INT32_MAX).size(), 7u);

    // In a file: the 10001st face's material and the mesh that uses it.
    const Export3DS x = export3DS("many.3ds", [](TRenderer& r) {
        r.initObject("m");
        for (int f = 0; f < 10001; ++f) {
            r.setColor(ColorF{0, 0, 0, 1});
            r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, false, {});
        }
        r.endObject(1, 1, false);
    });
    ASSERT_EQ(x.e.size(), 20002u);
    EXPECT_EQ(readMaterial(x, 20000).name, "X000000");
    const Mesh last = readMesh(x, 20001);
    EXPECT_EQ(last.material, "X000000");
    EXPECT_EQ(last.name, "m.F10000");
}

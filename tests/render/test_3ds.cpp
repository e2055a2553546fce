// Tests of the 3DS exporter: chunk trees byte by byte, materials, textures, oversized faces.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <cmath>
#include <cstring>
#include <set>

namespace {

// Little-endian reader over a byte string with bounds checks.
struct Bytes {
    const std::string& s;
    size_t size() const { return s.size(); }
    uint8_t u8(size_t at) const {
        if (at >= s.size()) throw std::out_of_range("read past end");
        return uint8_t(s[at]);
    }
    uint16_t u16(size_t at) const { return uint16_t(u8(at) | (u8(at + 1) << 8)); }
    uint32_t u32(size_t at) const { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); }
    float f32(size_t at) const {
        uint32_t b = u32(at);
        float f;
        std::memcpy(&f, &b, 4);
        return f;
    }
    std::string cstr(size_t at) const {
        std::string r;
        while (u8(at) != 0)
            r += char(u8(at++));
        return r;
    }
};

struct Chunk {
    uint16_t id = 0;
    uint32_t length = 0;
    size_t start = 0;     // offset of the header
    size_t dataStart = 0; // offset of the data after the header (and after a name or count)
    std::vector<Chunk> children;
    const Chunk& child(size_t i) const {
        if (i >= children.size()) throw std::out_of_range("missing child chunk");
        return children[i];
    }
};

// Chunks whose data is a list of sub-chunks, and how many data bytes come before that list.
int subChunkOffset(const Bytes& b, uint16_t id, size_t data) {
    switch (id) {
    case 0x4D4D:
    case 0x3D3D:
    case 0xAFFF:
    case 0x4100:
    case 0xA010:
    case 0xA020:
    case 0xA030:
    case 0xA040:
    case 0xA041:
    case 0xA050:
    case 0xA052:
    case 0xA053:
    case 0xA084:
    case 0xA200:
        return 0;
    case 0x4000:
        return int(b.cstr(data).size() + 1);
    default:
        return -1;
    }
}

// Parses the chunks in [from, to) and checks that they tile the range exactly.
std::vector<Chunk> parse(const Bytes& b, size_t from, size_t to) {
    std::vector<Chunk> out;
    size_t at = from;
    while (at < to) {
        Chunk c;
        c.start = at;
        c.id = b.u16(at);
        c.length = b.u32(at + 2);
        if (c.length < 6 || at + c.length > to) {
            ADD_FAILURE() << "chunk 0x" << std::hex << c.id << " at " << std::dec << at
                          << " has bad length " << c.length;
            return out;
        }
        c.dataStart = at + 6;
        int sub = subChunkOffset(b, c.id, c.dataStart);
        if (sub >= 0) c.children = parse(b, c.dataStart + size_t(sub), at + c.length);
        out.push_back(c);
        at += c.length;
    }
    return out;
}

struct Mesh {
    std::string name;
    std::vector<Vec3> points;
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<Vec3> uv;
    bool hasUV = false;
    std::string material;
};

// Reads a named object chunk completely, checking every length and flag on the way.
Mesh readMesh(const Bytes& b, const Chunk& obj) {
    Mesh m;
    EXPECT_EQ(obj.id, 0x4000);
    m.name = b.cstr(obj.dataStart);
    const Chunk& tri = obj.child(0);
    EXPECT_EQ(tri.id, 0x4100);
    EXPECT_EQ(obj.children.size(), 1u);
    size_t i = 0;
    const Chunk& pts = tri.child(i++);
    EXPECT_EQ(pts.id, 0x4110);
    uint16_t P = b.u16(pts.dataStart);
    EXPECT_EQ(pts.length, 12u * P + 8);
    for (uint16_t k = 0; k < P; ++k) {
        size_t at = pts.dataStart + 2 + 12 * size_t(k);
        m.points.push_back(Vec3{b.f32(at), b.f32(at + 4), b.f32(at + 8)});
    }
    if (tri.child(i).id == 0x4140) {
        const Chunk& tv = tri.child(i++);
        uint16_t X = b.u16(tv.dataStart);
        EXPECT_EQ(X, P);
        EXPECT_EQ(tv.length, 8u * X + 8);
        m.hasUV = true;
        for (uint16_t k = 0; k < X; ++k) {
            size_t at = tv.dataStart + 2 + 8 * size_t(k);
            m.uv.push_back(Vec3{b.f32(at), b.f32(at + 4), 0});
        }
    }
    const Chunk& fa = tri.child(i++);
    EXPECT_EQ(fa.id, 0x4120);
    EXPECT_EQ(tri.children.size(), i);
    uint16_t F = b.u16(fa.dataStart);
    for (uint16_t k = 0; k < F; ++k) {
        size_t at = fa.dataStart + 2 + 8 * size_t(k);
        std::array<uint16_t, 3> f{b.u16(at), b.u16(at + 2), b.u16(at + 4)};
        EXPECT_EQ(b.u16(at + 6), 6);
        for (uint16_t v : f)
            EXPECT_LT(v, P);
        m.faces.push_back(f);
    }
    // The material group follows the face list inside the face-array chunk.
    size_t mg = fa.dataStart + 2 + 8 * size_t(F);
    EXPECT_EQ(b.u16(mg), 0x4130);
    EXPECT_EQ(b.u32(mg + 2), 16u + 2 * F);
    EXPECT_EQ(fa.length, 8u * F + 8 + 16 + 2 * F);
    m.material = b.cstr(mg + 6);
    EXPECT_EQ(b.u8(mg + 13), 0);
    EXPECT_EQ(b.u16(mg + 14), F);
    for (uint16_t k = 0; k < F; ++k)
        EXPECT_EQ(b.u16(mg + 16 + 2 * size_t(k)), k);
    return m;
}

struct Material {
    std::string name;
    uint8_t rgb[3];
    std::string map; // empty without a texture map
    uint32_t length;
};

Material readMaterial(const Bytes& b, const Chunk& mat) {
    Material m{};
    EXPECT_EQ(mat.id, 0xAFFF);
    m.length = mat.length;
    // The fixed part is the 194-byte template.
    const uint16_t ids[] = {0xA000, 0xA010, 0xA020, 0xA030, 0xA040, 0xA041,
                            0xA050, 0xA052, 0xA053, 0xA100, 0xA084, 0xA087};
    const uint32_t lens[] = {14, 24, 24, 24, 14, 14, 14, 14, 14, 8, 14, 10};
    for (size_t k = 0; k < 12; ++k) {
        EXPECT_EQ(mat.child(k).id, ids[k]) << k;
        EXPECT_EQ(mat.child(k).length, lens[k]) << k;
    }
    m.name = b.cstr(mat.child(0).dataStart);
    EXPECT_EQ(b.u8(mat.start + 6 + 6 + 7), 0);
    for (size_t c : {1u, 3u}) { // ambient and specular grey 50
        for (size_t s = 0; s < 2; ++s) {
            const Chunk& sub = mat.child(c).child(s);
            EXPECT_EQ(sub.id, s == 0 ? 0x0011 : 0x0012);
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(b.u8(sub.dataStart + k), 50);
        }
    }
    const Chunk& diffuse = mat.child(2);
    for (int k = 0; k < 3; ++k) {
        m.rgb[k] = b.u8(diffuse.child(0).dataStart + k);
        EXPECT_EQ(b.u8(diffuse.child(1).dataStart + k), m.rgb[k]);
    }
    const uint16_t percent[] = {20, 100, 0, 0, 0};
    for (size_t k = 0; k < 5; ++k) {
        const Chunk& pc = mat.child(4 + k).child(0);
        EXPECT_EQ(pc.id, 0x0030);
        EXPECT_EQ(pc.length, 8u);
        EXPECT_EQ(b.u16(pc.dataStart), percent[k]);
    }
    EXPECT_EQ(b.u16(mat.child(9).dataStart), 2);
    EXPECT_EQ(b.u16(mat.child(10).child(0).dataStart), 0);
    EXPECT_EQ(b.f32(mat.child(11).dataStart), 16256.0f);
    if (mat.children.size() == 13) {
        const Chunk& map = mat.child(12);
        EXPECT_EQ(map.id, 0xA200);
        EXPECT_EQ(map.children.size(), 3u);
        EXPECT_EQ(map.child(0).id, 0x0030);
        EXPECT_EQ(b.u16(map.child(0).dataStart), 100);
        EXPECT_EQ(map.child(1).id, 0xA300);
        m.map = b.cstr(map.child(1).dataStart);
        EXPECT_EQ(map.child(1).length, m.map.size() + 7);
        EXPECT_EQ(map.child(2).id, 0xA351);
        EXPECT_EQ(map.child(2).length, 8u);
        EXPECT_EQ(b.u16(map.child(2).dataStart), 0);
        EXPECT_EQ(map.length, m.map.size() + 29);
        EXPECT_EQ(mat.length, 194 + map.length);
    } else {
        EXPECT_EQ(mat.children.size(), 12u);
        EXPECT_EQ(mat.length, 194u);
    }
    return m;
}

// The edit chunk's entries of a whole file, after checking the two outer chunks.
std::vector<Chunk> editEntries(const Bytes& b) {
    std::vector<Chunk> top = parse(b, 0, b.size());
    if (top.size() != 1 || top[0].id != 0x4D4D || top[0].length != b.size()) {
        ADD_FAILURE() << "main chunk does not span the file";
        return {};
    }
    const Chunk& edit = top[0].child(0);
    EXPECT_EQ(top[0].children.size(), 1u);
    EXPECT_EQ(edit.id, 0x3D3D);
    EXPECT_EQ(edit.length, b.size() - 6);
    return edit.children;
}

bool near(const Vec3& a, const Vec3& b) {
    return std::fabs(a.X - b.X) < 1e-4f && std::fabs(a.Y - b.Y) < 1e-4f &&
           std::fabs(a.Z - b.Z) < 1e-4f;
}

} // namespace

TEST(ThreeDSExport, TwoFaceLatheSceneChunkByChunk) {
    std::string path = scratchPath("lathe.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.setObjectMatrix(translation(10, 0, 0));
    r.initObject("Lathe");
    r.initList(101);
    r.setTexture(noTexture());
    r.setColor(ColorF{1, 0.5f, 0, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.quads(quadAt(0, 1, 0), false, unitTexCoords());
    r.endList();
    r.initList(102);
    r.setTexture(texture("C:\\textures\\wood.bmp", 3));
    r.setColor(ColorF{0, 0, 1, 1});
    r.quads(quadAt(0, 2, 0), true, unitTexCoords());
    r.endList();
    r.endObject(1, 2, false);
    r.endRendering();

    const std::string data = takeFile(path);
    Bytes b{data};
    // Material 194, mesh 190, material 194 + 37, mesh 162; plus the two 6-byte headers.
    ASSERT_EQ(data.size(), 789u);
    EXPECT_EQ(b.u16(0), 0x4D4D);
    EXPECT_EQ(b.u32(2), 789u);
    EXPECT_EQ(b.u16(6), 0x3D3D);
    EXPECT_EQ(b.u32(8), 783u);
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].id, 0xAFFF);
    EXPECT_EQ(e[0].start, 12u);

    Material m0 = readMaterial(b, e[0]);
    EXPECT_EQ(m0.name, "MAT0000");
    EXPECT_EQ(m0.rgb[0], 255);
    EXPECT_EQ(m0.rgb[1], 128);
    EXPECT_EQ(m0.rgb[2], 0);
    EXPECT_TRUE(m0.map.empty());
    // The patched colour bytes sit at their template positions.
    EXPECT_EQ(b.u8(12 + 56), 255);
    EXPECT_EQ(b.u8(12 + 66), 128);

    EXPECT_EQ(e[1].length, 190u);
    Mesh f0 = readMesh(b, e[1]);
    EXPECT_EQ(f0.name, "Lathe.F00");
    EXPECT_EQ(f0.material, "MAT0000");
    EXPECT_FALSE(f0.hasUV);
    ASSERT_EQ(f0.points.size(), 8u);
    EXPECT_TRUE(near(f0.points[0], Vec3{10, 0, 0}));
    EXPECT_TRUE(near(f0.points[2], Vec3{11, 1, 0}));
    EXPECT_TRUE(near(f0.points[7], Vec3{10, 2, 0}));
    const std::vector<std::array<uint16_t, 3>> quadFaces = {
        {0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}};
    EXPECT_EQ(f0.faces, quadFaces);

    Material m1 = readMaterial(b, e[2]);
    EXPECT_EQ(m1.name, "MAT0001");
    EXPECT_EQ(m1.map, "wood.bmp");
    EXPECT_EQ(m1.length, 194u + 37u);
    EXPECT_EQ(m1.rgb[2], 255);

    EXPECT_EQ(e[3].length, 162u);
    Mesh f1 = readMesh(b, e[3]);
    EXPECT_EQ(f1.name, "Lathe.F01");
    EXPECT_EQ(f1.material, "MAT0001");
    ASSERT_TRUE(f1.hasUV);
    ASSERT_EQ(f1.uv.size(), 4u);
    EXPECT_TRUE(near(f1.uv[2], Vec3{1, 1, 0}));
    EXPECT_TRUE(near(f1.points[3], Vec3{10, 3, 0}));
}

TEST(ThreeDSExport, ObjectNamesAreCutAndTexturedMaterialsAlwaysGetTextureVertices) {
    std::string path = scratchPath("names.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.initObject("C:\\models\\AVeryLongObjectName12345");
    r.setTexture(texture("/tex/stone.jpg"));
    r.setColor(ColorF{1, 1, 1, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords()); // untextured geometry in a textured face
    r.endObject(1, 1, false);
    r.initObject("obj:Short");
    // No colour given yet in this object: the geometry still gets a face and a material.
    r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, true, {});
    r.endObject(2, 1, false);
    r.endRendering();

    const std::string data = takeFile(path);
    Bytes b{data};
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 4u);
    Mesh long0 = readMesh(b, e[1]);
    EXPECT_EQ(long0.name, "AVeryLongObjectName1");
    ASSERT_TRUE(long0.hasUV);
    for (const Vec3& uv : long0.uv)
        EXPECT_TRUE(near(uv, Vec3{0, 0, 0}));
    Mesh short0 = readMesh(b, e[3]);
    EXPECT_EQ(short0.name, "Short.F00");
    EXPECT_EQ(short0.material, "MAT0001");
    // The texture set in the previous object is still the current one.
    EXPECT_EQ(readMaterial(b, e[2]).map, "stone.jpg");
    const std::vector<std::array<uint16_t, 3>> one = {{0, 1, 2}};
    EXPECT_EQ(short0.faces, one);
}

TEST(ThreeDSExport, LargeFacesKeepEveryIndex) {
    std::string path = scratchPath("big.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.initObject("big");
    r.setTexture(noTexture());
    r.setColor(ColorF{0.2f, 0.4f, 0.6f, 1});
    for (int q = 0; q < 200; ++q)
        r.quads(quadAt(float(q), 0, 0), false, unitTexCoords());
    r.endObject(1, 1, false);
    r.endRendering();
    const std::string data = takeFile(path);
    Bytes b{data};
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 2u);
    Material m = readMaterial(b, e[0]);
    EXPECT_EQ(m.rgb[0], 51);
    EXPECT_EQ(m.rgb[1], 102);
    EXPECT_EQ(m.rgb[2], 153);
    Mesh mesh = readMesh(b, e[1]);
    ASSERT_EQ(mesh.points.size(), 800u);
    ASSERT_EQ(mesh.faces.size(), 400u);
    for (uint16_t q = 0; q < 200; ++q) {
        const std::array<uint16_t, 3> a{uint16_t(4 * q), uint16_t(4 * q + 1), uint16_t(4 * q + 2)};
        const std::array<uint16_t, 3> c{uint16_t(4 * q), uint16_t(4 * q + 2), uint16_t(4 * q + 3)};
        EXPECT_EQ(mesh.faces[2 * q], a);
        EXPECT_EQ(mesh.faces[2 * q + 1], c);
    }
}

TEST(ThreeDSExport, FacesBeyondSixteenBitIndicesAreSplitIntoMeshes) {
    constexpr int Quads = 20000; // 80000 points, 40000 triangles
    std::string path = scratchPath("huge.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.initObject("huge");
    r.setTexture(texture("wood.bmp"));
    r.setColor(ColorF{1, 1, 1, 1});
    for (int q = 0; q < Quads; ++q) {
        TQuadVerts uv = unitTexCoords();
        for (Vec3& t : uv)
            t.Y += float(q);
        r.quads(quadAt(float(q % 200), float(q / 200), 0), true, uv);
    }
    r.endObject(1, 1, false);
    r.endRendering();

    const std::string data = takeFile(path);
    Bytes b{data};
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 3u);
    Mesh a = readMesh(b, e[1]);
    Mesh c = readMesh(b, e[2]);
    EXPECT_EQ(a.name, "huge.F00");
    EXPECT_EQ(c.name, "huge.F00_1");
    EXPECT_EQ(a.material, "MAT0000");
    EXPECT_EQ(c.material, "MAT0000");
    EXPECT_LE(a.points.size(), 65535u);
    EXPECT_EQ(a.faces.size() + c.faces.size(), size_t(2 * Quads));
    // Every triangle, read back through its mesh's indices, is the one that was sent.
    size_t t = 0;
    for (const Mesh* m : {&a, &c}) {
        ASSERT_EQ(m->uv.size(), m->points.size());
        for (const auto& f : m->faces) {
            int q = int(t / 2);
            TQuadVerts quad = quadAt(float(q % 200), float(q / 200), 0);
            const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (int k = 0; k < 3; ++k) {
                int corner = corners[t % 2][k];
                ASSERT_TRUE(near(m->points[f[k]], quad[corner])) << "triangle " << t;
                ASSERT_NEAR(m->uv[f[k]].Y, unitTexCoords()[corner].Y + float(q), 1e-3f);
            }
            ++t;
        }
    }
}

TEST(ThreeDSExport, MaterialNamesStayUniquePastTenThousand) {
    EXPECT_EQ(T3DSRenderer::materialNameFor(0), "MAT0000");
    EXPECT_EQ(T3DSRenderer::materialNameFor(9999), "MAT9999");
    EXPECT_EQ(T3DSRenderer::materialNameFor(10000), "X000000");
    EXPECT_EQ(T3DSRenderer::materialNameFor(10000 + 36), "X000010");
    std::set<std::string> names;
    for (int32_t n = 0; n < 60000; ++n) {
        std::string s = T3DSRenderer::materialNameFor(n);
        EXPECT_EQ(s.size(), 7u);
        names.insert(s);
    }
    EXPECT_EQ(names.size(), 60000u);
    EXPECT_EQ(T3DSRenderer::materialNameFor(INT32_MAX).size(), 7u);

    // In a file: the 10001st face's material and the mesh that uses it.
    std::string path = scratchPath("many.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.initObject("m");
    for (int f = 0; f < 10001; ++f) {
        r.setColor(ColorF{0, 0, 0, 1});
        r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, false, {});
    }
    r.endObject(1, 1, false);
    r.endRendering();
    const std::string data = takeFile(path);
    Bytes b{data};
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 20002u);
    EXPECT_EQ(readMaterial(b, e[20000]).name, "X000000");
    Mesh last = readMesh(b, e[20001]);
    EXPECT_EQ(last.material, "X000000");
    EXPECT_EQ(last.name, "m.F10000");
}

TEST(ThreeDSExport, CapPrimitiveOpensItsOwnFace) {
    std::string path = scratchPath("cap.3ds");
    T3DSRenderer r;
    r.initRendering(path);
    r.initObject("c");
    r.setTexture(noTexture());
    r.setColor(ColorF{1, 0, 0, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    const Vec3 n{0, 0, -1};
    r.beginPrimitive(PrimTriangleFan);
    for (Vec3 p : {Vec3{0, 0, 0}, Vec3{10, 0, 0}, Vec3{10, 10, 0}, Vec3{0, 10, 0}})
        r.vertex(p, n);
    r.endPrimitive();
    r.endObject(1, 1, false);
    r.endRendering();
    const std::string data = takeFile(path);
    Bytes b{data};
    std::vector<Chunk> e = editEntries(b);
    ASSERT_EQ(e.size(), 4u);
    Mesh cap = readMesh(b, e[3]);
    EXPECT_EQ(cap.name, "c.F01");
    ASSERT_EQ(cap.points.size(), 6u);
    EXPECT_TRUE(near(cap.points[1], Vec3{10, 10, 0}));
    EXPECT_TRUE(near(cap.points[4], Vec3{0, 10, 0}));
}

TEST(ThreeDSExport, FailuresAreRendererErrorsAndReleaseTheFile) {
    T3DSRenderer full;
    full.initRendering("/dev/full");
    full.initObject("o");
    full.setColor(ColorF{1, 0, 0, 1});
    full.quads(quadAt(0, 0, 0), false, unitTexCoords());
    full.endObject(1, 1, false);
    try {
        full.endRendering();
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "10: Renderer: Error in 3DS:endRendering No space left on device");
    }
    EXPECT_FALSE(full.outStream.isOpen());

    T3DSRenderer bad;
    try {
        bad.initRendering("/nonexistent-dir/x.3ds");
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("10: Renderer: Error in 3DS:initObject Cannot create "
                                              "file \"/nonexistent-dir/x.3ds\"",
                                              0),
                  0u)
            << e.what();
    }

    // An export freed before endRendering keeps the provisional lengths and releases its file.
    std::string path = scratchPath("early.3ds");
    {
        T3DSRenderer early;
        early.initRendering(path);
        early.initObject("o");
        early.quads(quadAt(0, 0, 0), false, unitTexCoords());
    }
    const std::string data = takeFile(path);
    Bytes b{data};
    ASSERT_EQ(data.size(), 12u + 194u);
    EXPECT_EQ(b.u32(2), 8888u);
    EXPECT_EQ(b.u32(8), 8888u);
}

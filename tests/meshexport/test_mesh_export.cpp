// Tests of the glTF, OBJ and STL exporters: exact STL and OBJ bytes, the GLB container, merged
// corners, left-out faces without area, and files that appear only when the whole export worked.
#include "meshexport/UnTRenderer_Mesh.h"
#include "TestFiles.h"
#include "render_test_util.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <thread>
#include <tuple>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Export folders inside the test's scratch folder, removed with it.
class MeshExportFiles : public ScratchTest {
  protected:
    fs::path freshDir(const std::string& name) const {
        fs::create_directories(dir / name);
        return dir / name;
    }
};

// Turns a quarter about X, then moves 5 along Z: (x, y, z) goes to (x, -z, y + 5).
Matrix4 quarterTurn() {
    Matrix4 m = Matrix4::Identity();
    m.m[5] = 0, m.m[6] = 1, m.m[9] = -1, m.m[10] = 0, m.m[14] = 5;
    return m;
}

TQuadVerts quad(std::initializer_list<Vec3> corners) {
    TQuadVerts q{};
    std::copy(corners.begin(), corners.end(), q.begin());
    return q;
}

// The pipeline with STL or glTF, made without arguments (as exportWith makes its renderer).
struct STLExport : TMeshRenderer {
    STLExport() : TMeshRenderer(newSTLFormat()) {}
};
struct GLTFExport : TMeshRenderer {
    GLTFExport() : TMeshRenderer(std::make_unique<TGLTFFormat>()) {}
    TGLTFFormat& gltf() { return static_cast<TGLTFFormat&>(format()); }
};

// One object: a unit quad, a quad with two equal corners (one triangle left), a quad folded onto a
// line (nothing left) and a cap fan of two triangles facing -Z.
void facesWithDegenerates(TRenderer& r) {
    r.initObject("a");
    r.setColor(ColorF{1, 0, 0, 1});
    plainQuad(r, 0, 0);
    r.quads(quad({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}}), false, unitTexCoords());
    r.quads(quad({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), false, unitTexCoords());
    feed(r, PrimTriangleFan, SquareFan, Vec3{0, 0, -1});
    r.endObject(1, 1, false);
}

} // namespace

TEST(STLExport, PlacedTrianglesWithTheirNormalsAndNoFaceWithoutArea) {
    const std::string path = scratchPath("faces.stl");
    {
        STLExport r;
        r.initRendering(path);
        r.setObjectMatrix(translation(10, 0, 0));
        facesWithDegenerates(r);
        r.setObjectMatrix(quarterTurn());
        r.initObject("b");
        plainQuad(r, 0, 0);
        r.endObject(2, 1, false);
        r.endRendering();
    }
    // Normal, then the three corners, Z up: the world's (x, y, z) is the file's (x, -z, y).
    const std::vector<std::array<float, 12>> expected = {
        {0, -1, 0, 10, 0, 0, 11, 0, 0, 11, 0, 1}, {0, -1, 0, 10, 0, 0, 11, 0, 1, 10, 0, 1},
        {0, -1, 0, 10, 0, 0, 11, 0, 0, 10, 0, 1}, // the second half of the quad with equal corners
        {0, 1, 0, 10, 0, 0, 20, 0, 10, 20, 0, 0}, {0, 1, 0, 10, 0, 0, 10, 0, 10, 20, 0, 10},
        {0, 0, -1, 0, -5, 0, 1, -5, 0, 1, -6, 0}, {0, 0, -1, 0, -5, 0, 1, -6, 0, 0, -6, 0},
    };
    std::string bytes = "Binary STL written by Palvorin";
    bytes.resize(80, ' ');
    char record[50] = {};
    storeU32(record, uint32_t(expected.size()));
    bytes.append(record, 4);
    for (const auto& t : expected) {
        char* at = record;
        for (float v : t)
            at = storeF32(at, v);
        storeU16(at, 0);
        bytes.append(record, 50);
    }
    EXPECT_EQ(takeFile(path), bytes);
}

// The six faces of a unit cube (all of them, or all but the top).
void cube(TRenderer& r, const char* name, bool top) {
    r.initObject(name);
    const Vec3 c[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                       {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int faces[6][4] = {{0, 3, 2, 1}, {0, 1, 5, 4}, {1, 2, 6, 5},
                             {2, 3, 7, 6}, {3, 0, 4, 7}, {4, 5, 6, 7}};
    for (int f = 0; f < (top ? 6 : 5); ++f)
        r.quads(quad({c[faces[f][0]], c[faces[f][1]], c[faces[f][2]], c[faces[f][3]]}), false,
                unitTexCoords());
    r.endObject(1, 1, false);
}

TEST(STLExport, NamesTheObjectsWhoseWeldedSurfaceIsNotClosed) {
    for (bool background : {false, true}) {
        STLExport r;
        r.weldInBackground = background;
        r.initRendering(scratchPath("open.stl"));
        r.setObjectMatrix(Matrix4::Identity());
        for (const char* name : {"box", "lid off", "box", "sheet", "last box"})
            name == std::string("sheet") ? facesWithDegenerates(r)
                                         : cube(r, name, name != std::string("lid off"));
        r.endRendering();
        EXPECT_EQ(r.openObjects(), (std::vector<std::string>{"lid off", "a"}));
    }
}

TEST(STLExport, AFacesNormalIsTheSameAloneOrAmongOthers) {
    // Normals are made unit a block of faces at a time, in the block a face happens to fall in:
    // each face of 61 in one object against the same face alone in an object of its own.
    std::mt19937 rng(16);
    std::uniform_real_distribution<float> coordinate(-500, 500);
    std::vector<TTriVerts> faces(61);
    for (TTriVerts& f : faces)
        for (Vec3& v : f)
            v = Vec3{coordinate(rng), coordinate(rng), coordinate(rng) / 1000};
    const TTriVerts texCoords{};
    const std::string stl = exportWith<STLExport>("normals.stl", [&](STLExport& r) {
        r.setObjectMatrix(Matrix4::Identity());
        r.initObject("all");
        for (const TTriVerts& f : faces)
            r.triangle(f, false, texCoords);
        r.endObject(1, 1, false);
        for (const TTriVerts& f : faces) {
            r.initObject("one");
            r.triangle(f, false, texCoords);
            r.endObject(1, 1, false);
        }
    });
    ASSERT_EQ(stl.size(), 84 + 2 * faces.size() * 50);
    for (size_t i = 0; i < faces.size(); ++i) {
        const std::string together = stl.substr(84 + 50 * i, 12);
        const std::string alone = stl.substr(84 + 50 * (faces.size() + i), 12);
        EXPECT_TRUE(together == alone) << "face " << i;
        float n[3];
        std::memcpy(n, together.data(), sizeof n);
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-6f) << "face " << i;
    }
}

TEST_F(MeshExportFiles, ObjectsRunsMaterialsAndTextureCopiesExactly) {
    const fs::path out = freshDir("obj"), images = freshDir("obj-images");
    std::ofstream(images / "wood.bmp") << "wood pixels";
    std::ofstream(out / "wood.bmp") << "another picture of the same name";
    std::ofstream(out / "marble.bmp") << "marble pixels";
    const TTextureObj wood = texture((images / "wood.bmp").string());
    const TTextureObj marble = texture((out / "marble.bmp").string(), 2);
    const TTextureObj none = texture("", -1);
    const ColorF orange{1, 0.5f, 0, 1}, blue{0, 0, 1, 1};
    {
        TMeshRenderer r(newOBJFormat());
        r.initRendering((out / "scene.obj").string());
        r.setObjectMatrix(translation(10, 0, 0));
        r.initObject("fr\xC3\xA9me"); // names are UTF-8 in memory
        r.setTexture(wood);
        r.setColor(orange);
        r.quads(quadAt(0, 0, 0), true, unitTexCoords()); // corners shared with the next quad
        r.quads(quadAt(1, 0, 0), true, quad({{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}));
        r.setTexture(none);
        r.setColor(blue);
        r.quads(quadAt(0, 1, 0), false, unitTexCoords()); // positions shared with the first run
        r.endObject(1, 1, false);
        r.setObjectMatrix(Matrix4::Identity());
        r.initObject("b");
        r.setTexture(wood);
        r.setColor(orange); // the first object's material again
        r.quads(quadAt(0, 0, 0), true, unitTexCoords());
        r.setTexture(marble);
        r.quads(quadAt(0, 0, 1), true, unitTexCoords());
        r.endObject(2, 1, false);
        r.endRendering();
    }
    EXPECT_EQ(readText(out / "scene.obj"), "# Wavefront OBJ written by Palvorin\r\n"
                                           "mtllib scene.mtl\r\n"
                                           "o fr\xC3\xA9me\r\n"
                                           "v 10.000000 0.000000 0.000000\r\n"
                                           "v 11.000000 0.000000 0.000000\r\n"
                                           "v 11.000000 1.000000 0.000000\r\n"
                                           "v 10.000000 1.000000 0.000000\r\n"
                                           "v 12.000000 0.000000 0.000000\r\n"
                                           "v 12.000000 1.000000 0.000000\r\n"
                                           "v 11.000000 2.000000 0.000000\r\n"
                                           "v 10.000000 2.000000 0.000000\r\n"
                                           "vt 0.000000 0.000000\r\n"
                                           "vt 1.000000 0.000000\r\n"
                                           "vt 1.000000 1.000000\r\n"
                                           "vt 0.000000 1.000000\r\n"
                                           "vt 2.000000 0.000000\r\n"
                                           "vt 2.000000 1.000000\r\n"
                                           "vn 0.000000 0.000000 1.000000\r\n"
                                           "usemtl mat0\r\n"
                                           "f 1/1/1 2/2/1 3/3/1\r\n"
                                           "f 1/1/1 3/3/1 4/4/1\r\n"
                                           "f 2/2/1 5/5/1 6/6/1\r\n"
                                           "f 2/2/1 6/6/1 3/3/1\r\n"
                                           "usemtl mat1\r\n"
                                           "f 4//1 3//1 7//1\r\n"
                                           "f 4//1 7//1 8//1\r\n"
                                           "o b\r\n"
                                           "v 0.000000 0.000000 0.000000\r\n"
                                           "v 1.000000 0.000000 0.000000\r\n"
                                           "v 1.000000 1.000000 0.000000\r\n"
                                           "v 0.000000 1.000000 0.000000\r\n"
                                           "v 0.000000 0.000000 1.000000\r\n"
                                           "v 1.000000 0.000000 1.000000\r\n"
                                           "v 1.000000 1.000000 1.000000\r\n"
                                           "v 0.000000 1.000000 1.000000\r\n"
                                           "vt 0.000000 0.000000\r\n"
                                           "vt 1.000000 0.000000\r\n"
                                           "vt 1.000000 1.000000\r\n"
                                           "vt 0.000000 1.000000\r\n"
                                           "vn 0.000000 0.000000 1.000000\r\n"
                                           "usemtl mat0\r\n"
                                           "f 9/7/2 10/8/2 11/9/2\r\n"
                                           "f 9/7/2 11/9/2 12/10/2\r\n"
                                           "usemtl mat2\r\n"
                                           "f 13/7/2 14/8/2 15/9/2\r\n"
                                           "f 13/7/2 15/9/2 16/10/2\r\n");
    EXPECT_EQ(readText(out / "scene.mtl"), "# Materials of scene.obj, written by Palvorin\r\n"
                                           "newmtl mat0\r\n"
                                           "Kd 1.000000 0.500000 0.000000\r\n"
                                           "map_Kd wood-2.bmp\r\n"
                                           "newmtl mat1\r\n"
                                           "Kd 0.000000 0.000000 1.000000\r\n"
                                           "newmtl mat2\r\n"
                                           "Kd 1.000000 0.500000 0.000000\r\n"
                                           "map_Kd marble.bmp\r\n");
    // The image went beside the file under a free name; the other pictures stayed as they were.
    EXPECT_EQ(fileNames(out), (std::vector<std::string>{"marble.bmp", "scene.mtl", "scene.obj",
                                                        "wood-2.bmp", "wood.bmp"}));
    EXPECT_EQ(readText(out / "wood-2.bmp"), "wood pixels");
    EXPECT_EQ(readText(out / "wood.bmp"), "another picture of the same name");
}

// The description: a node per object with its placement, one material per colour and texture
// across objects, linear colour factors, 16- or 32-bit indices by size.
TEST(GLTFExport, ContainerNodesMaterialsAndIndexWidths) {
    TTextureObj wood = texture(scratchPath("wood.bmp"));
    auto pixels = std::make_shared<TTextureImage>();
    pixels->Width = pixels->Height = 2;
    pixels->Pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    wood.Image = pixels;
    auto scene = [&](TRenderer& r) {
        for (float x : {0.0f, 10.0f}) {
            r.setObjectMatrix(translation(x, 0, 0));
            r.initObject(x == 0 ? "plain \"\xC3\xA9\"" : "moved");
            r.setTexture(wood);
            r.setColor(ColorF{0.5f, 0.5f, 0.5f, 1});
            r.quads(quadAt(0, 0, 0), true, unitTexCoords());
            r.setTexture(texture("", -1));
            plainQuad(r, 5, 5);
            r.endObject(1, 1, false);
        }
        r.setObjectMatrix(Matrix4::Identity());
        r.initObject("big"); // 65536 separate corners: too many for 16-bit indices
        for (int q = 0; q < 16384; ++q)
            plainQuad(r, float(2 * q), 0);
        r.endObject(3, 1, false);
    };
    const std::string glb = exportWith<GLTFExport>("scene.glb", scene);
    // When the binary data goes to the file from the first byte on, the header and the JSON are
    // put before it at the end: the same JSON and binary, the binary starting on a block.
    // The JSON fits in the room left for it, or the file system makes room for the rest.
    const size_t headRoom = TGLTFFormat().headRoom;
    const std::string spilled = exportWith<GLTFExport>("spilled.glb", [&](GLTFExport& r) {
        r.gltf().binaryInMemory = 0;
        scene(r);
    });
    const std::string roomless = exportWith<GLTFExport>("roomless.glb", [&](GLTFExport& r) {
        r.gltf().binaryInMemory = 0;
        r.gltf().headRoom = 0;
        scene(r);
    });
    auto chunks = [](const std::string& file) {
        const size_t jsonLength = readLE(file, 12, 4), binAt = 20 + jsonLength + 8;
        std::string json = file.substr(20, jsonLength);
        json.erase(json.find_last_not_of(' ') + 1);
        return std::tuple(size_t(readLE(file, 8, 4)), json, binAt,
                          file.substr(binAt - 8, 8) + file.substr(binAt));
    };
    const auto [size, json0, binAt, bin] = chunks(glb);
    const auto [spilledSize, spilledJson, spilledBinAt, spilledBin] = chunks(spilled);
    EXPECT_EQ(size, glb.size());
    EXPECT_EQ(spilledSize, spilled.size());
    const auto [roomlessSize, roomlessJson, roomlessBinAt, roomlessBin] = chunks(roomless);
    EXPECT_EQ(spilledBinAt, headRoom);
    EXPECT_EQ(roomlessSize, roomless.size());
    EXPECT_EQ(roomlessBinAt % TGLTFFormat::PrefixAlignment, 0u);
    EXPECT_LT(roomlessBinAt, headRoom);
    EXPECT_LT(binAt - 28 - json0.size(), 4u); // in memory, the JSON is padded to 4 bytes only
    EXPECT_EQ(spilledJson, json0);
    EXPECT_EQ(roomlessJson, json0);
    EXPECT_TRUE(spilledBin == bin);
    EXPECT_TRUE(roomlessBin == bin);
    EXPECT_EQ(spilled.substr(0, 8), glb.substr(0, 8));
    // Into a pipe the binary goes through the scratch file: the same bytes as into a file.
    const std::string pipe = scratchPath("pipe.glb");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string piped;
    std::thread reader([&] {
        std::ifstream in(pipe, std::ios::binary);
        piped.assign(std::istreambuf_iterator<char>(in), {});
    });
    {
        GLTFExport r;
        r.gltf().binaryInMemory = 0;
        r.initRendering(pipe);
        scene(r);
        r.endRendering();
    }
    reader.join();
    EXPECT_TRUE(piped == spilled);
    // The framing, the alignment and the views are the validator's part (tests/tools).
    ASSERT_GT(glb.size(), 20u);
    const std::string json = glb.substr(20, readLE(glb, 12, 4));
    auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = json.find(text); at != std::string::npos; at = json.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("\"mesh\":"), 3u);
    // Millimetres become metres in each node's matrix.
    EXPECT_NE(json.find("{\"name\":\"plain \\\"\xC3\xA9\\\"\",\"mesh\":0,\"matrix\":[0.001,0,0,0,0,"
                        "0.001,0,0,0,0,0.001,0,0,0,0,1]}"),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\":\"moved\",\"mesh\":1,\"matrix\":[0.001,0,0,0,0,0.001,0,0,0,0,"
                        "0.001,0,0.01,0,0,1]}"),
              std::string::npos);
    // Textured grey, plain grey, and the default appearance of "big", which states none.
    EXPECT_EQ(count("\"pbrMetallicRoughness\""), 3u);
    EXPECT_EQ(count("\"baseColorFactor\":[0.21404114048223255,0.21404114048223255,"
                    "0.21404114048223255,1]"),
              2u);
    EXPECT_EQ(count("\"mimeType\":\"image/png\""), 1u);
    EXPECT_EQ(count("\"TEXCOORD_0\""), 2u);
    EXPECT_EQ(count("\"componentType\":5123"), 4u);
    EXPECT_EQ(count("\"componentType\":5125,\"count\":98304"), 1u);
    EXPECT_NE(json.find("\"count\":65536"), std::string::npos);
}

// Whatever stops an export, nothing of it is left: not when the file cannot be made, not when the
// exporter is freed before the end, not when OBJ cannot copy an image; earlier files stay.
TEST_F(MeshExportFiles, FailedOrUnfinishedExportsLeaveNoFileAndKeepOldOnes) {
    const fs::path out = freshDir("failures");
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<TRenderer>()>>> kinds = {
        {"glb", [] { return std::make_unique<GLTFExport>(); }},
        {"obj", [] { return std::make_unique<TMeshRenderer>(newOBJFormat()); }},
        {"stl", [] { return std::make_unique<STLExport>(); }},
    };
    for (const auto& kind : kinds) {
        // Plain references: lambdas of clang 14 cannot capture structured bindings.
        const char* const ext = kind.first;
        const auto& make = kind.second;
        SCOPED_TRACE(ext);
        const std::string target = (out / "out.").string() + ext;
        std::ofstream(target) << "old";
        std::ofstream(out / "out.mtl") << "old";

        EXPECT_EQ(errorOf([&] { make()->initRendering("/nonexistent-dir/out.x"); }),
                  "Cannot create file \"/nonexistent-dir/out.x\": No such file or directory");
        // A device: glTF and STL write through it, OBJ refuses (its companions have no folder).
        const std::string device = errorOf([&] {
            auto r = make();
            r->initRendering("/dev/null");
            r->endRendering();
        });
        EXPECT_EQ(device, std::string(ext) == "obj"
                              ? "Cannot create file \"/dev/null\": an OBJ export writes its "
                                "material library and images beside it, so it needs a plain file"
                              : "no error");
        EXPECT_FALSE(fs::exists("/dev/null.mtl"));
        {
            auto r = make();
            r->initRendering(target);
            facesWithDegenerates(*r);
        }
        EXPECT_EQ(readText(target), "old");
        std::vector<std::string> files = {"out.mtl", fs::path(target).filename()};
        std::sort(files.begin(), files.end());
        EXPECT_EQ(fileNames(out), files);
        fs::remove(target);
    }

    // An image that went missing after loading: the OBJ export stops before writing anything
    // (an object is written once the next one ends, or at the end).
    auto r = kinds[1].second();
    r->initRendering((out / "out.obj").string());
    r->initObject("a");
    r->setTexture(texture((out / "gone.bmp").string()));
    r->quads(quadAt(0, 0, 0), true, unitTexCoords());
    const std::string message = errorOf([&] {
        r->endObject(1, 1, false);
        r->endRendering();
    });
    EXPECT_EQ(
        message.rfind("renderer: 10: Renderer: Error in OBJ:endObject Cannot read texture", 0), 0u)
        << message;
    EXPECT_EQ(fileNames(out), std::vector<std::string>{"out.mtl"});
    EXPECT_EQ(readText(out / "out.mtl"), "old");

    // A material library that cannot replace what has its name: the image copy goes away again.
    fs::remove(out / "out.mtl");
    std::ofstream(out / "gone.bmp") << "back";
    fs::create_directory(out / "elsewhere");
    fs::rename(out / "gone.bmp", out / "elsewhere" / "gone.bmp");
    r = kinds[1].second();
    r->initRendering((out / "out.obj").string());
    fs::create_directory(out / "out.mtl"); // after the library was staged
    r->initObject("a");
    r->setTexture(texture((out / "elsewhere" / "gone.bmp").string()));
    r->quads(quadAt(0, 0, 0), true, unitTexCoords());
    r->endObject(1, 1, false);
    EXPECT_EQ(errorOf([&] { r->endRendering(); }),
              "renderer: 10: Renderer: Error in OBJ:endRendering Cannot replace file \"" +
                  (out / "out.mtl").string() + "\": Is a directory");
    EXPECT_EQ(fileNames(out), (std::vector<std::string>{"elsewhere", "out.mtl"}));
}

// A format that records what the pipeline asks of it: each object's record filled by both parts of
// prepare (and on which threads), the objects written in order, and whether a write was still
// running when the format went.
struct RecordingFormat : TMeshFormat {
    struct Record : TMeshFormatState {
        std::string parts[2];
        std::thread::id threads[2];
    };
    RecordingFormat(std::vector<std::string>& log, std::atomic<bool>& writing, const char* fault)
        : TMeshFormat("Recording"), log(log), writing(writing), fault(fault) {}
    ~RecordingFormat() override { log.push_back(writing ? "freed while writing" : "freed"); }
    int prepareParts() const override { return 2; }
    std::unique_ptr<TMeshFormatState> newState() const override {
        return std::make_unique<Record>();
    }
    void begin(const std::string&, TStagedFiles&) override { log.push_back("begin"); }
    void prepare(const TMeshObject& object, TMeshFormatState& state, int part) override {
        auto& record = static_cast<Record&>(state);
        record.parts[part] = object.Name;
        record.threads[part] = std::this_thread::get_id();
    }
    void writeObject(const TMeshObject& object) override {
        writing = true;
        const auto& record = static_cast<const Record&>(*object.Prepared);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // still writing when freed
        writing = false;
        if (object.Name == fault) throw std::runtime_error("boom");
        log.push_back(object.Name + ":" + record.parts[0] + "," + record.parts[1] +
                      (record.threads[0] != record.threads[1] ? " apart" : " together"));
    }
    void finish(TStagedFiles&) override { log.push_back("finish"); }
    void abandon() noexcept override { log.push_back("abandon"); }

    std::vector<std::string>& log;
    std::atomic<bool>& writing;
    std::string fault;
};

TEST(MeshPipeline, OwnsTheThreadsAndHandsEachObjectWithItsFormatsRecord) {
    // "big" has 4400 positions: its two parts of prepare run side by side in the background.
    auto run = [](bool background, const char* fault, bool end) {
        std::vector<std::string> log;
        std::atomic<bool> writing{false};
        std::string error;
        {
            TMeshRenderer r(std::make_unique<RecordingFormat>(log, writing, fault));
            r.weldInBackground = background;
            r.initRendering("unused");
            r.setObjectMatrix(Matrix4::Identity());
            error = errorOf([&] {
                for (const char* name : {"small", "big", "last"}) {
                    r.initObject(name);
                    for (int q = 0; q < (name == std::string("big") ? 1100 : 1); ++q)
                        plainQuad(r, float(2 * q), 0);
                    r.endObject(1, 1, false);
                }
                if (end) r.endRendering();
            });
        }
        return std::pair(log, error);
    };
    using Log = std::vector<std::string>;
    const Log whole = {"begin",
                       "small:small,small together",
                       "big:big,big apart",
                       "last:last,last together",
                       "finish",
                       "freed"};
    EXPECT_EQ(run(true, "", true), std::pair(whole, std::string("no error")));
    Log inTurn = whole;
    inTurn[2] = "big:big,big together";
    EXPECT_EQ(run(false, "", true), std::pair(inTurn, std::string("no error")));
    // Freed before its end: the write under way ends before the format goes.
    EXPECT_EQ(run(true, "", false).first,
              (Log{"begin", "small:small,small together", "big:big,big apart", "freed"}));
    // A failed write: the files are abandoned, never finished.
    EXPECT_EQ(run(true, "big", true),
              std::pair(Log{"begin", "small:small,small together", "abandon", "freed"},
                        std::string("renderer: 10: Renderer: Error in Recording:endObject boom")));
}

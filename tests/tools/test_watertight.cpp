// Mesh exports of closed solids (STL, OBJ, glTF, 3MF): every edge shared by exactly two triangles,
// once each way, with bit-identical corners, no triangle without area, wound outwards; STEP
// solids read back valid, of the STL's volume and extent, named and coloured; the
// builders' own faces closed as exactly before any weld; and one appearance for the profile edges
// outside every group in every exporter.
#include "MeshClosure.h"
#include "StepReadBack.h"
#include "export_fixtures.h"

#include "traversal/UnRedraw.h"
#include "render/UnTRenderer_Exporters.h"
#include "meshexport/UnTRenderer_Mesh.h"
#include "meshexport/UnTRenderer_STEP.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>

#include <zlib.h>

using namespace fixtures;

namespace {

// The triangles of an OBJ file, by the positions their "f" lines index.
std::vector<Triangle> readObj(const std::string& path) {
    std::istringstream text(readText(path));
    std::vector<Corner> positions;
    std::vector<Triangle> out;
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "v") {
            Corner p{};
            for (float& c : p) {
                std::string word;
                words >> word;
                std::from_chars(word.data(), word.data() + word.size(), c);
            }
            positions.push_back(p);
        } else if (keyword == "f") {
            Triangle t{};
            for (Corner& c : t) {
                std::string word;
                words >> word;
                size_t index = 0;
                std::from_chars(word.data(), word.data() + word.size(), index);
                c = index >= 1 && index <= positions.size() ? positions[index - 1] : Corner{};
            }
            out.push_back(t);
        }
    }
    return out;
}

// The named entry of a ZIP package (stored or deflated, sizes in its local header); empty when
// missing or damaged.
std::string zipEntry(const Bytes& zip, const std::string& name) {
    for (size_t at = 0; at + 30 <= zip.size() && readLE(zip, at, 4) == 0x04034b50;) {
        const uint32_t method = readLE(zip, at + 8, 2), packed = readLE(zip, at + 18, 4),
                       size = readLE(zip, at + 22, 4), nameLength = readLE(zip, at + 26, 2);
        const size_t data = at + 30 + nameLength + readLE(zip, at + 28, 2);
        if (data + packed > zip.size()) break;
        if (std::string(zip.begin() + long(at) + 30, zip.begin() + long(at + 30 + nameLength)) ==
            name) {
            std::string out(size, '\0');
            if (method == 0 && packed == size) {
                std::memcpy(out.data(), &zip[data], size);
                return out;
            }
            z_stream z{};
            z.next_in = const_cast<Bytef*>(&zip[data]);
            z.avail_in = packed;
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = size;
            const bool ok = method == 8 && inflateInit2(&z, -MAX_WBITS) == Z_OK &&
                            inflate(&z, Z_FINISH) == Z_STREAM_END && z.total_out == size;
            inflateEnd(&z);
            return ok ? out : std::string();
        }
        at = data + packed;
    }
    return {};
}

// The triangles of a 3MF package's model part, by the vertices their corners index, object by
// object in the objects' own coordinates (the build's placements are rigid).
std::vector<Triangle> read3mf(const std::string& path) {
    const std::string model = zipEntry(readBytes(path), "3D/3dmodel.model");
    auto attribute = [&](size_t tag, size_t end, const char* name, auto& value) {
        const size_t at = model.find(std::string(" ") + name + "=\"", tag);
        if (at >= end) return false;
        const char* first = model.data() + at + std::strlen(name) + 3;
        return std::from_chars(first, model.data() + end, value).ec == std::errc();
    };
    std::vector<Corner> vertices;
    std::vector<Triangle> out;
    for (size_t tag = model.find('<'); tag != std::string::npos; tag = model.find('<', tag + 1)) {
        const size_t end = model.find('>', tag);
        if (end == std::string::npos) break;
        if (model.compare(tag, 8, "<object ") == 0) {
            vertices.clear();
        } else if (model.compare(tag, 8, "<vertex ") == 0) {
            Corner p{};
            const bool ok = attribute(tag, end, "x", p[0]) && attribute(tag, end, "y", p[1]) &&
                            attribute(tag, end, "z", p[2]);
            vertices.push_back(ok ? p : Corner{NAN, NAN, NAN});
        } else if (model.compare(tag, 10, "<triangle ") == 0) {
            Triangle t{};
            size_t v[3] = {SIZE_MAX, SIZE_MAX, SIZE_MAX};
            for (int k = 0; k < 3; ++k) {
                attribute(tag, end, k == 0 ? "v1" : k == 1 ? "v2" : "v3", v[k]);
                t[k] = v[k] < vertices.size() ? vertices[v[k]] : Corner{};
            }
            out.push_back(t);
        }
    }
    return out;
}

// The glTF exporter with the runs of every object kept as it writes them: their corners, placed.
class KeptGLTF : public TGLTFFormat {
  public:
    std::vector<Triangle> triangles;
    std::vector<std::pair<ColorF, size_t>> colours; // colour and triangle count of each run

    void writeObject(const TMeshObject& object) override {
        for (const TMeshRun& run : object.Runs) {
            for (size_t i = 0; i + 2 < run.Indices.size(); i += 3) {
                Triangle t;
                for (int k = 0; k < 3; ++k) {
                    const uint32_t position = run.PositionIds[run.Indices[i + k]];
                    const Vec3 p = placePoint(object.Matrix, object.Points[position].data());
                    t[k] = {p.X, p.Y, p.Z};
                }
                triangles.push_back(t);
            }
            colours.emplace_back(run.Color, run.Indices.size() / 3);
        }
        TGLTFFormat::writeObject(object);
    }
};

class MeshExport : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        clearListRegistry();
        clearTextureTable();
    }
    void TearDown() override {
        setCurrentRenderer(nullptr);
        clearListRegistry();
        ScratchTest::TearDown();
    }
    // Exports the document through renderer to name; the renderer stays current.
    // Exports doc with the pipeline and a format F; returns the format, alive until the next
    // export.
    template <class F = TMeshFormat>
    F* exportAs(std::unique_ptr<TExtrObjList> doc, const std::string& name,
                std::unique_ptr<F> format = std::make_unique<F>()) {
        F* f = format.get();
        setCurrentRenderer(std::make_unique<TMeshRenderer>(std::move(format)));
        redrawDocument(*doc, -1, file(name));
        return f;
    }
};

using Points = std::initializer_list<std::pair<int, int>>;

std::unique_ptr<TExtrObj> sweep(Points profile, Points path, bool closed, bool round,
                                bool embedded) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("solid");
    object->ProfileCount = setOutline(object->Profile.data(), profile);
    object->PathCount = setOutline(object->Path.data(), path);
    object->SetPathClosed(closed);
    object->SetRoundCorner(round);
    object->SetEmbCorner(embedded);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    object->SetPrecision(3);
    object->SetPosition(Vec3{12.5f, -3, 40});
    object->SetRotation(Vec3{10, 35, 0});
    return object;
}

// A profile drawn counter-clockwise and one drawn clockwise, both closed by repeating their start.
const Points Square{{-10, -10}, {10, -10}, {10, 10}, {-10, 10}, {-10, -10}};
const Points Star{{0, 30},    {7, 9},    {29, 9},  {11, -4}, {18, -24}, {0, -12},
                  {-18, -24}, {-11, -4}, {-29, 9}, {-7, 9},  {0, 30}};

// An open path of two legs of 100 turning by angle degrees at the middle.
std::unique_ptr<TExtrObj> turn(int angle, bool round, bool embedded, Points profile = Square) {
    const double a = angle * 3.14159265358979 / 180;
    const int x = int(std::lround(100 * std::sin(a))),
              y = int(std::lround(100 + 100 * std::cos(a)));
    auto object = sweep(profile, {{0, 0}, {0, 100}, {0, 100}}, false, round, embedded);
    object->Path[2].X = x;
    object->Path[2].Y = y;
    return object;
}

std::unique_ptr<TExtrObj> zigzag(bool round, bool embedded, Points profile) {
    return sweep(profile, {{0, 0}, {80, 40}, {20, 90}, {130, 110}, {60, 200}, {75, 260}}, false,
                 round, embedded);
}

std::unique_ptr<TExtrObj> frame(bool round, bool embedded, Points profile = Square) {
    return sweep(profile, {{0, 0}, {150, 0}, {150, 100}, {40, 130}, {0, 0}}, true, round, embedded);
}

// A closed path whose first vertex lies on the line from the last but one to the second.
const Points StraightOnRing{{30, 10}, {130, 70}, {150, 150}, {-20, 120}, {-70, -50}, {30, 10}};

std::unique_ptr<TExtrObj> lathe(Points profile, int steps) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("lathe");
    object->ProfileCount = setOutline(object->Profile.data(), profile);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    object->SetLathe(true);
    object->MakeCirclePath(object->NormalizeLatheProfile(), steps);
    object->SetPosition(Vec3{-7, 2, 3});
    return object;
}

// The bench's solid: a gear of n vertices (the last repeating the first) swept mitred along a wavy
// closed ring path of n.
std::unique_ptr<TExtrObj> gearRing(int n, int precision) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("gear");
    auto at = [](double a, double r) {
        return std::pair<int, int>(int(std::lround(r * std::cos(a))),
                                   int(std::lround(r * std::sin(a))));
    };
    for (int i = 0; i + 1 < n; ++i) {
        const double a = 2 * M_PI * i / (n - 1);
        setOutline(object->Profile.data() + i, {at(a, (i / 2) % 2 == 0 ? 40 : 30)});
        setOutline(object->Path.data() + i, {at(a, 300 + 15 * std::sin(5 * a))});
    }
    object->Profile[n - 1] = object->Profile[0];
    object->Path[n - 1] = object->Path[0];
    object->ProfileCount = object->PathCount = n;
    object->SetPathClosed(true);
    object->SetPrecision(precision);
    return object;
}

// A path of heights: a helix of radius 80 rising 60 a turn in 12 steps, or a closed ring of 16
// tilted across x.
std::unique_ptr<TExtrObj> rising(bool helix, bool round, bool embedded) {
    auto object = sweep(Square, {}, !helix, round, embedded);
    object->PathCount = helix ? 25 : 17;
    for (int i = 0; i < object->PathCount; ++i) {
        const double a = 2 * M_PI * i / (helix ? 12 : 16);
        const int x = int(std::lround(80 * std::cos(a))), y = int(std::lround(80 * std::sin(a)));
        setOutline(object->Path.data() + i, {{x, y}});
        object->PathHeight[size_t(i)] = helix ? 5.0f * float(i) : float(0.4 * x + 20);
    }
    return object;
}

struct Case {
    const char* name;
    std::function<std::unique_ptr<TExtrObj>()> make;
    // Whether the builders alone close it exactly; the weld mends the others: at a round corner
    // the inner corner of a section lies on the line of the ring (a band triangle without area and
    // a T-junction), and the star's caps meet its clockwise sides the same way round and have
    // collinear outline corners filled with a triangle without area.
    bool exact = true;
    const char* example = nullptr; // a document of examples/ instead
};

std::unique_ptr<TExtrObjList> document(const Case& c) {
    if (!c.example) return makeDoc("", c.make());
    auto doc = std::make_unique<TExtrObjList>();
    doc->LoadFromFile(std::string(PALVORIN_SOURCE_DIR "/examples/") + c.example, nullptr);
    return doc;
}

const Case Cases[] = {
    {"mitred 30", [] { return turn(30, false, false); }},
    {"mitred 90", [] { return turn(90, false, false); }},
    {"mitred 150", [] { return turn(150, false, false); }},
    {"round 30", [] { return turn(30, true, false); }, false},
    {"round 90", [] { return turn(90, true, false); }, false},
    {"round 150", [] { return turn(150, true, false); }, false},
    // A round corner exact: the profile's widest corners lie outside the turn.
    {"round 90 widest outside",
     [] {
         return turn(90, true, false, {{-10, -10}, {5, -10}, {5, 10}, {-10, 10}, {-10, -10}});
     }},
    {"embedded 30", [] { return turn(30, false, true); }},
    {"embedded 90", [] { return turn(90, false, true); }},
    {"embedded 150", [] { return turn(150, false, true); }},
    {"embedded round 90", [] { return turn(90, true, true); }, false},
    {"star mitred 90", [] { return turn(90, false, false, Star); }, false},
    {"star embedded 150", [] { return turn(150, false, true, Star); }, false},
    {"zig-zag round", [] { return zigzag(true, false, Square); }, false},
    {"zig-zag embedded", [] { return zigzag(false, true, Star); }, false},
    {"zig-zag embedded round", [] { return zigzag(true, true, Square); }, false},
    {"frame mitred", [] { return frame(false, false); }},
    {"frame round", [] { return frame(true, false); }, false},
    {"frame embedded", [] { return frame(false, true); }},
    {"star frame mitred", [] { return frame(false, false, Star); }},
    {"star frame embedded", [] { return frame(false, true, Star); }},
    {"gear on a wavy ring", [] { return gearRing(48, 2); }},
    // Paths that go straight on at a vertex, in the middle and where a closed one closes.
    {"straight on, open",
     [] {
         return sweep(Square, {{0, 0}, {40, 30}, {80, 60}, {20, 150}}, false, false, false);
     }},
    {"straight on, closed", [] { return sweep(Square, StraightOnRing, true, false, false); }},
    {"straight on, embedded", [] { return sweep(Star, StraightOnRing, true, false, true); }},
    // Sharp turns and long segments heading nearly along x, where the table-interpolated angles
    // put the corners that meet farthest apart.
    {"sharp turns, closed",
     [] {
         return sweep(Square, {{235, 42}, {329, 394}, {19, 208}, {155, 43}, {235, 42}}, true, false,
                      false);
     }},
    {"sharp closing turn, trimmed short before it",
     [] {
         return sweep(
             Square,
             {{273, 67}, {81, 234}, {52, 387}, {255, 316}, {204, 270}, {90, 180}, {273, 67}}, true,
             false, false);
     }},
    {"sharp turns, embedded",
     [] {
         return sweep(Square, {{365, 257}, {41, 129}, {280, 131}, {80, 34}}, false, false, true);
     }},
    // A cup whose outline runs along the axis, and a diamond touching it at one point.
    {"lathe cup 3",
     [] {
         return lathe({{0, 0}, {30, 0}, {40, 50}, {0, 50}, {0, 0}}, 3);
     }},
    {"lathe cup 72",
     [] {
         return lathe({{0, 0}, {30, 0}, {40, 50}, {0, 50}, {0, 0}}, 72);
     }},
    {"lathe diamond 72",
     [] {
         return lathe({{0, 20}, {20, 0}, {40, 20}, {20, 40}, {0, 20}}, 72);
     }},
    {"lathe ring 72",
     [] {
         return lathe({{20, 0}, {35, 0}, {35, 10}, {20, 10}, {20, 0}}, 72);
     }},
    {"helix mitred", [] { return rising(true, false, false); }},
    {"helix round", [] { return rising(true, true, false); }, false},
    {"helix embedded", [] { return rising(true, false, true); }},
    {"tilted ring mitred", [] { return rising(false, false, false); }},
    {"tilted ring embedded", [] { return rising(false, false, true); }},
    {"example frame", nullptr, true, "frame.PLV"},
    {"example moulding", nullptr, true, "moulding.PLV"},
    {"example vase", nullptr, true, "vase.PLV"},
};

// The faces of each object as the builders hand them over, before any weld: a quad as the
// triangles 0 1 2 and 0 2 3, those without area left out as the mesh exporters leave them out.
class CapturedFaces : public TRenderer {
  public:
    std::vector<std::pair<std::string, std::vector<Triangle>>> objects;

    void initObject(const std::string& name) override { objects.push_back({name, {}}); }
    void quads(const TQuadVerts& v, bool, const TQuadVerts&) override {
        add(v[0], v[1], v[2]);
        add(v[0], v[2], v[3]);
    }
    void triangle(const TTriVerts& v, bool, const TTriVerts&) override { add(v[0], v[1], v[2]); }
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override {
        bufferTexturedVertex(vertex, texCoord, normal);
    }

  private:
    void add(const Vec3& a, const Vec3& b, const Vec3& c) {
        double n[3];
        if (objects.empty() || !faceNormal(a, b, c, n)) return;
        auto corner = [](const Vec3& p) { return Corner{p.X + 0.0f, p.Y + 0.0f, p.Z + 0.0f}; };
        objects.back().second.push_back({corner(a), corner(b), corner(c)});
    }
};

} // namespace

TEST_F(MeshExport, ClosedProfilesGiveWatertightSolidsInEveryMeshFormat) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        exportAs(document(c), "solid.stl", newSTLFormat());
        EXPECT_EQ(watertightFaults(readStlTriangles(file("solid.stl"))), "");
        exportAs(document(c), "solid.obj", newOBJFormat());
        EXPECT_EQ(watertightFaults(readObj(file("solid.obj"))), "");
        const KeptGLTF* gltf = exportAs<KeptGLTF>(document(c), "solid.glb");
        EXPECT_EQ(watertightFaults(gltf->triangles), "");
        use3MFRenderer();
        redrawDocument(*document(c), -1, file("solid.3mf"));
        setCurrentRenderer(nullptr);
        EXPECT_EQ(watertightFaults(read3mf(file("solid.3mf"))), "");
    }
}

// The builders already hand every shared corner over with the same bits, so that the exporters'
// weld finds nothing to mend.
TEST_F(MeshExport, BuildersCloseEverySolidExactly) {
    for (const Case& c : Cases) {
        if (!c.exact) continue;
        SCOPED_TRACE(c.name);
        auto doc = document(c);
        auto renderer = std::make_unique<CapturedFaces>();
        const CapturedFaces& captured = *renderer;
        setCurrentRenderer(std::move(renderer));
        redrawDocument(*doc, -1, "");
        ASSERT_EQ(captured.objects.size(), size_t(doc->Count()));
        for (int i = 0; i < doc->Count(); ++i) {
            if (!objectIsSolid(doc->Items(i))) continue;
            EXPECT_EQ(watertightFaults(captured.objects[size_t(i)].second, false), "")
                << captured.objects[size_t(i)].first;
        }
    }
}

// Where the widest point of a profile is a single corner, the corner bands of a round corner fold
// round it from both sides and touch along one edge: four triangles there, paired two by two, and
// the solid is still wound outwards.
TEST_F(MeshExport, RoundCornerFoldsTouchAlongOneEdgeOfAnOutwardSolid) {
    exportAs(makeDoc("", turn(90, true, false, Star)), "folds.stl", newSTLFormat());
    EXPECT_EQ(watertightFaults(readStlTriangles(file("folds.stl"))),
              "2 edges run the same way twice; ");
}

// The L-turn with a green start cap, a red end cap and blue corners and no edge group: the sides
// take the default grey in both legs, in the mesh runs and in the VRML shapes alike.
TEST_F(MeshExport, EdgesOutsideEveryGroupTakeTheDefaultAppearanceInEveryExporter) {
    auto lTurn = [] {
        auto object = turn(90, false, false);
        object->SetTopColor(0x00FF00);
        object->SetBottomColor(0x0000FF);
        object->SetCornersColor(0xFF0000);
        return object;
    };
    const KeptGLTF* gltf = exportAs<KeptGLTF>(makeDoc("", lTurn()), "l.glb");
    std::map<std::array<float, 3>, size_t> triangles;
    for (const auto& [color, count] : gltf->colours)
        triangles[{color.R, color.G, color.B}] += count;
    const float g = DefaultFaceColor.R;
    // 2 legs x 4 sides x 3 slices x 2; the 4 band quads outside the mitre x 2; two caps of 2.
    EXPECT_EQ(triangles, (std::map<std::array<float, 3>, size_t>{
                             {{g, g, g}, 48}, {{0, 1, 0}, 2}, {{1, 0, 0}, 2}, {{0, 0, 1}, 8}}));

    // Each VRML shape's colour and face count.
    setCurrentRenderer(std::make_unique<TVRMLRenderer>());
    redrawDocument(*makeDoc("", lTurn()), -1, file("l.wrl"));
    const std::string wrl = readText(file("l.wrl"));
    std::vector<std::pair<std::string, int>> shapes;
    for (size_t at = wrl.find("diffuseColor "); at != std::string::npos;
         at = wrl.find("diffuseColor ", at + 1)) {
        const size_t end = wrl.find(" \r\n", at);
        const size_t next = wrl.find("diffuseColor ", at + 1);
        const std::string body = wrl.substr(at, next == std::string::npos ? next : next - at);
        int faces = 0;
        for (size_t f = body.find(" -1 "); f != std::string::npos; f = body.find(" -1 ", f + 1))
            ++faces;
        shapes.emplace_back(wrl.substr(at + 13, end - at - 13), faces);
    }
    const std::string grey = "0.600000 0.600000 0.600000";
    // Per leg 4 sides x 3 slices; the caps' two triangles; the 8 band quads as built.
    EXPECT_EQ(shapes,
              (std::vector<std::pair<std::string, int>>{{grey, 12},
                                                        {"0.000000 1.000000 0.000000", 2},
                                                        {"0.000000 0.000000 1.000000", 8},
                                                        {grey, 12},
                                                        {"1.000000 0.000000 0.000000", 2}}));
}

// Objects are welded on a second thread while the next is built, and the sides come with their
// grid points' numbers; the files are the same bytes as when each object is welded in turn from
// loose quads, objects in document order. The document mixes solids whose corners already meet
// with ones the weld must mend, an open profile, a profile corner drawn twice, a lathe pinched
// on its axis and a solid large enough for OBJ to number its positions on a thread of their own.
TEST_F(MeshExport, WeldingInTheBackgroundFromGridsWritesTheSameBytes) {
    auto bytesOf = [&](std::unique_ptr<TMeshFormat> format, const std::string& name, bool fast) {
        auto renderer = std::make_unique<TMeshRenderer>(std::move(format));
        renderer->weldInBackground = renderer->keepGridNumbers = fast;
        setCurrentRenderer(std::move(renderer));
        redrawDocument(
            *makeDoc("", frame(false, false), turn(90, true, false, Star),
                     // corner bands through the turn's axis, where ring and ends meet
                     turn(90, true, false, {{0, -10}, {10, 0}, {0, 10}, {-10, 0}, {0, -10}}),
                     zigzag(false, true, Star),
                     turn(90, false, false,
                          {{-10, -10}, {10, -10}, {10, -10}, {10, 10}, {-10, 10}, {-10, -10}}),
                     lathe({{0, 0}, {30, 0}, {40, 50}, {0, 50}, {0, 0}}, 72),
                     lathe({{0, 0}, {30, 0}, {0, 25}, {30, 50}, {0, 50}, {0, 0}}, 9),
                     lathe({{20, 0}, {35, 0}, {35, 10}}, 12), gearRing(33, 6)),
            -1, file(name));
        setCurrentRenderer(nullptr);
        return readBytes(file(name));
    };
    const Bytes stl = bytesOf(newSTLFormat(), "all.stl", false);
    ASSERT_GT(stl.size(), 84u);
    EXPECT_EQ(readLE(stl, 80, 4), (stl.size() - 84) / 50);
    EXPECT_EQ(stl, bytesOf(newSTLFormat(), "all.stl", true));
    EXPECT_EQ(bytesOf(newOBJFormat(), "all.obj", false), bytesOf(newOBJFormat(), "all.obj", true));
    EXPECT_EQ(bytesOf(std::make_unique<TGLTFFormat>(), "all.glb", false),
              bytesOf(std::make_unique<TGLTFFormat>(), "all.glb", true));
}

// The facets the view draws (quad and triangle calls) per object, and the colours they take.
class DrawnFacets : public TRenderer {
  public:
    struct Object {
        size_t facets = 0;
        std::vector<ColorF> colours;
    };
    std::vector<Object> objects;

    void initObject(const std::string&) override {
        objects.emplace_back();
        colour_ = DefaultFaceColor;
    }
    void setColor(ColorF colour) override { colour_ = colour; }
    void quads(const TQuadVerts&, bool, const TQuadVerts&) override { add(); }
    void triangle(const TTriVerts&, bool, const TTriVerts&) override { add(); }
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override {
        bufferTexturedVertex(vertex, texCoord, normal);
    }

  private:
    void add() {
        Object& o = objects.back();
        ++o.facets;
        if (std::none_of(o.colours.begin(), o.colours.end(),
                         [&](const ColorF& c) { return std::memcmp(&c, &colour_, sizeof c) == 0; }))
            o.colours.push_back(colour_);
    }
    ColorF colour_ = DefaultFaceColor;
};

// Each closed object becomes one valid solid of planar faces, no more faces than the view draws
// facets, named as the object and every face coloured as drawn; together they hold the STL's
// volume and its extent, Z up. (The bench's gear, thousands of faces, is the bench's.)
TEST_F(MeshExport, ClosedProfilesGiveValidStepSolidsOfTheStlVolumeAndExtent) {
    for (const Case& c : Cases) {
        if (std::string_view(c.name) == "gear on a wavy ring") continue;
        SCOPED_TRACE(c.name);
        exportAs(document(c), "solid.stl", newSTLFormat());
        setCurrentRenderer(nullptr);
        double stlVolume = 0;
        std::array<double, 6> yUp{1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
        for (const Triangle& t : readStlTriangles(file("solid.stl"))) {
            const Corner &a = t[0], &b = t[1], &d = t[2];
            stlVolume += (double(a[0]) * (double(b[1]) * d[2] - double(b[2]) * d[1]) -
                          double(a[1]) * (double(b[0]) * d[2] - double(b[2]) * d[0]) +
                          double(a[2]) * (double(b[0]) * d[1] - double(b[1]) * d[0])) /
                         6;
            for (const Corner& p : t)
                for (size_t k = 0; k < 3; ++k) {
                    yUp[k] = std::min(yUp[k], double(p[k]));
                    yUp[k + 3] = std::max(yUp[k + 3], double(p[k]));
                }
        }
        // The STL's extent Z up (its y becomes z, its z becomes -y), unless it is Z up itself.
        const std::array<double, 6> zUp{yUp[0], -yUp[5], yUp[1], yUp[3], -yUp[2], yUp[4]};

        auto doc = document(c);
        auto drawing = std::make_unique<DrawnFacets>();
        const DrawnFacets& drawnNow = *drawing;
        setCurrentRenderer(std::move(drawing));
        redrawDocument(*doc, -1, "");
        const DrawnFacets drawn = drawnNow;
        useSTEPRenderer();
        redrawDocument(*doc, -1, file("solid.step"));
        setCurrentRenderer(nullptr);
        for (const TStepShellObject& shell : stepShellObjects())
            ADD_FAILURE() << shell.Name << " is a shell: " << shell.Reason;

        const std::vector<StepShape> shapes = readStepShapes(file("solid.step"));
        ASSERT_EQ(shapes.size(), size_t(doc->Count()));
        double volume = 0;
        std::array<double, 6> box{1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
        for (size_t i = 0; i < shapes.size(); ++i) {
            const StepShape& s = shapes[i];
            SCOPED_TRACE(s.Name);
            EXPECT_EQ(s.Name, doc->Items(int(i)).Name);
            EXPECT_TRUE(s.Solid && s.Valid);
            EXPECT_LE(s.Faces, drawn.objects[i].facets);
            EXPECT_EQ(s.ColouredFaces, s.Faces);
            EXPECT_EQ(s.Colours.size(), drawn.objects[i].colours.size());
            for (const ColorF& d : drawn.objects[i].colours)
                EXPECT_TRUE(std::any_of(s.Colours.begin(), s.Colours.end(),
                                        [&](const auto& k) {
                                            return std::abs(k[0] - d.R) + std::abs(k[1] - d.G) +
                                                       std::abs(k[2] - d.B) <
                                                   1e-3f;
                                        }))
                    << d.R << " " << d.G << " " << d.B;
            volume += s.Volume;
            for (size_t k = 0; k < 3; ++k) {
                box[k] = std::min(box[k], s.Box[k]);
                box[k + 3] = std::max(box[k + 3], s.Box[k + 3]);
            }
        }
        EXPECT_NEAR(volume, stlVolume, 1e-6 * stlVolume);
        auto within = [&](const std::array<double, 6>& expected) {
            for (size_t k = 0; k < 6; ++k)
                if (std::abs(box[k] - expected[k]) > 1e-6) return false;
            return true;
        };
        EXPECT_TRUE(within(zUp) || within(yUp)) << box[0] << " " << box[1] << " " << box[2] << " "
                                                << box[3] << " " << box[4] << " " << box[5];
    }
}

// Faces that make no valid solid (a path that folds back on itself, a profile crossing itself
// although its faces close) are written as a shell, and the object is named with the reason.
TEST_F(MeshExport, StepWritesAnObjectWhoseFacesMakeNoSolidAsANamedShell) {
    const Points BowTie{{-10, -10}, {10, 10}, {10, -10}, {-10, 10}, {-10, -10}};
    // A notch from the top whose tip touches the bottom.
    const Points Notch{{-10, -10}, {10, -10}, {10, 10},  {1, 10},
                       {0, -10},   {-1, 10},  {-10, 10}, {-10, -10}};
    struct {
        std::unique_ptr<TExtrObj> object;
        const char* reason;
    } cases[] = {
        {sweep(Square, {{0, 0}, {0, 100}, {0, 40}}, false, false, false), "its faces leave gaps"},
        {sweep(BowTie, {{0, 0}, {0, 100}}, false, false, false),
         "its faces do not make a valid solid"},
        {sweep(Notch, {{0, 0}, {0, 100}}, false, false, false), "its profile crosses itself"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.reason);
        useSTEPRenderer();
        redrawDocument(*makeDoc("", std::move(c.object)), -1, file("bad.step"));
        setCurrentRenderer(nullptr);
        ASSERT_EQ(stepShellObjects().size(), 1u);
        EXPECT_EQ(stepShellObjects()[0].Name, "solid");
        EXPECT_EQ(stepShellObjects()[0].Reason, c.reason);
        const std::vector<StepShape> shapes = readStepShapes(file("bad.step"));
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_FALSE(shapes[0].Solid);
        EXPECT_EQ(shapes[0].Name, "solid");
    }
}

// An export stopped through its progress report leaves no file, and the file it would have
// replaced stays as it was; one not stopped is told every face.
TEST_F(MeshExport, StepExportStoppedThroughItsProgressLeavesTheEarlierFile) {
    const Bytes earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    write("kept.step", earlier);
    size_t last = 0, total = 0;
    for (const bool stop : {true, false}) {
        setStepProgress([&](size_t done, size_t all) {
            last = done;
            total = all;
            return !stop;
        });
        useSTEPRenderer();
        redrawDocument(*makeDoc("", zigzag(false, false, Square)), -1, file("kept.step"));
        setCurrentRenderer(nullptr);
        setStepProgress(nullptr);
        EXPECT_EQ(stepExportCancelled(), stop);
        EXPECT_EQ(readBytes(file("kept.step")) == earlier, stop);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                                std::filesystem::directory_iterator()),
                  1);
    }
    EXPECT_GT(total, 0u);
    EXPECT_EQ(last, total);
}

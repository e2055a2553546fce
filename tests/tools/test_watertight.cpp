// Mesh exports of closed solids (STL, OBJ, glTF, 3MF): every edge shared by exactly two triangles,
// once each way, with bit-identical corners, no triangle without area, wound outwards; and one
// appearance for the profile edges outside every group in every exporter.
#include "export_fixtures.h"

#include "render/UnRedraw.h"
#include "render/UnTRenderer_Exporters.h"
#include "render/UnTRenderer_Mesh.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>

#include <zlib.h>

using namespace fixtures;

namespace {

using Corner = std::array<float, 3>;
using Triangle = std::array<Corner, 3>;

// What keeps triangles from being a closed surface wound outwards; empty when they are one.
std::string watertightFaults(const std::vector<Triangle>& triangles) {
    std::map<std::array<uint32_t, 3>, uint32_t> ids; // corners by their bits
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    int flat = 0;
    double volume = 0; // six times
    for (const Triangle& t : triangles) {
        uint32_t id[3];
        for (int k = 0; k < 3; ++k) {
            std::array<uint32_t, 3> bits;
            std::memcpy(bits.data(), t[k].data(), sizeof bits);
            id[k] = ids.emplace(bits, uint32_t(ids.size())).first->second;
        }
        const Corner &a = t[0], &b = t[1], &c = t[2];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        if (id[0] == id[1] || id[1] == id[2] || id[0] == id[2] ||
            (n[0] == 0 && n[1] == 0 && n[2] == 0))
            ++flat;
        volume += double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
                  double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
                  double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0]);
        for (int k = 0; k < 3; ++k)
            ++directed[{id[k], id[(k + 1) % 3]}];
    }
    int unmatched = 0, sameWay = 0;
    for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        if (count > 1) sameWay += count - 1;
        if (back == directed.end() || back->second != count) ++unmatched;
    }
    std::ostringstream out;
    if (triangles.empty()) out << "no triangles; ";
    if (flat) out << flat << " triangles without area; ";
    if (unmatched) out << unmatched << " edges not shared once each way; ";
    if (sameWay) out << sameWay << " edges run the same way twice; ";
    if (!(volume > 0)) out << "volume " << volume / 6 << " not positive; ";
    return out.str();
}

std::vector<Triangle> readStl(const std::string& path) {
    const Bytes bytes = readBytes(path);
    std::vector<Triangle> out;
    if (bytes.size() < 84) return out;
    const uint32_t count = readLE(bytes, 80, 4);
    for (uint32_t i = 0; i < count && 84 + 50 * size_t(i + 1) <= bytes.size(); ++i) {
        Triangle t;
        std::memcpy(t.data(), &bytes[84 + 50 * size_t(i) + 12], sizeof t);
        out.push_back(t);
    }
    return out;
}

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
class KeptGLTF : public TGLTFRenderer {
  public:
    std::vector<Triangle> triangles;
    std::vector<std::pair<ColorF, size_t>> colours; // colour and triangle count of each run

  protected:
    void writeObject(const TMeshObject& object) override {
        for (const TMeshRun& run : object.Runs) {
            const auto& vertices = run.Vertices;
            for (size_t i = 0; i + 2 < run.Indices.size(); i += 3) {
                Triangle t;
                for (int k = 0; k < 3; ++k) {
                    const Vec3 p = placePoint(object.Matrix, vertices[run.Indices[i + k]].Position);
                    t[k] = {p.X, p.Y, p.Z};
                }
                triangles.push_back(t);
            }
            colours.emplace_back(run.Color, run.Indices.size() / 3);
        }
        TGLTFRenderer::writeObject(object);
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
    // Exports the one object through renderer to name; the renderer stays current.
    template <class R> R* exportAs(std::unique_ptr<TExtrObj> object, const std::string& name) {
        auto doc = makeDoc("", std::move(object));
        auto renderer = std::make_unique<R>();
        R* r = renderer.get();
        setCurrentRenderer(std::move(renderer));
        redrawDocument(*doc, -1, file(name));
        return r;
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

struct Case {
    const char* name;
    std::function<std::unique_ptr<TExtrObj>()> make;
};

const Case Cases[] = {
    {"mitred 30", [] { return turn(30, false, false); }},
    {"mitred 90", [] { return turn(90, false, false); }},
    {"mitred 150", [] { return turn(150, false, false); }},
    {"round 30", [] { return turn(30, true, false); }},
    {"round 90", [] { return turn(90, true, false); }},
    {"round 150", [] { return turn(150, true, false); }},
    {"embedded 30", [] { return turn(30, false, true); }},
    {"embedded 90", [] { return turn(90, false, true); }},
    {"embedded 150", [] { return turn(150, false, true); }},
    {"embedded round 90", [] { return turn(90, true, true); }},
    {"star mitred 90", [] { return turn(90, false, false, Star); }},
    {"star embedded 150", [] { return turn(150, false, true, Star); }},
    {"zig-zag round", [] { return zigzag(true, false, Square); }},
    {"zig-zag embedded", [] { return zigzag(false, true, Star); }},
    {"zig-zag embedded round", [] { return zigzag(true, true, Square); }},
    {"frame mitred", [] { return frame(false, false); }},
    {"frame round", [] { return frame(true, false); }},
    {"frame embedded", [] { return frame(false, true); }},
    {"star frame mitred", [] { return frame(false, false, Star); }},
    {"star frame embedded", [] { return frame(false, true, Star); }},
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
};

} // namespace

TEST_F(MeshExport, ClosedProfilesGiveWatertightSolidsInEveryMeshFormat) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        exportAs<TSTLRenderer>(c.make(), "solid.stl");
        EXPECT_EQ(watertightFaults(readStl(file("solid.stl"))), "");
        exportAs<TOBJRenderer>(c.make(), "solid.obj");
        EXPECT_EQ(watertightFaults(readObj(file("solid.obj"))), "");
        const KeptGLTF* gltf = exportAs<KeptGLTF>(c.make(), "solid.glb");
        EXPECT_EQ(watertightFaults(gltf->triangles), "");
        use3MFRenderer();
        redrawDocument(*makeDoc("", c.make()), -1, file("solid.3mf"));
        setCurrentRenderer(nullptr);
        EXPECT_EQ(watertightFaults(read3mf(file("solid.3mf"))), "");
    }
}

// Where the widest point of a profile is a single corner, the corner bands of a round corner fold
// round it from both sides and touch along one edge: four triangles there, paired two by two, and
// the solid is still wound outwards.
TEST_F(MeshExport, RoundCornerFoldsTouchAlongOneEdgeOfAnOutwardSolid) {
    exportAs<TSTLRenderer>(turn(90, true, false, Star), "folds.stl");
    EXPECT_EQ(watertightFaults(readStl(file("folds.stl"))), "2 edges run the same way twice; ");
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
    const KeptGLTF* gltf = exportAs<KeptGLTF>(lTurn(), "l.glb");
    std::map<std::array<float, 3>, size_t> triangles;
    for (const auto& [color, count] : gltf->colours)
        triangles[{color.R, color.G, color.B}] += count;
    const float g = DefaultFaceColor.R;
    // 2 legs x 4 sides x 3 slices x 2; the 4 band quads outside the mitre x 2; two caps of 2.
    EXPECT_EQ(triangles, (std::map<std::array<float, 3>, size_t>{
                             {{g, g, g}, 48}, {{0, 1, 0}, 2}, {{1, 0, 0}, 2}, {{0, 0, 1}, 8}}));

    // Each VRML shape's colour and face count.
    exportAs<TVRMLRenderer>(lTurn(), "l.wrl");
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

// Objects are welded on a second thread while the next is built; the files are the same bytes as
// when each is welded in turn, objects in document order. The document mixes solids whose corners
// already meet with ones the weld must mend, and an open profile.
TEST_F(MeshExport, WeldingInTheBackgroundWritesTheSameBytes) {
    auto bytesOf = [&](std::unique_ptr<TMeshRenderer> renderer, const std::string& name,
                       bool background) {
        renderer->weldInBackground = background;
        setCurrentRenderer(std::move(renderer));
        redrawDocument(*makeDoc("", frame(false, false), turn(90, true, false, Star),
                                zigzag(false, true, Star),
                                lathe({{0, 0}, {30, 0}, {40, 50}, {0, 50}, {0, 0}}, 72),
                                lathe({{20, 0}, {35, 0}, {35, 10}}, 12)),
                       -1, file(name));
        setCurrentRenderer(nullptr);
        return readBytes(file(name));
    };
    const Bytes stl = bytesOf(std::make_unique<TSTLRenderer>(), "all.stl", false);
    ASSERT_GT(stl.size(), 84u);
    EXPECT_EQ(readLE(stl, 80, 4), (stl.size() - 84) / 50);
    EXPECT_EQ(stl, bytesOf(std::make_unique<TSTLRenderer>(), "all.stl", true));
    EXPECT_EQ(bytesOf(std::make_unique<TOBJRenderer>(), "all.obj", false),
              bytesOf(std::make_unique<TOBJRenderer>(), "all.obj", true));
    EXPECT_EQ(bytesOf(std::make_unique<TGLTFRenderer>(), "all.glb", false),
              bytesOf(std::make_unique<TGLTFRenderer>(), "all.glb", true));
}

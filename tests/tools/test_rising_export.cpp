// Exports of rising sweeps and pitched lathes through palvorin-export, and the flat examples'
// exports byte for byte as the program wrote them before paths could rise.
#include "MeshClosure.h"
#include "export_fixtures.h"
#include "model/DxfDrawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

uint64_t fnv1a(const Bytes& bytes) {
    uint64_t h = 0xcbf29ce484222325u;
    for (uint8_t c : bytes)
        h = (h ^ c) * 0x100000001b3u;
    return h;
}

class RisingExport : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("palvorin-rising-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    int exportTool(const std::string& args) {
        return std::system((std::string(PALVORIN_EXPORT_BIN) + " " + args + " >" +
                            (dir / "out.txt").string() + " 2>&1")
                               .c_str());
    }
};

} // namespace

// The examples exported in every format give the bytes the build before heights and pitch wrote
// (their sizes and FNV-1a hashes, kept in tests/data, with the images' folder as "@/"); the vase is
// a lathe of rise 0, one turn.
TEST_F(RisingExport, FlatExamplesExportAsBefore) {
    std::istringstream table(readText(PALVORIN_SOURCE_DIR "/tests/data/flat-export-hashes.txt"));
    int checked = 0;
    for (std::string file, hash; table >> file;) {
        size_t size = 0;
        table >> size >> hash;
        SCOPED_TRACE(file);
        const std::string stem = file.substr(0, file.find('.'));
        for (const char* texture : {"wood.bmp", "marble.bmp", "checker.bmp", "walnut.jpg"})
            fs::copy_file(fs::path(PALVORIN_SOURCE_DIR "/examples") / texture, dir / texture,
                          fs::copy_options::skip_existing);
        fs::copy_file(fs::path(PALVORIN_SOURCE_DIR "/examples") / (stem + ".PLV"),
                      dir / (stem + ".PLV"), fs::copy_options::skip_existing);
        ASSERT_EQ(exportTool((dir / (stem + ".PLV")).string() + " " + (dir / file).string()), 0)
            << readText(dir / "out.txt");
        // VRML names its images by absolute path: the folder is taken out before comparing.
        Bytes bytes = readBytes(dir / file);
        const std::string folder = (dir / "").string();
        for (auto at = std::search(bytes.begin(), bytes.end(), folder.begin(), folder.end());
             at != bytes.end(); at = std::search(at, bytes.end(), folder.begin(), folder.end())) {
            at = bytes.erase(at, at + std::ptrdiff_t(folder.size()));
            at = bytes.insert(at, {'@', '/'}) + 2;
        }
        char actual[17];
        std::snprintf(actual, sizeof actual, "%016llx", (unsigned long long)fnv1a(bytes));
        EXPECT_EQ(bytes.size(), size);
        EXPECT_EQ(std::string(actual), hash);
        ++checked;
    }
    EXPECT_EQ(checked, 21);
}

// A 10 mm circle of 32 vertices on a helix of radius 50 mm rising 30 mm a turn, 3 turns in 24
// steps a turn: a closed STL solid 90 + 10 mm high whose volume is the section's area times the
// path's length within 1 %.
TEST_F(RisingExport, HelicalSweepIsAWatertightSpring) {
    auto spring = std::make_unique<TExtrObj>();
    spring->SetName("spring");
    spring->SetProfileScale(10); // tenths of a millimetre
    spring->SetPathScale(10);
    for (int i = 0; i <= 32; ++i) {
        const double a = 2 * M_PI * (i % 32) / 32;
        spring->Profile[size_t(i)].X = RoundHalfEven(50 * std::cos(a));
        spring->Profile[size_t(i)].Y = RoundHalfEven(50 * std::sin(a));
    }
    spring->ProfileCount = 33;
    std::vector<std::array<double, 3>> path;
    for (int i = 0; i <= 72; ++i) {
        const double a = 2 * M_PI * i / 24;
        OutlineVertex& v = spring->Path[size_t(i)];
        v.X = RoundHalfEven(500 * std::cos(a));
        v.Y = RoundHalfEven(500 * std::sin(a));
        spring->PathHeight[size_t(i)] = float(300.0 * i / 24);
        path.push_back({v.X / 10.0, spring->PathHeight[size_t(i)] / 10.0, v.Y / 10.0});
    }
    spring->PathCount = 73;
    double area = 0, length = 0;
    for (int i = 0; i < 32; ++i) {
        const OutlineVertex &p = spring->Profile[size_t(i)], &q = spring->Profile[size_t(i) + 1];
        area += (double(p.X) * q.Y - double(q.X) * p.Y) / 200; // in mm^2
    }
    for (size_t i = 1; i < path.size(); ++i)
        length += std::hypot(path[i][0] - path[i - 1][0], path[i][1] - path[i - 1][1],
                             path[i][2] - path[i - 1][2]);
    makeDoc("", std::move(spring))->SaveToFile((dir / "spring.PLV").string());

    ASSERT_EQ(exportTool((dir / "spring.PLV").string() + " " + (dir / "spring.stl").string()), 0)
        << readText(dir / "out.txt");
    const std::vector<Triangle> triangles = readStlTriangles(dir / "spring.stl");
    EXPECT_EQ(watertightFaults(triangles), "");
    std::array<double, 3> lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    double volume = 0;
    for (const Triangle& t : triangles) {
        for (const Corner& c : t)
            for (int k = 0; k < 3; ++k)
                lo[size_t(k)] = std::min(lo[size_t(k)], double(c[size_t(k)])),
                hi[size_t(k)] = std::max(hi[size_t(k)], double(c[size_t(k)]));
        const Corner &a = t[0], &b = t[1], &c = t[2];
        volume += (a[0] * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
                   a[1] * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
                   a[2] * (double(b[0]) * c[1] - double(b[1]) * c[0])) /
                  6;
    }
    // Up is Y or Z depending on the format's convention: the extents are the height and twice
    // the outer radius, in any order.
    std::array<double, 3> extent{hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    std::sort(extent.begin(), extent.end());
    EXPECT_NEAR(extent[0], 100, 0.05);
    EXPECT_NEAR(extent[2], 110, 0.2);
    EXPECT_NEAR(volume / (area * length), 1, 0.01);
}

// From drawings: a 3D POLYLINE helix and rising LINEs keep their heights; a threaded lathe; and
// the pitch values the command line refuses with a message.
TEST_F(RisingExport, CommandLineBuildsFromThreeDimensionalDrawings) {
    ASSERT_TRUE(writeDxfDrawings(dir));
    const std::string circle = (dir / "circle-10.dxf").string();
    const std::string stl = (dir / "out.stl").string(), plv = (dir / "out.PLV").string();
    ASSERT_EQ(exportTool("--profile " + circle + " --path " + (dir / "helix-3d.dxf").string() +
                         " " + plv),
              0)
        << readText(dir / "out.txt");
    TExtrObjList doc;
    doc.LoadFromFile(plv, nullptr);
    const TExtrObj& spring = doc.Items(0);
    ASSERT_EQ(spring.PathCount, 73);
    EXPECT_NEAR(spring.PathHeight[72] * spring.PathScale() / 100.0, 90, 1e-3);
    ASSERT_EQ(exportTool(plv + " " + stl), 0) << readText(dir / "out.txt");
    EXPECT_EQ(watertightFaults(readStlTriangles(stl)), "");

    // Heights are converted with the drawing's units, as the plan is.
    for (const auto& [drawing, rise] :
         {std::pair{"rising-lines.dxf", 100}, {"rising-lines-cm.dxf", 1000}}) {
        SCOPED_TRACE(drawing);
        ASSERT_EQ(
            exportTool("--profile " + circle + " --path " + (dir / drawing).string() + " " + plv),
            0);
        doc.LoadFromFile(plv, nullptr);
        const TExtrObj& path = doc.Items(0);
        ASSERT_EQ(path.PathCount, 3);
        EXPECT_EQ(std::abs(path.PathHeight[2] - path.PathHeight[0]) * path.PathScale() / 100, rise);
        EXPECT_EQ(std::abs(path.Path[1].X - path.Path[0].X) * path.PathScale() / 100, rise);
    }

    // The lathe moves the profile onto the axis: a diamond touches it at one corner, and turns
    // that do not overlap leave that corner's track a line of the solid's edges.
    const std::string diamond = (dir / "diamond.dxf").string();
    ASSERT_EQ(exportTool("--profile " + diamond + " --lathe 12 --rise 12 --turns 3 " + stl), 0);
    EXPECT_EQ(watertightFaults(readStlTriangles(stl)), "");
    EXPECT_EQ(readText(dir / "out.txt").find("The turns overlap"), std::string::npos);
    ASSERT_EQ(exportTool("--profile " + circle + " --lathe 12 --rise 8 --turns 3 " + stl), 0);
    EXPECT_NE(readText(dir / "out.txt").find("The turns overlap"), std::string::npos);

    // A path straight up is built facing +X, with a warning.
    ASSERT_EQ(exportTool("--profile " + circle + " --path " + (dir / "vertical-line.dxf").string() +
                         " " + stl),
              0)
        << readText(dir / "out.txt");
    EXPECT_NE(readText(dir / "out.txt").find("straight up or down"), std::string::npos);
    EXPECT_EQ(watertightFaults(readStlTriangles(stl)), "");

    const struct {
        std::string args, says;
    } refused[] = {
        {"--lathe 12 --rise abc", "--rise takes a number"},
        {"--lathe 12 --rise nan", "--rise takes a number"},
        {"--lathe 40 --turns 3", "would need 121 vertices"},
        {"--lathe 12 --turns 0", "more than 0"},
        {"--path " + circle + " --rise 5", "go with --lathe"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.args);
        EXPECT_NE(exportTool("--profile " + circle + " " + r.args + " " + stl), 0);
        EXPECT_NE(readText(dir / "out.txt").find(r.says), std::string::npos)
            << readText(dir / "out.txt");
    }
}

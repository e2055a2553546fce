// Runs palvorin-export as a process on saved documents and checks its files with independent
// readers.
#include "export_fixtures.h"

#include "render/UnRedraw.h"
#include "render/UnTRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs program with args; extraEnv entries ("NAME=value") replace variables of the same name.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const fs::path& scratch, const std::vector<std::string>& extraEnv = {}) {
    const fs::path outPath = scratch / "stdout.txt", errPath = scratch / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const auto& x) {
            return entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    ProcessResult result;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return result;
}

// What a reader found: faces, points and the bounding box of the points.
struct Geometry {
    long faces = 0;
    long points = 0;
    std::array<double, 3> lo{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    void add(double x, double y, double z) {
        const double p[3] = {x, y, z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
        ++points;
    }
};

void expectSceneExtent(const Geometry& g) {
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(g.lo[a], SceneMin[a], 1e-3) << "axis " << a;
        EXPECT_NEAR(g.hi[a], SceneMax[a], 1e-3) << "axis " << a;
    }
}

class ExportCli : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        clearTextureTable();
        dir = workDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { clearTextureTable(); }

    ProcessResult cli(const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}) {
        return runProcess(PALVORIN_EXPORT_BIN, args, dir, env);
    }

    // The block and the ring, saved as dir/name.
    fs::path saveScene(const std::string& name = "scene.plv") {
        TExtrObjList doc;
        doc.Add(makeBlock());
        doc.Add(makeRing());
        setTexDir(doc, dir.string());
        const fs::path file = dir / name;
        doc.SaveToFile(file.string());
        return file;
    }

    // The same scene with the texture "wood" (wood.bmp next to the document) on every face.
    fs::path saveTexturedScene(const std::string& name = "textured.plv") {
        writeBmp(dir / "wood.bmp");
        addTexture((dir / "wood.bmp").string(), "wood");
        TExtrObjList doc;
        doc.Add(makeBlock("wood"));
        doc.Add(makeRing("wood"));
        setTexDir(doc, dir.string());
        const fs::path file = dir / name;
        doc.SaveToFile(file.string());
        clearTextureTable();
        return file;
    }

    // Names in dir besides the ones given: leftovers of a failed export.
    std::vector<std::string> strayFiles(std::vector<std::string> expected) {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                stray.push_back(name);
        }
        return stray;
    }
};

Geometry readDxf(const fs::path& file, const fs::path& scratch) {
    const auto r = runProcess("/usr/bin/python3", {DXF_STATS_SCRIPT, file.string()}, scratch);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Geometry g;
    std::istringstream in(r.out);
    std::string key;
    while (in >> key) {
        if (key == "faces") in >> g.faces;
        if (key == "min") in >> g.lo[0] >> g.lo[1] >> g.lo[2];
        if (key == "max") in >> g.hi[0] >> g.hi[1] >> g.hi[2];
    }
    return g;
}

// 3dsdump's mesh dump: "NAME vertices=V faces=F", then a point list and a face list per mesh.
Geometry read3ds(const fs::path& file, const fs::path& scratch, std::string* dump = nullptr) {
    const auto r = runProcess("/usr/bin/3dsdump", {"-t", "-m", file.string()}, scratch);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    if (dump) *dump = r.out;
    Geometry g;
    std::istringstream in(r.out);
    std::string line;
    bool inPoints = false;
    long declaredPoints = 0;
    static const std::regex header(R"(vertices=(\d+) faces=(\d+))");
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_search(line, m, header)) {
            declaredPoints += std::stol(m[1]);
            g.faces += std::stol(m[2]);
            inPoints = false;
        } else if (line.find("point list:") != std::string::npos) {
            inPoints = true;
        } else if (line.find("facelist:") != std::string::npos) {
            inPoints = false;
        } else if (inPoints) {
            double x, y, z;
            if (std::sscanf(line.c_str(), "%lf %lf %lf", &x, &y, &z) == 3) g.add(x, y, z);
        }
    }
    EXPECT_EQ(g.points, declaredPoints);
    return g;
}

std::string attribute(const std::string& text, size_t from, const std::string& name) {
    const size_t at = text.find(name + "=\"", from);
    if (at == std::string::npos) return {};
    const size_t start = at + name.size() + 2;
    return text.substr(start, text.find('"', start) - start);
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The VRML file converted to X3D by an independent parser; faces are polygons of 3+ indices.
struct X3dScene {
    Geometry geometry;
    size_t faceSets = 0;
    size_t groups = 0;
    long texCoords = 0;
    std::string xml;
};

X3dScene readVrml(const fs::path& file, const fs::path& scratch) {
    const auto r = runProcess("/usr/bin/tovrmlx3d", {"--encoding", "xml", file.string()}, scratch);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("Error"), std::string::npos) << r.err;
    X3dScene s;
    s.xml = r.out;
    s.faceSets = countOf(r.out, "<IndexedFaceSet");
    s.groups = countOf(r.out, "<Group");
    for (size_t at = r.out.find("<IndexedFaceSet"); at != std::string::npos;
         at = r.out.find("<IndexedFaceSet", at + 1)) {
        std::istringstream idx(attribute(r.out, at, "coordIndex"));
        long run = 0, index;
        while (idx >> index) {
            if (index >= 0) {
                ++run;
            } else {
                if (run >= 3) ++s.geometry.faces;
                run = 0;
            }
        }
        if (run >= 3) ++s.geometry.faces;
    }
    for (size_t at = r.out.find("<Coordinate"); at != std::string::npos;
         at = r.out.find("<Coordinate", at + 1)) {
        std::istringstream pts(attribute(r.out, at, "point"));
        double x, y, z;
        while (pts >> x >> y >> z)
            s.geometry.add(x, y, z);
    }
    for (size_t at = r.out.find("<TextureCoordinate"); at != std::string::npos;
         at = r.out.find("<TextureCoordinate", at + 1)) {
        std::istringstream pts(attribute(r.out, at, "point"));
        double u, v;
        while (pts >> u >> v)
            ++s.texCoords;
    }
    return s;
}

TEST_F(ExportCli, HelpExplainsUsageAndFormats) {
    for (const std::string flag : {"--help", "-h"}) {
        const auto r = cli({flag});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.out.find("Usage: palvorin-export"), std::string::npos) << r.out;
        for (const char* word : {".dxf", ".wrl", ".3ds", ".plv", "--format", "--verbose"})
            EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
}

TEST_F(ExportCli, BadCommandLinesExitWithUsageErrorAndWriteNothing) {
    const fs::path input = saveScene();
    const std::string out = (dir / "out.dxf").string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {input.string()},
        {input.string(), out, (dir / "third.dxf").string()},
        {"--bogus", input.string(), out},
        {"--format", "obj", input.string(), out},
        {input.string(), out, "--format"},
        {input.string(), (dir / "out.txt").string()},
        {input.string(), (dir / "noextension").string()},
    };
    for (const auto& args : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("palvorin-export"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(strayFiles({"scene.plv"}), std::vector<std::string>{});
}

TEST_F(ExportCli, MissingInputIsReportedAndWritesNothing) {
    const fs::path missing = dir / "nowhere.plv";
    for (const char* name : {"out.dxf", "out.plv"}) {
        const auto r = cli({missing.string(), (dir / name).string()});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("nowhere.plv"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / name));
    }
    EXPECT_EQ(strayFiles({}), std::vector<std::string>{});
}

TEST_F(ExportCli, UnwritableOutputFailsWithoutLeavingFiles) {
    const fs::path input = saveScene();
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "plain.txt") << "not a directory";
    const std::vector<fs::path> targets = {dir / "missing-dir" / "out.dxf",
                                           dir / "plain.txt" / "out.wrl",
                                           dir / "sub", // an existing directory
                                           dir / "missing-dir" / "out.plv"};
    for (const auto& target : targets) {
        const auto r = cli({"--format", "3ds", input.string(), target.string()});
        EXPECT_EQ(r.exitCode, 1) << target;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(dir / "missing-dir"));
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
    EXPECT_EQ(strayFiles({"scene.plv", "plain.txt", "sub"}), std::vector<std::string>{});
}

TEST_F(ExportCli, FailureDuringExportKeepsTheOldOutputAndLeavesNoTemporaryFile) {
    const fs::path input = saveTexturedScene();
    fs::remove(dir / "wood.bmp"); // the document names a texture that is gone
    std::ofstream(dir / "out.dxf") << "previous export";
    const auto r = cli({input.string(), (dir / "out.dxf").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(readFile(dir / "out.dxf"), "previous export");
    EXPECT_EQ(strayFiles({"textured.plv", "out.dxf"}), std::vector<std::string>{});
}

TEST_F(ExportCli, DocumentWithoutObjectsIsNothingToExport) {
    // An object file holding no object and an empty texture table.
    const char empty[8] = {0, 0, 0, 0, '\xFF', '\xFF', '\xFF', '\xFF'};
    std::ofstream(dir / "empty.plv", std::ios::binary).write(empty, sizeof empty);
    for (const char* name : {"out.dxf", "out.wrl", "out.3ds", "out.plv"}) {
        const auto r = cli({(dir / "empty.plv").string(), (dir / name).string()});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("nothing to export"), std::string::npos) << r.err;
    }
    EXPECT_EQ(strayFiles({"empty.plv"}), std::vector<std::string>{});
}

TEST_F(ExportCli, ResavedDocumentHasTheSameBytes) {
    const fs::path plain = saveScene();
    const fs::path textured = saveTexturedScene();
    for (const auto& [input, output] :
         {std::pair{plain, dir / "again.plv"}, std::pair{textured, dir / "AGAIN-TEXTURED.Plv"}}) {
        const auto r = cli({input.string(), output.string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(r.out.empty() && r.err.empty()) << r.out << r.err;
        const std::string before = readFile(input), after = readFile(output);
        EXPECT_GT(before.size(), 343u);
        EXPECT_TRUE(before == after) << input;
    }
}

TEST_F(ExportCli, FormatFollowsExtensionInAnyCaseOrTheFormatOption) {
    const fs::path input = saveScene();
    auto kind = [](const std::string& bytes) -> std::string {
        if (bytes.rfind("0\r\nSECTION\r\n", 0) == 0) return "dxf";
        if (bytes.rfind("#VRML V2.0 utf8\r\n", 0) == 0) return "vrml";
        if (bytes.size() > 2 && bytes[0] == 0x4D && bytes[1] == 0x4D) return "3ds";
        if (bytes.size() > 10 && bytes.compare(4, 6, "PALV10") == 0) return "plv";
        return "?";
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a.DXF"}, "dxf"},
        {{"b.Wrl"}, "vrml"},
        {{"C.3dS"}, "3ds"},
        {{"d.pLv"}, "plv"},
        {{"--format", "dxf", "e.out"}, "dxf"},
        {{"--format=VRML", "f.dxf"}, "vrml"},
        {{"-f", "3ds", "g.wrl"}, "3ds"},
        {{"h.dxf", "--format", "plv"}, "plv"},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> full;
        std::string output;
        for (size_t i = 0; i < args.size(); ++i) {
            const bool value = i > 0 && (args[i - 1] == "--format" || args[i - 1] == "-f");
            if (value || args[i].rfind("-", 0) == 0) {
                full.push_back(args[i]);
            } else {
                output = (dir / args[i]).string();
            }
        }
        full.insert(full.begin(), {input.string()});
        full.push_back(output);
        const auto r = cli(full);
        ASSERT_EQ(r.exitCode, 0) << ::testing::PrintToString(full) << r.err;
        EXPECT_EQ(kind(readFile(output)), expected) << output;
    }
}

TEST_F(ExportCli, DxfHoldsEveryFaceAtItsPlacement) {
    const fs::path input = saveScene();
    const auto r = cli({input.string(), (dir / "scene.dxf").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Geometry g = readDxf(dir / "scene.dxf", dir);
    EXPECT_EQ(g.faces, SceneQuads + SceneTriangles);
    expectSceneExtent(g);
}

TEST_F(ExportCli, ThreeDsHoldsEveryTriangleAtItsPlacement) {
    const fs::path input = saveScene();
    const auto r = cli({input.string(), (dir / "scene.3ds").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Geometry g = read3ds(dir / "scene.3ds", dir);
    EXPECT_EQ(g.faces, 2 * SceneQuads + SceneTriangles); // a quad is two triangles
    EXPECT_EQ(g.points, 4 * SceneQuads + 3 * SceneTriangles);
    expectSceneExtent(g);
}

TEST_F(ExportCli, VrmlParsesAsOneGroupPerObjectWithEveryFace) {
    const fs::path input = saveScene();
    const auto r = cli({input.string(), (dir / "scene.wrl").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const X3dScene s = readVrml(dir / "scene.wrl", dir);
    EXPECT_EQ(s.groups, 2u);
    EXPECT_GE(s.faceSets, 2u);
    EXPECT_EQ(s.geometry.faces, SceneQuads + SceneTriangles);
    EXPECT_EQ(s.geometry.points, 4 * SceneQuads + 3 * SceneTriangles);
    EXPECT_EQ(s.texCoords, 0);
    expectSceneExtent(s.geometry);
}

TEST_F(ExportCli, TexturedDocumentTakesItsImagesFromItsOwnDirectory) {
    const fs::path saved = saveTexturedScene();
    // Move the document and its image elsewhere: the export must find the image there.
    const fs::path moved = dir / "moved";
    fs::create_directories(moved);
    fs::rename(saved, moved / "textured.plv");
    fs::rename(dir / "wood.bmp", moved / "wood.bmp");
    const std::string input = (moved / "textured.plv").string();

    ASSERT_EQ(cli({input, (dir / "t.wrl").string()}).exitCode, 0);
    const X3dScene s = readVrml(dir / "t.wrl", dir);
    EXPECT_EQ(s.geometry.faces, SceneQuads + SceneTriangles);
    EXPECT_EQ(s.texCoords, s.geometry.points); // one texture coordinate per point
    EXPECT_NE(s.xml.find("wood.jpg"), std::string::npos);
    expectSceneExtent(s.geometry);

    ASSERT_EQ(cli({input, (dir / "t.3ds").string()}).exitCode, 0);
    std::string dump;
    const Geometry g = read3ds(dir / "t.3ds", dir, &dump);
    EXPECT_EQ(g.faces, 2 * SceneQuads + SceneTriangles);
    EXPECT_NE(dump.find("wood.bmp"), std::string::npos);
    expectSceneExtent(g);

    ASSERT_EQ(cli({input, (dir / "t.dxf").string()}).exitCode, 0);
    EXPECT_EQ(readDxf(dir / "t.dxf", dir).faces, SceneQuads + SceneTriangles);
}

TEST_F(ExportCli, TextFilesUseDecimalPointsUnderAGermanLocale) {
    const fs::path input = saveScene();
    const std::vector<std::string> german = {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"};
    ASSERT_EQ(cli({input.string(), (dir / "de.dxf").string()}, german).exitCode, 0);
    ASSERT_EQ(cli({input.string(), (dir / "de.wrl").string()}, german).exitCode, 0);
    static const std::regex commaNumber(R"(\d,\d)");
    static const std::regex pointNumber(R"(-?\d+\.\d{6})");
    for (const char* name : {"de.dxf", "de.wrl"}) {
        const std::string text = readFile(dir / name);
        EXPECT_FALSE(std::regex_search(text, commaNumber)) << name;
        EXPECT_TRUE(std::regex_search(text, pointNumber)) << name;
    }
    const Geometry g = readDxf(dir / "de.dxf", dir);
    EXPECT_EQ(g.faces, SceneQuads + SceneTriangles);
    expectSceneExtent(g);
}

TEST_F(ExportCli, IncompleteObjectInTheMiddleDoesNotStopTheExport) {
    TExtrObjList doc;
    doc.Add(makeBlock());
    doc.Add(makeIncomplete());
    doc.Add(makeRing());
    setTexDir(doc, dir.string());
    doc.SaveToFile((dir / "gap.plv").string());
    const auto r = cli({(dir / "gap.plv").string(), (dir / "gap.dxf").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Geometry g = readDxf(dir / "gap.dxf", dir);
    EXPECT_EQ(g.faces, SceneQuads + SceneTriangles);
    expectSceneExtent(g);
}

TEST_F(ExportCli, TraversalIntoTheDxfExporterKeepsObjectsAroundAnIncompleteOne) {
    TExtrObjList doc;
    doc.Add(makeBlock());
    doc.Add(makeIncomplete());
    doc.Add(makeRing());
    useDXFRenderer();
    redrawDocument(doc, 0, (dir / "direct.dxf").string());
    setCurrentRenderer(nullptr);
    const Geometry g = readDxf(dir / "direct.dxf", dir);
    EXPECT_EQ(g.faces, SceneQuads + SceneTriangles);
    expectSceneExtent(g);
}

TEST_F(ExportCli, SuccessIsSilentUnlessVerbose) {
    const fs::path input = saveScene();
    const auto quiet = cli({input.string(), (dir / "q.dxf").string()});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    const auto loud = cli({"--verbose", input.string(), (dir / "v.dxf").string()});
    EXPECT_EQ(loud.exitCode, 0);
    EXPECT_EQ(loud.out, "");
    const std::string last = loud.err.substr(loud.err.rfind("palvorin-export:"));
    EXPECT_NE(last.find("v.dxf"), std::string::npos) << loud.err;
    EXPECT_NE(last.find(std::to_string(fs::file_size(dir / "v.dxf")) + " bytes"), std::string::npos)
        << last;
    EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 1);
}

} // namespace

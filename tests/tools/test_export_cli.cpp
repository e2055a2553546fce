// palvorin-export run as a process on saved documents, its files checked by independent readers.
#include "export_fixtures.h"
#include "model/DxfDrawings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

std::vector<std::string> split(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

struct ProcessResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs the command through the shell, its output and errors caught in files of scratch.
ProcessResult run(const std::vector<std::string>& command, const fs::path& scratch) {
    const fs::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    std::string line;
    for (const std::string& word : command)
        line += "'" + word + "' ";
    const int status = std::system((line + ">" + out.string() + " 2>" + err.string()).c_str());
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out),
                         readText(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

// What the independent readers of a file's format found in it (see export_stats.py): every
// "key values" line after the mark, three.js's keys as "three_<key>", and the triangle corners.
struct ReadBack {
    std::map<std::string, long> count; // faces, points, texCoords, ..., three_faces, errors, ...
    std::map<std::string, std::vector<std::string>> lines; // the other lines' words, by key
    std::array<double, 3> lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    std::vector<std::array<double, 8>> corners; // x y z nx ny nz u v, three per triangle
    std::string dump;                           // the readers' own output
};

// Faces and points each format holds for the test scene (a 3DS quad is two triangles, a DXF face
// has four corners; the points of the last three depend on the reader's merging and are not
// compared), the image a textured scene names, and the file's unit in millimetres (glTF speaks
// metres, the others millimetres, the scene's unit); whether the file is Z up (the world's
// (x, y, z) its (x, -z, y)) and its build set on z = 0 (3MF).
struct Format {
    const char* ext;
    long faces, points;
    const char* image;
    double unit = 1;
    bool zUp = false, onPlate = false;
};
const Format Formats[] = {
    {".dxf", SceneQuads + SceneTriangles, 4 * (SceneQuads + SceneTriangles), nullptr},
    {".3ds", 2 * SceneQuads + SceneTriangles, 4 * SceneQuads + 3 * SceneTriangles, "wood.bmp"},
    {".wrl", SceneQuads + SceneTriangles, 4 * SceneQuads + 3 * SceneTriangles, "wood.jpg"},
    {".glb", SceneMeshTriangles, -1, "wood.bmp png 2 2", 1000},
    {".obj", SceneMeshTriangles, -1, "wood.bmp bmp 2 2"},
    {".stl", SceneMeshTriangles, -1, nullptr, 1, true},
};
const Format ThreeMF{".3mf", SceneMeshTriangles, -1, nullptr, 1, true, true};

using Box = std::array<std::array<double, 3>, 2>; // lowest and highest corner

// A box of the world as a file of the format holds it.
Box inFile(const Format& f, const double (&lo)[3], const double (&hi)[3]) {
    Box b{{{lo[0], lo[1], lo[2]}, {hi[0], hi[1], hi[2]}}};
    if (f.zUp) b = Box{{{lo[0], -hi[2], lo[1]}, {hi[0], -lo[2], hi[1]}}};
    if (f.onPlate) b[1][2] -= std::exchange(b[0][2], 0.0);
    return b;
}

// A box read from a Z-up file back in the world.
Box inWorld(const Format& f, const std::array<double, 3>& lo, const std::array<double, 3>& hi) {
    if (!f.zUp) return Box{lo, hi};
    return Box{{{lo[0], lo[2], -hi[1]}, {hi[0], hi[2], -lo[1]}}};
}
const Format& GLTF = Formats[3];
const Format& OBJ = Formats[4];
const Format& STL = Formats[5];

class ExportCli : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        clearTextureTable();
    }
    void TearDown() override {
        clearTextureTable();
        ScratchTest::TearDown();
    }

    // palvorin-export with args; env entries ("NAME=value") are set for it.
    ProcessResult cli(std::vector<std::string> args, std::vector<std::string> env = {}) {
        env.insert(env.begin(), "/usr/bin/env");
        env.push_back(PALVORIN_EXPORT_BIN);
        args.insert(args.begin(), env.begin(), env.end());
        return run(args, dir);
    }

    // The block, an unfinished object and the ring, saved as dir/name; with texture, the image
    // wood.bmp next to the document is the texture "wood" on every face.
    fs::path saveScene(const std::string& name = "scene.plv", bool textured = false) {
        const std::string texture = textured ? "wood" : "";
        if (textured) {
            writeFourColoursBmp(dir / "wood.bmp");
            addTexture((dir / "wood.bmp").string(), texture);
        }
        makeDoc(dir.string(), makeBlock(texture), makeIncomplete(), makeRing(texture))
            ->SaveToFile((dir / name).string());
        clearTextureTable();
        return dir / name;
    }

    // Reads out with the independent readers of its format (three.js's corners too).
    ReadBack read(const fs::path& out, bool corners = false) {
        std::vector<std::string> command = {"/usr/bin/python3", EXPORT_STATS_SCRIPT, out.string()};
        if (corners) command.push_back("--corners");
        const auto r = run(command, dir);
        EXPECT_EQ(r.exitCode, 0) << out << r.err;
        ReadBack g;
        const size_t at = std::min(r.out.rfind("== read back =="), r.out.size());
        g.dump = r.out.substr(0, at);
        std::istringstream in(r.out.substr(std::min(r.out.find('\n', at), r.out.size())));
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> values = split(line);
            if (values.empty()) continue;
            const std::string key = values[0];
            values.erase(values.begin());
            if (key != "corner")
                g.lines[key].insert(g.lines[key].end(), values.begin(), values.end());
            if (key == "corner" && values.size() == 8) {
                std::array<double, 8>& c = g.corners.emplace_back();
                for (int k = 0; k < 8; ++k)
                    c[size_t(k)] = std::stod(values[size_t(k)]);
            } else if (key == "min" || key == "max") {
                for (int a = 0; a < 3 && a < int(values.size()); ++a)
                    (key == "min" ? g.lo : g.hi)[size_t(a)] = std::stod(values[size_t(a)]);
            } else if (values.size() == 1 &&
                       std::isdigit(static_cast<unsigned char>(values[0][0]))) {
                g.count[key] = std::stol(values[0]);
            }
        }
        return g;
    }

    // Exports input as dir/name with the format's extension, reads the file back with the
    // independent readers of that format and checks it holds every face of the scene in place;
    // for glTF, OBJ and STL three.js must agree with assimp, and glTF must be valid.
    ReadBack exportAndRead(const fs::path& input, const Format& f, const std::string& name,
                           const std::vector<std::string>& env = {}) {
        const fs::path out = dir / (name + f.ext);
        const auto exported = cli({input.string(), out.string()}, env);
        EXPECT_EQ(exported.exitCode, 0) << exported.err;
        ReadBack g = read(out);
        EXPECT_EQ(g.count["faces"], f.faces);
        if (f.points >= 0) {
            EXPECT_EQ(g.count["points"], f.points);
        }
        const Box box = inFile(f, SceneMin, SceneMax);
        for (size_t a = 0; a < 3; ++a) {
            EXPECT_NEAR(g.lo[a] * f.unit, box[0][a], 1e-3) << "axis " << a;
            EXPECT_NEAR(g.hi[a] * f.unit, box[1][a], 1e-3) << "axis " << a;
        }
        if (f.points < 0 && g.count.count("three_faces")) expectReadersAgree(g);
        return g;
    }

    static void expectReadersAgree(ReadBack& g) {
        EXPECT_EQ(g.count["three_faces"], g.count["faces"]);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(std::stod(g.lines["three_min"].at(size_t(a))), g.lo[size_t(a)], 1e-3);
            EXPECT_NEAR(std::stod(g.lines["three_max"].at(size_t(a))), g.hi[size_t(a)], 1e-3);
        }
        if (g.lines.count("three_errors")) {
            EXPECT_EQ(g.count["three_errors"], 0) << g.dump;
            EXPECT_EQ(g.count["three_warnings"], 0) << g.dump;
            EXPECT_FALSE(g.lines.count("three_issue")) << g.dump;
        }
    }

    // Names in dir besides the ones given: leftovers of a failed export.
    std::vector<std::string> strayFiles(std::vector<std::string> expected) {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(dir))
            if (std::find(expected.begin(), expected.end(), entry.path().filename()) ==
                expected.end())
                stray.push_back(entry.path().filename());
        return stray;
    }
};

TEST_F(ExportCli, HelpExplainsUsageAndFormats) {
    for (const std::string flag : {"--help", "-h"}) {
        const auto r = cli({flag});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.out.find("Usage: palvorin-export"), std::string::npos) << r.out;
        for (const char* word : {".dxf", ".wrl", ".3ds", ".glb", ".obj", ".stl", ".3mf", ".plv",
                                 "--format", "--unit", "--up", "--verbose"})
            EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
}

TEST_F(ExportCli, FailuresExitWithTheirCodeAndWriteNothing) {
    const std::string in = saveScene().string(), out = (dir / "out.dxf").string();
    const std::string nowhere = (dir / "nowhere.plv").string(),
                      empty = (dir / "empty.plv").string();
    // An object file holding no object and an empty texture table.
    std::ofstream(empty, std::ios::binary).write("\0\0\0\0\xFF\xFF\xFF\xFF", 8);
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "plain.txt") << "not a directory";
    auto at = [&](const char* name) { return (dir / name).string(); };
    // Arguments, exit code (2 for a usage error) and a text the error message holds.
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{}, 2, "palvorin-export"},
        {{in, out, at("third.dxf")}, 2, "palvorin-export"},
        {{"--bogus", in, out}, 2, "palvorin-export"},
        {{"--format", "fbx", in, out}, 2, "palvorin-export"},
        {{"--unit", "yard", in, out}, 2, "unknown unit 'yard' (use mm, cm, m, in)"},
        {{in, out, "--unit="}, 2, "option '--unit' needs a value"},
        {{"--up", "x", in, out}, 2, "--up takes y or z, not 'x'"},
        {{in, at("out.gltf")}, 2, "palvorin-export"}, // the text form is not written
        {{in, out, "--format"}, 2, "palvorin-export"},
        {{in, at("out.txt")}, 2, "palvorin-export"},
        {{in, at("noextension")}, 2, "palvorin-export"},
        {{nowhere, out}, 1, "nowhere.plv"},
        {{"--format", "3ds", in, at("missing-dir/out.dxf")}, 1, ""},
        {{"--format", "3ds", in, at("plain.txt/out.wrl")}, 1, ""},
        {{"--format", "3ds", in, at("sub")}, 1, ""},                 // an existing directory
        {{in, at("missing-dir/out.obj")}, 1, "missing-dir/out.obj"}, // names its files itself
        {{empty, at("out.plv")}, 1, "nothing to export"},
    };
    for (const auto& [args, code, named] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, code);
        EXPECT_FALSE(r.err.empty());
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
    EXPECT_EQ(strayFiles({"scene.plv", "empty.plv", "plain.txt", "sub"}),
              std::vector<std::string>{});
}

TEST_F(ExportCli, FailureDuringExportKeepsTheOldOutputAndLeavesNoTemporaryFile) {
    // Faces naming a texture the table does not have stop the export half way.
    makeDoc(dir.string(), makeBlock("nosuch"))->SaveToFile((dir / "broken.plv").string());
    std::ofstream(dir / "out.dxf") << "previous export";
    const auto r = cli({(dir / "broken.plv").string(), (dir / "out.dxf").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Texture nosuch not found"), std::string::npos) << r.err;
    EXPECT_EQ(readText(dir / "out.dxf"), "previous export");
    EXPECT_EQ(strayFiles({"broken.plv", "out.dxf"}), std::vector<std::string>{});
}

// On a full disk and in a read-only folder (a small file system of its own, mounted where the
// system lets a user do so) every format fails with the cause in plain words, and the earlier file
// stays as it was with nothing beside it; a link into a missing folder names that cause too.
TEST_F(ExportCli, FullDiskAndReadOnlyFolderKeepTheEarlierFileInEveryFormat) {
    const std::string in = saveScene("textured.plv", true).string();
    fs::create_directories(dir / "disk");
    const std::string disk = (dir / "disk").string();
    // $1 the folder, $2 the extension, $3 the mode, $4 the document, $5 the tool; a file system of
    // 64 KiB, all but its last pages taken, or read-only; prints the exit code, the earlier file
    // and the folder's names.
    const std::string script =
        "mount -t tmpfs -o size=64k tmpfs \"$1\" 2>/dev/null || exit 77\n"
        "printf earlier > \"$1/out.$2\"; printf earlier > \"$1/out.mtl\"\n"
        "if [ \"$3\" = ro ]; then mount -o remount,ro \"$1\" || exit 77\n"
        "else head -c 56k /dev/zero > \"$1/filler\" 2>/dev/null; fi\n"
        "\"$5\" \"$4\" \"$1/out.$2\"; echo \" $?\"\n"
        "cat \"$1/out.$2\"; echo; LC_ALL=C ls -A \"$1\" | tr \"\\n\" \" \"\n";
    for (const char* mode : {"full", "ro"})
        for (const char* ext : {"dxf", "wrl", "3ds", "glb", "obj", "stl", "3mf", "step"}) {
            SCOPED_TRACE(std::string(mode) + " " + ext);
            const auto r = run({"unshare", "-rm", "sh", "-c", script, "sh", disk, ext, mode, in,
                                PALVORIN_EXPORT_BIN},
                               dir);
            if (r.exitCode == 77) GTEST_SKIP() << "no file system of its own can be mounted";
            const std::string out = "out." + std::string(ext);
            std::string names = std::string(mode) == "ro" ? "" : "filler ";
            names += out < "out.mtl" ? out + " out.mtl " : "out.mtl " + out + " ";
            EXPECT_EQ(r.out, " 1\nearlier\n" + names);
            const std::string cause = std::string(mode) == "ro" ? "the folder is read-only"
                                                                : "no space left on the device";
            EXPECT_NE(r.err.find("could not export to '" + disk + "/" + out + "': " + cause +
                                 "; the earlier file is unchanged ("),
                      std::string::npos)
                << r.err;
        }
    fs::create_symlink("missing-dir/out.stl", dir / "dangling.stl");
    const auto r = cli({in, (dir / "dangling.stl").string()});
    EXPECT_EQ(r.exitCode, 1);
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    EXPECT_NE(r.err.find("'" + (dir / "dangling.stl").string() +
                         "': the folder does not exist; nothing was written"),
              std::string::npos)
        << r.err;
#pragma GCC diagnostic pop
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.stl"));
}

// Every format but OBJ (whose companions need a folder) goes through a pipe as into a file (a STEP
// header names the pipe).
TEST_F(ExportCli, PipesTakeWhatFilesTake) {
    const std::string in = saveScene("textured.plv", true).string();
    for (const char* ext : {"dxf", "wrl", "3ds", "glb", "stl", "3mf", "step"}) {
        SCOPED_TRACE(ext);
        const fs::path file = dir / (std::string("file.") + ext), piped = dir / "piped";
        ASSERT_EQ(cli({in, file.string()}).exitCode, 0);
        const std::string line = "'" PALVORIN_EXPORT_BIN "' '" + in + "' /dev/stdout --format " +
                                 ext + " | gzip | gzip -d > '" + piped.string() + "'";
        ASSERT_EQ(run({"sh", "-c", line}, dir).exitCode, 0);
        EXPECT_TRUE(withoutStepFileName(readText(piped)) == withoutStepFileName(readText(file)));
        EXPECT_EQ(cli({"--format", ext, in, "/dev/null"}).exitCode, 0);
    }
}

TEST_F(ExportCli, MissingImageIsAWarningAndOutputsBehaveLikeSavedDocuments) {
    const fs::path input = saveScene("textured.plv", true);
    fs::remove(dir / "wood.bmp");
    // The output is a link to a read-only file elsewhere: the link stays, the file keeps its mode.
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "sub" / "real.dxf") << "previous export";
    fs::permissions(dir / "sub" / "real.dxf", fs::perms(0444));
    fs::create_symlink("sub/real.dxf", dir / "out.dxf");
    const auto r = cli({input.string(), (dir / "out.dxf").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("warning: These texture images were not found or could not be read"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find((dir / "wood.bmp").string() + ": not found"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "out.dxf"));
    EXPECT_EQ(readText(dir / "sub" / "real.dxf").rfind("0\r\nSECTION\r\n", 0), 0u);
    EXPECT_EQ(fs::status(dir / "sub" / "real.dxf").permissions(), fs::perms(0444));
    // A device is written in place: its failure is reported, its success is one (a device has
    // no size to show the data arrived).
    for (const char* format : {"dxf", "gltf", "stl", "plv"}) {
        if (!fs::is_character_file("/dev/full")) break;
        const auto full = cli({"--format", format, input.string(), "/dev/full"});
        EXPECT_EQ(full.exitCode, 1) << format;
        EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
        EXPECT_EQ(cli({"--format", format, input.string(), "/dev/null"}).exitCode, 0) << format;
    }
    EXPECT_EQ(strayFiles({"textured.plv", "out.dxf", "sub"}), std::vector<std::string>{});
}

// A document written again as a document has the same bytes, its texture table too. Success is
// silent unless --verbose asks for one last line with the output's name and size.
TEST_F(ExportCli, FormatFollowsExtensionOrOptionResavingKeepsTheBytesSuccessIsSilentUnlessVerbose) {
    const std::string in = saveScene("textured.plv", true).string();
    auto kind = [&](const std::string& bytes) -> std::string {
        if (bytes.rfind("0\r\nSECTION\r\n", 0) == 0) return "dxf";
        if (bytes.rfind("#VRML V2.0 utf8\r\n", 0) == 0) return "vrml";
        if (bytes.size() > 2 && bytes[0] == 0x4D && bytes[1] == 0x4D) return "3ds";
        if (bytes == readText(in)) return "the same plv";
        return "?";
    };
    // "@name" stands for the output, dir/name.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"@a.DXF"}, "dxf"},
        {{"@b.Wrl"}, "vrml"},
        {{"@C.3dS"}, "3ds"},
        {{"@d.pLv"}, "the same plv"},
        {{"--format", "dxf", "@e.out"}, "dxf"},
        {{"--format=VRML", "@f.dxf"}, "vrml"},
        {{"-f", "3ds", "@g.wrl"}, "3ds"},
        {{"@h.dxf", "--format", "plv"}, "the same plv"},
        {{"--verbose", "@v.dxf"}, "dxf"}};
    for (auto [args, expected] : cases) {
        fs::path output;
        for (std::string& arg : args)
            if (arg[0] == '@') arg = (output = dir / arg.substr(1)).string();
        args.insert(args.begin(), in);
        const auto r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << ::testing::PrintToString(args) << r.err;
        EXPECT_EQ(kind(readText(output)), expected) << output;
        EXPECT_EQ(r.out, "");
        if (args[1] != "--verbose") {
            EXPECT_EQ(r.err, "");
            continue;
        }
        const std::string last = r.err.substr(r.err.rfind("palvorin-export:"));
        EXPECT_NE(last.find("v.dxf"), std::string::npos) << r.err;
        EXPECT_NE(last.find(std::to_string(fs::file_size(output)) + " bytes"), std::string::npos)
            << last;
        EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), 1);
    }
}

// The scene has an unfinished object between the two others: the export goes on past it. The
// textured copy is moved away with its image: the export finds the image beside it.
TEST_F(ExportCli, EachFormatHoldsEveryDrawableFaceAtItsPlacementWithItsTexture) {
    saveScene("plain.plv");
    saveScene("textured.plv", true);
    fs::create_directories(dir / "moved");
    for (const char* name : {"textured.plv", "wood.bmp"})
        fs::rename(dir / name, dir / "moved" / name);
    for (const Format& f : Formats) {
        SCOPED_TRACE(f.ext);
        ReadBack plain = exportAndRead(dir / "plain.plv", f, "plain");
        ReadBack textured = exportAndRead(dir / "moved" / "textured.plv", f, "textured");
        if (f.points < 0) {
            // three.js found the image: embedded in the glTF file, copied beside the OBJ.
            EXPECT_EQ(plain.count["three_textures"], 0);
            EXPECT_EQ(textured.count["three_textures"], f.image ? 1 : 0);
            if (f.image) {
                EXPECT_EQ(textured.lines["three_texture"], split(f.image));
            }
        } else if (f.image) {
            EXPECT_NE(textured.dump.find(f.image), std::string::npos);
        }
        if (std::string(f.ext) == ".wrl") {
            EXPECT_EQ(plain.count["groups"], 2); // one per drawn object
            EXPECT_GE(plain.count["faceSets"], 2);
            EXPECT_EQ(plain.count["texCoords"], 0);
            EXPECT_EQ(textured.count["texCoords"], f.points); // one per point
        }
    }
}

// The textured block alone: each triangle must carry the outward axis normal of its side, wind
// the same way, and map the image as the program's view does. Along the sides u runs down the path
// (1 at x = 50, 0 at x = 150) and v a quarter per side round the profile; each cap shows the whole
// image upright. Merged corners: 6 per side (two slices) and 4 per cap.
TEST_F(ExportCli, TexturedBoxKeepsNormalsAndTextureCoordinatesInEveryMeshFormat) {
    writeFourColoursBmp(dir / "wood.bmp");
    addTexture((dir / "wood.bmp").string(), "wood");
    makeDoc(dir.string(), makeBlock("wood"))->SaveToFile((dir / "box.plv").string());
    clearTextureTable();
    auto expectedUv = [](const std::array<double, 8>& c) -> std::array<double, 2> {
        const double x = c[0], y = c[1], z = c[2], u = (150 - x) / 100;
        const int side = int(std::lround(c[3] * 4 + c[4] * 2 + c[5])); // -4 .. 4 by normal
        switch (side) {
        case -2:
            return {u, (10 - z) / 80};
        case -1:
            return {u, 0.25 + (y + 10) / 80};
        case 2:
            return {u, 0.5 + (z + 10) / 80};
        case 1:
            return {u, 0.75 + (10 - y) / 80};
        case -4:
            return {(z + 10) / 20, (y + 10) / 20};
        case 4:
            return {(10 - z) / 20, (y + 10) / 20};
        }
        ADD_FAILURE() << "normal is no axis: " << c[3] << " " << c[4] << " " << c[5];
        return {};
    };
    for (const Format* f : {&GLTF, &OBJ, &STL}) {
        SCOPED_TRACE(f->ext);
        const fs::path out = dir / (std::string("box") + f->ext);
        ASSERT_EQ(cli({(dir / "box.plv").string(), out.string()}).exitCode, 0);
        ReadBack g = read(out, true);
        expectReadersAgree(g);
        for (auto& corner : g.corners)
            for (int i = 0; i < 3; ++i)
                corner[size_t(i)] *= f->unit;
        ASSERT_EQ(g.corners.size(), size_t(3 * (2 * BlockQuads + BlockTriangles)));
        if (f == &GLTF) {
            EXPECT_EQ(g.count["three_points"], 4 * 6 + 2 * 4);
        }
        for (size_t t = 0; t < g.corners.size(); t += 3) {
            const auto &a = g.corners[t], &b = g.corners[t + 1], &c = g.corners[t + 2];
            double cross[3], outward = 0;
            for (int i = 0; i < 3; ++i) {
                const int j = (i + 1) % 3, k = (i + 2) % 3;
                cross[i] = (b[j] - a[j]) * (c[k] - a[k]) - (b[k] - a[k]) * (c[j] - a[j]);
                outward += a[3 + i] * ((a[i] + b[i] + c[i]) / 3 - (i == 0 ? 100 : 0));
            }
            EXPECT_GT(outward, 0) << "triangle " << t / 3 << " faces inwards";
            for (const auto* corner : {&a, &b, &c}) {
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ((*corner)[3 + i], a[3 + i]) << "flat normal";
                    EXPECT_GT(cross[i] * a[3 + i], -1e-9) << "winding against the normal";
                }
                if (f == &STL) continue; // no texture coordinates
                const auto uv = expectedUv(*corner);
                EXPECT_NEAR((*corner)[6], uv[0], 1e-4) << "u at triangle " << t / 3;
                EXPECT_NEAR((*corner)[7], uv[1], 1e-4) << "v at triangle " << t / 3;
            }
        }
    }
}

// Every example document passes the glTF validator and reaches three.js with its textures, and
// the three formats hold the same triangles in the same place.
TEST_F(ExportCli, ExampleDocumentsArriveWholeAndTexturedInEveryMeshFormat) {
    for (const auto& entry : fs::directory_iterator(PALVORIN_SOURCE_DIR "/examples")) {
        if (entry.path().extension() != ".PLV") continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        std::vector<ReadBack> found;
        for (const Format* f : {&GLTF, &OBJ, &STL}) {
            const fs::path out = dir / (name + f->ext);
            const auto r = cli({entry.path().string(), out.string()});
            ASSERT_EQ(r.exitCode, 0) << r.err;
            found.push_back(read(out));
            expectReadersAgree(found.back());
            if (f == &STL) continue;
            EXPECT_GE(found.back().count["three_textures"], 1) << f->ext;
            const auto& texture = found.back().lines["three_texture"];
            for (size_t i = 0; i + 3 < texture.size(); i += 4)
                EXPECT_GT(std::stol(texture[i + 2]) * std::stol(texture[i + 3]), 0) << texture[i];
        }
        const Format* formats[] = {&GLTF, &OBJ, &STL};
        for (size_t k = 0; k < found.size(); ++k) {
            const ReadBack& g = found[k];
            EXPECT_EQ(g.count.at("faces"), found[0].count.at("faces"));
            const Box box = inWorld(*formats[k], g.lo, g.hi);
            for (size_t a = 0; a < 3; ++a)
                for (size_t end = 0; end < 2; ++end) {
                    const double v = box[end][a] * formats[k]->unit;
                    const double obj = (end == 0 ? found[1].lo : found[1].hi)[a];
                    EXPECT_NEAR(v, obj, 1e-4 * std::fabs(v) + 1e-6) << formats[k]->ext << a;
                }
        }
    }
}

// 3MF: a mesh object per drawn object at its placement, the runs' colours as base materials, the
// same bytes every time, textures as images of the package; assimp reads it back.
TEST_F(ExportCli, ThreeMFHoldsEachObjectPlacedWithItsColours) {
    const fs::path in = saveScene("plain.plv");
    const ReadBack g = exportAndRead(in, ThreeMF, "a");
    EXPECT_EQ(g.lines.at("unit"), std::vector<std::string>{"millimeter"});
    // "R G B" -> faces: the ring's group is red, the block's caps take the white of its top and
    // bottom, and its sides, in no group, a grey.
    std::map<std::string, long> colours;
    const std::vector<std::string>& c = g.lines.at("colour");
    for (size_t i = 0; i + 3 < c.size(); i += 4)
        colours[c[i] + " " + c[i + 1] + " " + c[i + 2]] = std::stol(c[i + 3]);
    ASSERT_EQ(colours.size(), 3u) << g.dump;
    EXPECT_EQ(colours["255 0 0"], 2 * RingQuads - 16);
    EXPECT_EQ(colours["255 255 255"], BlockTriangles);
    const auto& [grey, greyFaces] = *colours.begin();
    EXPECT_EQ(greyFaces, 2 * BlockQuads);
    EXPECT_EQ(split(grey)[0], split(grey)[1]) << grey;
    EXPECT_EQ(split(grey)[1], split(grey)[2]) << grey;
    ASSERT_EQ(cli({in.string(), (dir / "b.3mf").string()}).exitCode, 0);
    EXPECT_EQ(readText(dir / "a.3mf"), readText(dir / "b.3mf"));

    const fs::path textured = saveScene("textured.plv", true);
    ASSERT_EQ(cli({textured.string(), (dir / "t.3mf").string()}).exitCode, 0);
    const ReadBack t = read(dir / "t.3mf");
    EXPECT_EQ(t.count.at("faces"), SceneMeshTriangles);
    EXPECT_EQ(t.lines.at("image"),
              (std::vector<std::string>{"/3D/Textures/texture0.png", "image/png"}));
    EXPECT_EQ(t.lines.at("colour"),
              (std::vector<std::string>{"textured", std::to_string(SceneMeshTriangles)}));
}

// --unit says what one unit of the document is: STL and OBJ stay in millimetres, glTF in metres,
// 3MF declares the unit and keeps the numbers.
TEST_F(ExportCli, UnitAndUpOptionsScaleAndTurnTheFilesAndName3MFUnit) {
    const fs::path in = saveScene("plain.plv");
    // Arguments before the output, its extension, the file's coordinates per document unit, the
    // unit a 3MF declares, and the frame the file is in: Y up (as OBJ), Z up (as STL) or Z up on
    // the plate (as 3MF). glTF stays Y up whatever --up says.
    const std::tuple<std::vector<std::string>, const char*, double, const char*, const Format*>
        cases[] = {
            {{}, ".stl", 1, nullptr, &STL},
            {{"--unit", "m"}, ".stl", 1000, nullptr, &STL},
            {{"-u", "in"}, ".obj", 25.4, nullptr, &OBJ},
            {{"--unit=cm"}, ".glb", 0.01, nullptr, &OBJ},
            {{"--unit", "in"}, ".3mf", 1, "inch", &ThreeMF},
            {{"--unit=m"}, ".3mf", 1, "meter", &ThreeMF},
            {{"--up", "y"}, ".stl", 1, nullptr, &OBJ},
            {{"--up=y"}, ".3mf", 1, "millimeter", &OBJ},
            {{"--up", "z"}, ".obj", 1, nullptr, &STL},
            {{"--up", "z"}, ".glb", 0.001, nullptr, &OBJ},
        };
    int k = 0;
    for (const auto& [options, ext, scale, declared, frame] : cases) {
        std::vector<std::string> args = options;
        const fs::path out = dir / ("out" + std::to_string(k++) + ext);
        args.push_back(in.string());
        args.push_back(out.string());
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const ReadBack g = read(out);
        double lo[3], hi[3];
        for (size_t a = 0; a < 3; ++a)
            lo[a] = SceneMin[a] * scale, hi[a] = SceneMax[a] * scale;
        const Box box = inFile(*frame, lo, hi);
        for (size_t a = 0; a < 3; ++a) {
            EXPECT_NEAR(g.lo[a], box[0][a], 1e-4 * std::fabs(box[0][a]) + 1e-6) << a;
            EXPECT_NEAR(g.hi[a], box[1][a], 1e-4 * std::fabs(box[1][a]) + 1e-6) << a;
        }
        if (declared) {
            EXPECT_EQ(g.lines.at("unit"), std::vector<std::string>{declared});
        }
    }
}

// An object that is not watertight, whatever the cause (a profile that is not closed, a frame
// whose path ends on its start without being closed), is exported as the view shows it; STL and
// 3MF name it in a warning, the other formats say nothing.
TEST_F(ExportCli, ObjectsThatAreNotWatertightAreExportedWithAWarningForSolidFormats) {
    auto open = makeBlock();
    open->SetName("open block");
    open->ProfileCount = 4; // the closing vertex left out: three sides
    auto frame = makeBlock();
    frame->SetName("notched frame");
    frame->PathCount =
        setOutline(frame->Path.data(), {{0, 0}, {100, 0}, {100, 80}, {0, 80}, {0, 0}});
    makeDoc(dir.string(), std::move(open), makeRing(), std::move(frame))
        ->SaveToFile((dir / "open.plv").string());
    const std::string warning = "palvorin-export: warning: object \"%s\" is not watertight: it is "
                                "not one closed surface, so it does not describe a solid\n";
    auto warned = [&](const char* name) {
        char line[200];
        std::snprintf(line, sizeof line, warning.c_str(), name);
        return std::string(line);
    };
    for (const char* ext : {".stl", ".3mf", ".obj"}) {
        SCOPED_TRACE(ext);
        const fs::path out = dir / (std::string("open") + ext);
        const auto r = cli({(dir / "open.plv").string(), out.string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, std::string(ext) == ".obj"
                             ? std::string()
                             : warned("open block") + warned("notched frame"));
    }
    // Closed, the frame is a solid and the warning names only the open block.
    auto block = makeBlock();
    block->ProfileCount = 4;
    block->SetName("open block");
    auto closed = makeBlock();
    closed->PathCount =
        setOutline(closed->Path.data(), {{0, 0}, {100, 0}, {100, 80}, {0, 80}, {0, 0}});
    closed->SetPathClosed(true);
    makeDoc(dir.string(), std::move(block), std::move(closed))
        ->SaveToFile((dir / "closed.plv").string());
    const auto r = cli({(dir / "closed.plv").string(), (dir / "closed.stl").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, warned("open block"));
}

} // namespace

// ---- outlines from DXF drawings ----------------------------------------------------------------

namespace {

// Extent of a binary STL's corners along x, y and z.
std::array<double, 3> stlExtent(const fs::path& file) {
    const std::string stl = readText(file);
    std::array<double, 3> lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    const uint32_t triangles = stl.size() >= 84 ? readLE(stl, 80, 4) : 0;
    for (uint32_t t = 0; t < triangles && 84 + 50 * size_t(t + 1) <= stl.size(); ++t)
        for (size_t k = 0; k < 9; ++k) {
            const float v = std::bit_cast<float>(readLE(stl, 84 + 50 * size_t(t) + 12 + 4 * k, 4));
            lo[k % 3] = std::min(lo[k % 3], double(v));
            hi[k % 3] = std::max(hi[k % 3], double(v));
        }
    return {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
}

class ExportOutlines : public ExportCli {
  protected:
    void SetUp() override {
        ExportCli::SetUp();
        ASSERT_TRUE(writeDxfDrawings(dir));
    }
    std::string dxf(const std::string& name) const { return file(name + ".dxf"); }
};

} // namespace

TEST_F(ExportOutlines, SolidsFromDrawingsMeasureTheirMillimetres) {
    // The 40 x 30 moulding swept along a 2 m line drawn in metres; the 2 x 1 inch rectangle
    // turned in 24 steps (its width becomes the radius); Z up, the profile's height along z.
    const struct {
        std::vector<std::string> args;
        std::array<double, 3> extent;
        const char* says;
    } cases[] = {
        {{"--profile", dxf("ogee"), "--path", dxf("metres"), file("swept.stl")},
         {2000, 40, 30},
         "ogee.dxf: profile: 100 vertices (closed), largest deviation 0.0667 mm"},
        {{"--profile", dxf("inches"), "--lathe", "24", file("turned.stl")},
         {101.6, 101.6, 25.4},
         "inches.dxf: drawing units: inches"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult r = cli(c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        const std::array<double, 3> extent = stlExtent(c.args.back());
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(extent[size_t(axis)], c.extent[size_t(axis)], c.extent[size_t(axis)] * 1e-3)
                << axis;
    }

    // A document's named object takes a new profile; the others stay as they were.
    const fs::path in = saveScene();
    TExtrObjList before;
    before.LoadFromFile(in.string(), nullptr);
    const std::string last = before.Items(before.Count() - 1).Name;
    const ProcessResult r =
        cli({in.string(), "--object", last, "--profile", dxf("ogee"), file("changed.plv")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    TExtrObjList after;
    after.LoadFromFile(file("changed.plv"), nullptr);
    ASSERT_EQ(after.Count(), before.Count());
    EXPECT_EQ(after.Items(after.Count() - 1).ProfileCount, 100);
    EXPECT_EQ(after.Items(after.Count() - 1).ProfileScale(), 10);
    EXPECT_EQ(after.Items(0).ProfileCount, before.Items(0).ProfileCount);
}

TEST_F(ExportOutlines, FlatFrameLiesOnTheBuildPlateInSTLAnd3MF) {
    // A lath 8 high on y = 0 swept round a 300 x 200 picture: its height is the file's smallest
    // extent, along z from 0 (Z up), or along y with --up y.
    for (const char* ext : {".stl", ".3mf"})
        for (const bool yUp : {false, true}) {
            SCOPED_TRACE(std::string(ext) + (yUp ? " --up y" : ""));
            const std::string out = file(std::string("frame") + (yUp ? "-y" : "") + ext);
            std::vector<std::string> args = {"--profile", dxf("lath"), "--path", dxf("picture")};
            if (yUp) args.insert(args.end(), {"--up", "y"});
            args.push_back(out);
            const ProcessResult r = cli(args);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            const ReadBack g = read(out);
            const size_t up = yUp ? 1 : 2;
            EXPECT_NEAR(g.lo[up], 0, 1e-4);
            EXPECT_NEAR(g.hi[up], 8, 1e-4);
            for (size_t a = 0; a < 3; ++a)
                if (a != up) {
                    EXPECT_GT(g.hi[a] - g.lo[a], 199) << a;
                }
        }
}

TEST_F(ExportOutlines, BadDrawingsAndOptionsFailWithTheirReasonAndWriteNothing) {
    write("words.dxf", {'n', 'o', '\n'});
    const std::string in = saveScene().string(), out = file("out.stl");
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{"--profile", dxf("nothing"), "--path", dxf("metres"), out},
         1,
         "holds no outline: found INSERT (2), TEXT (1)"},
        {{"--profile", dxf("open"), "--lathe", "8", out},
         1,
         "its ends (0, 0.5) and (0, 0) mm are 0.5 mm apart"},
        {{"--profile", dxf("ogee"), "--path", dxf("far"), out}, 1, "at most 5000000 mm"},
        {{"--profile", dxf("words"), "--lathe", "8", out}, 1, "words.dxf is not a DXF drawing"},
        {{"--profile", dxf("several"), "--profile-layer", "NONE", "--lathe", "8", out},
         1,
         "(layer \"NONE\") holds no outline"},
        {{in, "--object", "nosuch", "--profile", dxf("ogee"), out},
         1,
         "no object is named \"nosuch\""},
        {{"--profile", dxf("ogee"), out}, 2, "needs --path, --lathe or --frame"},
        {{"--profile", dxf("ogee"), "--path", dxf("metres"), "--lathe", "8", out}, 2, "exclude"},
        {{"--profile", dxf("ogee"), "--lathe", "2", out}, 2, "from 3 to 100"},
        {{"--profile", dxf("ogee"), "--path-layer", "A", "--lathe", "8", out}, 2, "layer option"},
    };
    for (const auto& [args, code, named] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, code);
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

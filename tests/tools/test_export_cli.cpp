// palvorin-export run as a process on saved documents, its files checked by independent readers.
#include "export_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

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
    ProcessResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out),
                         readFile(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

// What the independent reader of a file's format found in it (see export_stats.py).
struct ReadBack {
    std::map<std::string, long> count; // faces, points, texCoords, groups, faceSets
    std::array<double, 3> lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    std::string dump; // the reader's own output
};

// Faces and points each format holds for the test scene (a 3DS quad is two triangles, a DXF face
// has four corners), and the image a textured scene names.
struct Format {
    const char* ext;
    long faces, points;
    const char* image;
};
const Format Formats[] = {
    {".dxf", SceneQuads + SceneTriangles, 4 * (SceneQuads + SceneTriangles), nullptr},
    {".3ds", 2 * SceneQuads + SceneTriangles, 4 * SceneQuads + 3 * SceneTriangles, "wood.bmp"},
    {".wrl", SceneQuads + SceneTriangles, 4 * SceneQuads + 3 * SceneTriangles, "wood.jpg"},
};

class ExportCli : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        clearTextureTable();
        dir = workDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { clearTextureTable(); }

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

    // Exports input as dir/name with the format's extension, reads the file back with the
    // independent reader of that format and checks it holds every face of the scene in place.
    ReadBack exportAndRead(const fs::path& input, const Format& f, const std::string& name,
                           const std::vector<std::string>& env = {}) {
        const fs::path out = dir / (name + f.ext);
        const auto exported = cli({input.string(), out.string()}, env);
        EXPECT_EQ(exported.exitCode, 0) << exported.err;
        const auto r = run({"/usr/bin/python3", EXPORT_STATS_SCRIPT, out.string()}, dir);
        EXPECT_EQ(r.exitCode, 0) << out << r.err;
        ReadBack g;
        const size_t at = std::min(r.out.rfind("== read back =="), r.out.size());
        g.dump = r.out.substr(0, at);
        std::istringstream in(r.out.substr(at));
        in.ignore(r.out.size(), '\n');
        for (std::string key; in >> key;) {
            if (key == "min" || key == "max") {
                for (double& v : key == "min" ? g.lo : g.hi)
                    in >> v;
            } else {
                in >> g.count[key];
            }
        }
        EXPECT_EQ(g.count["faces"], f.faces);
        EXPECT_EQ(g.count["points"], f.points);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(g.lo[a], SceneMin[a], 1e-3) << "axis " << a;
            EXPECT_NEAR(g.hi[a], SceneMax[a], 1e-3) << "axis " << a;
        }
        return g;
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
        for (const char* word : {".dxf", ".wrl", ".3ds", ".plv", "--format", "--verbose"})
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
        {{in}, 2, "palvorin-export"},
        {{in, out, at("third.dxf")}, 2, "palvorin-export"},
        {{"--bogus", in, out}, 2, "palvorin-export"},
        {{"--format", "obj", in, out}, 2, "palvorin-export"},
        {{in, out, "--format"}, 2, "palvorin-export"},
        {{in, at("out.txt")}, 2, "palvorin-export"},
        {{in, at("noextension")}, 2, "palvorin-export"},
        {{nowhere, out}, 1, "nowhere.plv"},
        {{nowhere, at("out.plv")}, 1, "nowhere.plv"},
        {{"--format", "3ds", in, at("missing-dir/out.dxf")}, 1, ""},
        {{"--format", "3ds", in, at("plain.txt/out.wrl")}, 1, ""},
        {{"--format", "3ds", in, at("sub")}, 1, ""}, // an existing directory
        {{"--format", "3ds", in, at("missing-dir/out.plv")}, 1, ""},
        {{empty, at("out.dxf")}, 1, "nothing to export"},
        {{empty, at("out.wrl")}, 1, "nothing to export"},
        {{empty, at("out.3ds")}, 1, "nothing to export"},
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
    EXPECT_EQ(readFile(dir / "out.dxf"), "previous export");
    EXPECT_EQ(strayFiles({"broken.plv", "out.dxf"}), std::vector<std::string>{});
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
    EXPECT_EQ(readFile(dir / "sub" / "real.dxf").rfind("0\r\nSECTION\r\n", 0), 0u);
    EXPECT_EQ(fs::status(dir / "sub" / "real.dxf").permissions(), fs::perms(0444));
    // A device is written in place and its failure reported.
    if (fs::is_character_file("/dev/full")) {
        const auto full = cli({"--format", "dxf", input.string(), "/dev/full"});
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    EXPECT_EQ(strayFiles({"textured.plv", "out.dxf", "sub"}), std::vector<std::string>{});
}

TEST_F(ExportCli, ResavedDocumentHasTheSameBytes) {
    for (const bool textured : {false, true}) {
        const fs::path input = saveScene(textured ? "textured.plv" : "plain.plv", textured);
        const fs::path output = dir / (textured ? "AGAIN-TEXTURED.Plv" : "again.plv");
        const auto r = cli({input.string(), output.string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string before = readFile(input), after = readFile(output);
        EXPECT_GT(before.size(), 343u);
        EXPECT_TRUE(before == after) << input;
    }
}

TEST_F(ExportCli, FormatFollowsExtensionInAnyCaseOrTheFormatOption) {
    const std::string in = saveScene().string();
    auto kind = [](const std::string& bytes) -> std::string {
        if (bytes.rfind("0\r\nSECTION\r\n", 0) == 0) return "dxf";
        if (bytes.rfind("#VRML V2.0 utf8\r\n", 0) == 0) return "vrml";
        if (bytes.size() > 2 && bytes[0] == 0x4D && bytes[1] == 0x4D) return "3ds";
        if (bytes.size() > 10 && bytes.compare(4, 6, "PALV10") == 0) return "plv";
        return "?";
    };
    // "@name" stands for the output, dir/name.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"@a.DXF"}, "dxf"},
        {{"@b.Wrl"}, "vrml"},
        {{"@C.3dS"}, "3ds"},
        {{"@d.pLv"}, "plv"},
        {{"--format", "dxf", "@e.out"}, "dxf"},
        {{"--format=VRML", "@f.dxf"}, "vrml"},
        {{"-f", "3ds", "@g.wrl"}, "3ds"},
        {{"@h.dxf", "--format", "plv"}, "plv"}};
    for (auto [args, expected] : cases) {
        fs::path output;
        for (std::string& arg : args)
            if (arg[0] == '@') arg = (output = dir / arg.substr(1)).string();
        args.insert(args.begin(), in);
        const auto r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << ::testing::PrintToString(args) << r.err;
        EXPECT_EQ(kind(readFile(output)), expected) << output;
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
        if (f.image) {
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

TEST_F(ExportCli, TextFilesUseDecimalPointsUnderAGermanLocale) {
    const fs::path input = saveScene();
    const std::vector<std::string> german = {"LC_ALL=de_DE.UTF-8", "LANG=de_DE.UTF-8"};
    static const std::regex commaNumber(R"(\d,\d)"), pointNumber(R"(-?\d+\.\d{6})");
    for (const Format& f : {Formats[0], Formats[2]}) {
        SCOPED_TRACE(f.ext);
        exportAndRead(input, f, "de", german);
        const std::string text = readFile(dir / (std::string("de") + f.ext));
        EXPECT_FALSE(std::regex_search(text, commaNumber));
        EXPECT_TRUE(std::regex_search(text, pointNumber));
    }
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

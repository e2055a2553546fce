// palvorin-export's making reports run as a process: the report, the cut list, the turning table
// and the frame for a picture, and their range errors.
#include "export_fixtures.h"
#include "model/UnOutlineDxf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class MakingCli : public ScratchTest {
  protected:
    struct Result {
        int code = -1;
        std::string err;
    };
    Result cli(const std::vector<std::string>& args) {
        std::string line = "'" PALVORIN_EXPORT_BIN "'";
        for (const std::string& a : args)
            line += " '" + a + "'";
        const int status = std::system((line + " >/dev/null 2>'" + file("err") + "'").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(file("err"))};
    }
    // A document with the 300 x 200 frame of a 40 x 20 moulding, an object without a path and a
    // lathe cylinder of radius 20 and height 30 in 8 steps.
    std::string saveDocument() {
        TExtrObjList doc;
        auto frame = std::make_unique<TExtrObj>();
        frame->SetName("frame");
        frame->ProfileCount = fixtures::setOutline(frame->Profile.data(),
                                                   {{0, 0}, {40, 0}, {40, 20}, {0, 20}, {0, 0}});
        frame->PathCount = fixtures::setOutline(frame->Path.data(),
                                                {{0, 0}, {300, 0}, {300, 200}, {0, 200}, {0, 0}});
        frame->SetPathClosed(true);
        frame->SetProfileScale(100);
        auto pathless = std::make_unique<TExtrObj>();
        pathless->SetName("pathless");
        pathless->ProfileCount = 3;
        auto lathe = std::make_unique<TExtrObj>();
        lathe->SetName("cup");
        lathe->ProfileCount =
            fixtures::setOutline(lathe->Profile.data(), {{0, 0}, {20, 0}, {20, 30}, {0, 30}});
        lathe->SetProfileScale(100);
        lathe->MakeLathe(8);
        doc.Add(std::move(frame));
        doc.Add(std::move(pathless));
        doc.Add(std::move(lathe));
        doc.SaveToFile(file("doc.plv"));
        return file("doc.plv");
    }
};

} // namespace

TEST_F(MakingCli, ReportCutListAndTurningTable) {
    const std::string in = saveDocument();
    const Result r =
        cli({in, "--report", file("r.json"), "--density", "750", "--cut-list", file("c.csv"),
             "--turning", file("t.csv"), "--board", "15", file("out.stl")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("object \"pathless\" cannot be measured: no path"), std::string::npos);
    EXPECT_TRUE(fs::exists(file("out.stl")));
    const std::string json = readText(file("r.json"));
    // The frame: 380 x 20 x 280, (380 x 280 - 300 x 200) x 20 = 928000 mm³.
    EXPECT_NE(json.find("{\"name\": \"frame\", \"size_mm\": [380.00, 20.00, 280.00], "
                        "\"volume_mm3\": 928000.0"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"mass_kg\": 0.696000"), std::string::npos) << json;
    const std::string csv = readText(file("c.csv"));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n\r\n") + 4),
              "object,member,kind,long_mm,short_mm,mitre_start_deg,mitre_end_deg,width_mm,"
              "height_mm\r\n"
              "frame,1,member,380.00,300.00,45.00,45.00,40.00,20.00\r\n"
              "frame,2,member,280.00,200.00,45.00,45.00,40.00,20.00\r\n"
              "frame,3,member,380.00,300.00,45.00,45.00,40.00,20.00\r\n"
              "frame,4,member,280.00,200.00,45.00,45.00,40.00,20.00\r\n\r\n");
    EXPECT_NE(csv.find("frame,4,3.00,10.0,1465.20,2400.00,1\r\n"), std::string::npos) << csv;
    const std::string turning = readText(file("t.csv"));
    EXPECT_NE(turning.find("\r\ncup,2,15.00,30.00,23.00,0.00,8,19.05,23.00,22.50,152.43\r\n"),
              std::string::npos)
        << turning;
}

TEST_F(MakingCli, FrameForAPicture) {
    // A 40 mm moulding whose rebate is 10 mm in from its sight edge (x 0).
    std::ofstream(file("p.dxf")) << outlineDxfText(
        {{0, 0}, {40, 0}, {40, 20}, {10, 20}, {10, 10}, {0, 10}, {0, 0}}, true);
    Result r = cli({"--profile", file("p.dxf"), "--frame", "300x200", "--cut-list", file("c.csv"),
                    file("f.plv")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string csv = readText(file("c.csv"));
    EXPECT_NE(csv.find("obj1,1,member,362.00,282.00,45.00,45.00,40.00,20.00\r\n"
                       "obj1,2,member,262.00,182.00,45.00,45.00,40.00,20.00\r\n"),
              std::string::npos)
        << csv;
    r = cli({"--profile", file("p.dxf"), "--frame", "300x200", "--rebate", "50", file("g.plv")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("--frame: Rebate must be from 0 to 40 mm"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(file("g.plv")));
}

TEST_F(MakingCli, SettingsOutOfRangeAreRefusedNamingTheField) {
    const std::string in = saveDocument();
    const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
        {{in, "--cut-list", file("c.csv"), "--kerf", "-1"}, 2, "Kerf must be from 0 to 20 mm"},
        {{in, "--cut-list", file("c.csv"), "--waste", "x"}, 2, "--waste takes a number"},
        {{in, "--cut-list", file("c.csv"), "--stock", "300"},
         1,
         "object \"frame\": Stock length must be from 380.0 (the longest member) to 100000 mm"},
        {{in, "--turning", file("c.csv"), "--segments", "2"}, 2, "Segments per ring must be"},
        {{in, "--report", file("c.csv"), "--rebate", "3"}, 2, "--rebate goes with --frame"},
    };
    for (const auto& [args, code, says] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Result r = cli(args);
        EXPECT_EQ(r.code, code);
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(file("c.csv")));
    }
}

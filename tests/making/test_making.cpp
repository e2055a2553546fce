// Measurements, cut lists, turning tables and picture frames, checked against hand-computed
// figures and against the STL export's own volume.
#include "TestFiles.h"
#include "tools/export_fixtures.h"

#include "making/UnCutList.h"
#include "making/UnMakingText.h"
#include "making/UnMeasure.h"
#include "making/UnPictureFrame.h"
#include "making/UnTurning.h"
#include "model/UnTExtrObj.h"
#include "render/UnTRenderer.h"
#include "traversal/UnRedraw.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>

namespace {

using Points = std::vector<std::pair<int, int>>;

int32_t setPoints(OutlineVertex* to, const Points& points) {
    for (size_t i = 0; i < points.size(); ++i) {
        to[i] = OutlineVertex{};
        to[i].X = points[i].first;
        to[i].Y = points[i].second;
    }
    return int32_t(points.size());
}

std::unique_ptr<TExtrObj> swept(const Points& profile, const Points& path, bool closed) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("obj");
    object->ProfileCount = setPoints(object->Profile.data(), profile);
    object->PathCount = setPoints(object->Path.data(), path);
    object->SetPathClosed(closed);
    object->SetProfileScale(100);
    object->SetPathScale(100);
    return object;
}

// A 40 x 20 moulding from x0 to x0 + 40 across the path.
Points moulding(int x0) {
    return {{x0, 0}, {x0 + 40, 0}, {x0 + 40, 20}, {x0, 20}, {x0, 0}};
}

// Counter-clockwise (y up): profile x grows outwards.
const Points Rectangle = {{0, 0}, {300, 0}, {300, 200}, {0, 200}, {0, 0}};

struct MemberCase {
    const char* name;
    int x0; // the moulding's first x
    Points path;
    bool closed;
    std::vector<double> longs, shorts; // per member
    double mitre;                      // at every turning end
};

double stlVolume(const std::string& file) {
    const std::string bytes = readText(file);
    const uint32_t count = readLE(bytes, 80, 4);
    double volume = 0;
    for (uint32_t t = 0; t < count; ++t) {
        float p[9];
        std::memcpy(p, bytes.data() + 84 + 50 * size_t(t) + 12, sizeof p);
        volume += (double(p[0]) * (double(p[4]) * p[8] - double(p[5]) * p[7]) +
                   double(p[1]) * (double(p[5]) * p[6] - double(p[3]) * p[8]) +
                   double(p[2]) * (double(p[3]) * p[7] - double(p[4]) * p[6])) /
                  6;
    }
    return volume;
}

} // namespace

TEST(CutList, MemberLengthsAndMitres) {
    const double h = 1000 * std::sqrt(3.0) / 2;
    const int hy = int(std::lround(h * 1000));
    const MemberCase cases[] = {
        {"outside", 0, Rectangle, true, {380, 280, 380, 280}, {300, 200, 300, 200}, 45},
        {"inside", -40, Rectangle, true, {300, 200, 300, 200}, {220, 120, 220, 120}, 45},
        // Drawn clockwise, the same moulding lies inside: which side follows the direction.
        {"clockwise",
         0,
         {{0, 0}, {0, 200}, {300, 200}, {300, 0}, {0, 0}},
         true,
         {200, 300, 200, 300},
         {120, 220, 120, 220},
         45},
        // An equilateral triangle and a regular hexagon (sides 1000 and 1000000).
        {"triangle", 0, {{0, 0}, {1000000, 0}, {500000, hy}, {0, 0}}, true, {}, {}, 60},
        {"hexagon",
         0,
         {{1000000, 0},
          {500000, hy},
          {-500000, hy},
          {-1000000, 0},
          {-500000, -hy},
          {500000, -hy},
          {1000000, 0}},
         true,
         {},
         {},
         30},
        // An open path with one corner of 135 degrees between its members.
        {"135", 0, {{0, 0}, {100, 0}, {200, 100}}, false, {}, {}, 22.5},
    };
    for (const MemberCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto object = swept(moulding(c.x0), c.path, c.closed);
        const TCutList list = cutList(*object);
        ASSERT_EQ(list.Rows.size(), c.path.size() - 1);
        EXPECT_DOUBLE_EQ(list.Width, 40);
        EXPECT_DOUBLE_EQ(list.Height, 20);
        for (size_t i = 0; i < list.Rows.size(); ++i) {
            const TCutRow& row = list.Rows[i];
            EXPECT_EQ(row.Member, int(i + 1));
            EXPECT_TRUE(row.Problem.empty()) << row.Problem;
            if (!c.longs.empty()) {
                EXPECT_NEAR(row.Long, c.longs[i], 0.01);
                EXPECT_NEAR(row.Short, c.shorts[i], 0.01);
            }
            // An open path's ends are square cut at the caps.
            const bool first = !c.closed && i == 0, last = !c.closed && i + 1 == list.Rows.size();
            EXPECT_NEAR(row.MitreStart, first ? 0 : c.mitre, 0.01);
            EXPECT_NEAR(row.MitreEnd, last ? 0 : c.mitre, 0.01);
            EXPECT_EQ(row.StartKind, first ? TEndKind::Cap : TEndKind::Mitre);
        }
    }
}

TEST(CutList, CornerPiecesAndBadInput) {
    auto object = swept(moulding(0), Rectangle, true);
    object->SetRoundCorner(true);
    TCutList list = cutList(*object);
    // Members cut square where the straight part ends (half-width 40 x tan 45 at each end), each
    // followed by its round corner of radius 40 turning 90 degrees.
    ASSERT_EQ(list.Rows.size(), 8u);
    EXPECT_NEAR(list.Rows[0].Long, 220, 1e-9);
    EXPECT_NEAR(list.Rows[0].Short, 220, 1e-9);
    EXPECT_EQ(list.Rows[0].MitreStart, 0);
    EXPECT_EQ(list.Rows[0].EndKind, TEndKind::Round);
    const TCutRow& corner = list.Rows[1];
    EXPECT_TRUE(corner.Corner);
    EXPECT_STREQ(corner.KindName(), "round");
    EXPECT_NEAR(corner.Radius, 40, 1e-9);
    EXPECT_NEAR(corner.Angle, 90, 1e-9);
    // Along the path 80; at the inner extreme (the path) too; outside, two bands of
    // hypot(40 (1 - cos 45), 40 + 40 sin 45).
    const double band = std::hypot(40 * (1 - std::sqrt(0.5)), 40 + 40 * std::sqrt(0.5));
    EXPECT_NEAR(corner.Short, 80, 1e-9);
    EXPECT_NEAR(corner.Long, 2 * band, 1e-9);
    object->SetEmbCorner(true);
    EXPECT_STREQ(cutList(*object).Rows[1].KindName(), "embedded");

    // A repeated path point: that member says why, the others are still cut.
    auto repeated = swept(moulding(0), {{0, 0}, {100, 0}, {100, 0}, {100, 100}}, false);
    list = cutList(*repeated);
    ASSERT_EQ(list.Rows.size(), 3u);
    EXPECT_NE(list.Rows[1].Problem.find("are the same"), std::string::npos);
    EXPECT_NEAR(list.Rows[0].MitreEnd, 45, 1e-9);
    EXPECT_NEAR(list.Rows[2].Long, 140, 1e-9);
    // A member too short for its mitres' band: its corners become bands.
    auto tight = swept(moulding(0), {{0, 0}, {100, 0}, {100, 50}, {0, 50}}, false);
    EXPECT_STREQ(cutList(*tight).Rows[1].KindName(), "band");
    auto empty = swept({}, Rectangle, true);
    EXPECT_EQ(cutList(*empty).Problem, "no profile");
    repeated->SetLathe(true);
    EXPECT_FALSE(cutList(*repeated).Problem.empty());
}

TEST(CutList, StockFirstFitDecreasing) {
    const std::vector<double> pieces = {280, 380, 280, 380};
    TStockSettings s;
    s.Stock = 800;
    const TStockSummary summary = stockSummary(pieces, s);
    EXPECT_EQ(summary.StockLengths, 2);
    EXPECT_EQ(summary.Bars[0], (std::vector<double>{380, 380}));
    EXPECT_NEAR(summary.Total, (1320 + 4 * 3) * 1.1, 1e-9);
    const std::pair<TStockSettings, const char*> bad[] = {
        {{-1, 10, 2400}, "Kerf must be from 0 to 20 mm"},
        {{3, 101, 2400}, "Waste must be from 0 to 100 %"},
        {{3, 10, 300}, "Stock length must be from 380.0 (the longest member) to 100000 mm"},
    };
    for (const auto& [settings, message] : bad)
        EXPECT_EQ(checkStockSettings(settings, pieces), message);
    EXPECT_EQ(checkStockSettings(TStockSettings{}, pieces), "");
}

TEST(Measure, BarVolumeMassAndOutlines) {
    TExtrObjList doc;
    doc.Add(swept({{0, 0}, {60, 0}, {60, 40}, {0, 40}, {0, 0}}, {{0, 0}, {0, 500}}, false));
    doc.Add(swept({}, {{0, 0}, {0, 500}}, false));
    const TDocumentMeasures m = measureDocument(doc);
    ASSERT_EQ(m.Objects.size(), 2u);
    const TObjectMeasures& bar = m.Objects[0];
    EXPECT_TRUE(bar.Mesh.Solid);
    EXPECT_NEAR(bar.Mesh.Volume, 1.2e6, 1.2e6 * 1e-6);
    EXPECT_NEAR(massKg(bar.Mesh.Volume, Materials[1].Density), 0.9, 1e-6);
    EXPECT_NEAR(bar.Mesh.Area, 2 * (60 * 40 + 60 * 500 + 40 * 500), 1e-2);
    EXPECT_NEAR(bar.Mesh.Size(0), 60, 1e-4);
    EXPECT_NEAR(bar.Mesh.Size(1), 40, 1e-4);
    EXPECT_NEAR(bar.Mesh.Size(2), 500, 1e-4);
    EXPECT_DOUBLE_EQ(bar.Outlines.ProfileArea, 2400);
    EXPECT_DOUBLE_EQ(bar.Outlines.ProfilePerimeter, 200);
    EXPECT_DOUBLE_EQ(bar.Outlines.PathLength, 500);
    EXPECT_EQ(m.Objects[1].Problem, "no profile");
    EXPECT_FALSE(m.Objects[1].Mesh.Built);
    // An open profile is no solid.
    doc.Items(0).ProfileCount = 4;
    EXPECT_FALSE(measureDocument(doc).Objects[0].Mesh.Solid);
}

class MeasureStl : public ScratchTest {};

TEST_F(MeasureStl, VolumeIsTheStlExportsVolume) {
    // Each document measured as soon as it is made: loading one replaces the texture table.
    std::vector<std::function<void(TExtrObjList&)>> docs;
    for (const char* example : {"frame.PLV", "moulding.PLV", "vase.PLV"})
        docs.push_back([example](TExtrObjList& doc) {
            doc.LoadFromFile(std::string(PALVORIN_SOURCE_DIR) + "/examples/" + example, nullptr);
        });
    docs.push_back([](TExtrObjList& doc) { doc.Add(fixtures::makeBlock()); });
    for (bool round : {false, true})
        docs.push_back([round](TExtrObjList& doc) {
            auto frame = swept(moulding(-10), Rectangle, true);
            frame->SetRoundCorner(round);
            frame->SetRotation(Vec3{10, 20, 30});
            doc.Add(std::move(frame));
        });
    for (auto& make : docs) {
        TExtrObjList doc;
        make(doc);
        const TDocumentMeasures m = measureDocument(doc);
        useSTLRenderer();
        redrawDocument(doc, 0, file("out.stl"));
        setCurrentRenderer(nullptr);
        const double stl = stlVolume(file("out.stl"));
        EXPECT_GT(stl, 0);
        EXPECT_NEAR(m.Whole.Volume, stl, std::abs(stl) * 1e-6);
    }
}

TEST(PictureFrame, OutsideAndSightSizes) {
    // Sight edge at x 5, rebate 10 mm in (x 15), outer edge at x 45.
    auto object = swept({{5, 0}, {45, 0}, {45, 20}, {15, 20}, {15, 10}, {5, 10}, {5, 0}}, {}, true);
    EXPECT_DOUBLE_EQ(proposedRebate(*object), 15);
    const TFrameSettings settings{300, 200, 2, 15};
    ASSERT_EQ(checkFrameSettings(*object, settings), "");
    makePictureFrame(*object, settings);
    EXPECT_EQ(profileSide(*object), 1);
    TExtrObjList doc;
    doc.Add(std::move(object));
    const TDocumentMeasures m = measureDocument(doc);
    EXPECT_NEAR(m.Whole.Size(0), 362, 1e-3);
    EXPECT_NEAR(m.Whole.Size(2), 262, 1e-3);
    const TCutList list = cutList(doc.Items(0));
    EXPECT_NEAR(list.Rows[0].Long, 362, 1e-9);
    EXPECT_NEAR(list.Rows[0].Short, 282, 1e-9);
    EXPECT_NEAR(list.Rows[1].Short, 182, 1e-9);
    // An odd allowance puts the corners on half millimetres: the path's scale keeps them exact.
    makePictureFrame(doc.Items(0), {300, 200, 1, 15});
    EXPECT_EQ(doc.Items(0).PathScale(), 50);
    EXPECT_NEAR(cutList(doc.Items(0)).Rows[1].Long, 261, 1e-9);
    EXPECT_EQ(checkFrameSettings(doc.Items(0), {300, 200, 2, 60}),
              "Rebate must be from 5 to 45 mm (across the profile)");
    EXPECT_EQ(checkFrameSettings(doc.Items(0), {0, 200, 2, 15}),
              "Picture width must be from 1 to 10000 mm");
}

TEST(Turning, BowlRings) {
    // A cup of radius 50 and height 38 with a 10 mm floor and 10 mm walls, in 12 steps.
    auto bowl = swept({{0, 0}, {50, 0}, {50, 38}, {40, 38}, {40, 10}, {0, 10}}, {}, true);
    bowl->MakeLathe(12);
    const TTurningTable table = turningTable(*bowl, TTurningSettings{});
    ASSERT_EQ(table.Rings.size(), 2u);
    const double tan15 = std::tan(std::numbers::pi / 12);
    const TRing& floor = table.Rings[0];
    EXPECT_TRUE(floor.SolidRing);
    EXPECT_DOUBLE_EQ(floor.Outer, 53);
    EXPECT_DOUBLE_EQ(floor.Inner, 0);
    const TRing& wall = table.Rings[1];
    EXPECT_DOUBLE_EQ(wall.From, 19);
    EXPECT_DOUBLE_EQ(wall.To, 38);
    EXPECT_DOUBLE_EQ(wall.Outer, 53);
    EXPECT_DOUBLE_EQ(wall.Inner, 37);
    EXPECT_FALSE(wall.SolidRing);
    EXPECT_EQ(wall.Segments, 12);
    EXPECT_DOUBLE_EQ(wall.Mitre, 15);
    EXPECT_NEAR(wall.SegmentLength, 2 * 53 * tan15, 1e-12);
    EXPECT_DOUBLE_EQ(wall.SegmentWidth, 16);
    EXPECT_NEAR(wall.BoardLength, 12 * 2 * 53 * tan15, 1e-9);
    EXPECT_EQ(checkTurningSettings({0, 0, 3}), "Board thickness must be from 1 to 200 mm");
    EXPECT_EQ(checkTurningSettings({19, 2, 3}), "Segments per ring must be from 3 to 100");
    EXPECT_FALSE(turningTable(*swept({}, Rectangle, true), {}).Problem.empty());
}

TEST(MakingText, CsvAndJson) {
    auto object = swept(moulding(0), Rectangle, true);
    object->SetName("a, \"b\"");
    const std::string csv = cutListCsv({cutList(*object)}, TStockSettings{});
    EXPECT_EQ(csv.substr(0, csv.find("\r\n", 100) + 2),
              std::string(CutListHeader) +
                  "\r\n\"a, \"\"b\"\"\",1,member,380.00,300.00,45.00,45.00,40.00,20.00\r\n");
    EXPECT_NE(csv.find("\r\n\r\n" + std::string(StockHeader) +
                       "\r\n\"a, \"\"b\"\"\",4,3.00,10.0,1465.20,2400.00,1\r\n"),
              std::string::npos);
    EXPECT_EQ(fixedNumber(-0.001, 2), "0.00");
    TDocumentMeasures m;
    m.Objects.push_back({"x\"", {}, {}, "no path"});
    EXPECT_EQ(measuresJson(m, 750.0),
              "{\n  \"document\": {\"size_mm\": [0.00, 0.00, 0.00], \"volume_mm3\": null, "
              "\"area_mm2\": 0.000, \"solid\": false, \"mass_kg\": null},\n  \"objects\": [\n"
              "    {\"name\": \"x\\\"\", \"size_mm\": [0.00, 0.00, 0.00], \"volume_mm3\": null, "
              "\"area_mm2\": 0.000, \"solid\": false, \"mass_kg\": null, "
              "\"profile_area_mm2\": 0.000, \"path_length_mm\": 0.000, \"problem\": \"no path\"}"
              "\n  ]\n}\n");
}

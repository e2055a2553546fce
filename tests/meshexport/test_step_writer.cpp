// The STEP writer's text and the solid check of planar faces, on a cube (core library, no
// display; files read back by another library are the watertight tests').
#include "meshexport/UnStepCheck.h"
#include "meshexport/UnStepWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using P3 = std::array<double, 3>;

// The unit cube's corners and its six faces, wound outwards.
const std::vector<P3> CubePoints{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                 {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const std::vector<std::vector<uint32_t>> CubeLoops{{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                                   {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
const std::vector<P3> CubeNormals{{0, 0, -1}, {0, 0, 1}, {0, -1, 0},
                                  {1, 0, 0},  {0, 1, 0}, {-1, 0, 0}};

std::vector<TPlanarFace> cubeFaces() {
    std::vector<TPlanarFace> faces(6);
    for (size_t f = 0; f < 6; ++f) {
        faces[f].Loops = {CubeLoops[f]};
        faces[f].Normal = CubeNormals[f];
        faces[f].Origin = CubePoints[CubeLoops[f][0]];
        faces[f].Run = f == 1 ? 1 : 0;
        faces[f].Triangles = {uint32_t(2 * f)};
    }
    return faces;
}

TEST(StepWriter, NumbersAndStringsAreWrittenAsTheFileFormatSpellsThem) {
    const std::pair<double, const char*> reals[] = {
        {0, "0."},        {-0.0, "0."},
        {1, "1."},        {-0.5, "-0.5"},
        {1e-7, "1.E-07"}, {1.5e-7, "1.5E-07"},
        {0.1, "0.1"},     {1e21, "1.E+21"},
        {135.f, "135."},  {-110.36844635009766, "-110.36844635009766"}};
    for (const auto& [value, text] : reals)
        EXPECT_EQ(stepReal(value), text);
    EXPECT_EQ(stepString("it's a\\b \xe9\n"), "it''s a\\\\b \\X\\E9\\X\\0A");
}

// The whole file of a cube of two colours: each corner, edge and direction once, lines from
// corners, each face's plane through its first corner, one style per colour.
TEST(StepWriter, ACubeOfTwoColoursIsOneSolidWithItsEntitiesShared) {
    TStepObject cube;
    cube.Name = "Cube's";
    cube.Points = CubePoints;
    cube.Faces = cubeFaces();
    cube.Colours = {{0.5f, 0.25f, 1.f}, {1.f, 0.f, 0.f}};
    std::string text;
    TStepWriter writer(text, "/some/folder/cube.step");
    writer.addObject(cube);
    writer.finish();
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_TRUE(
        text.starts_with("ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('Palvorin solids'),"
                         "'2;1');\nFILE_NAME('cube.step','2000-01-01T00:00:00',(''),(''),"
                         "'Palvorin','Palvorin','');\nFILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 "
                         "10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n#1=APPLICATION_CONTEXT("));
    const std::pair<const char*, size_t> counts[] = {
        {"=CARTESIAN_POINT(", 8 + 1}, // and the origin
        {"=VERTEX_POINT(", 8},
        {"=EDGE_CURVE(", 12},
        {"=ORIENTED_EDGE(", 24},
        {"=LINE(", 12},
        {"=VECTOR(", 6},
        {"=DIRECTION(", 6 + 2}, // and the origin's axes
        {"=PLANE(", 6},
        {"=FACE_OUTER_BOUND(", 6},
        {"=ADVANCED_FACE(", 6},
        {"=CLOSED_SHELL(", 1},
        {"=MANIFOLD_SOLID_BREP(", 1},
        {"=COLOUR_RGB(", 2},
        {"=STYLED_ITEM(", 2},
        {"PRODUCT('Cube''s','Cube''s','',(#3))", 1},
        {"LENGTH_MEASURE(1.E-07)", 1},
        {"COLOUR_RGB('',0.5,0.25,1.)", 1},
    };
    for (const auto& [what, n] : counts)
        EXPECT_EQ(count(what), n) << what;
    // The first face: its edges, then its plane through its first corner, the plane's normal
    // given without a reference direction.
    EXPECT_NE(text.find("#12=CARTESIAN_POINT('',(0.,0.,0.));\n#13=VERTEX_POINT('',#12);\n"
                        "#14=CARTESIAN_POINT('',(0.,1.,0.));\n#15=VERTEX_POINT('',#14);\n"
                        "#16=DIRECTION('',(0.,1.,0.));\n#17=VECTOR('',#16,1.);\n"
                        "#18=LINE('',#12,#17);\n#19=EDGE_CURVE('',#13,#15,#18,.T.);\n"
                        "#20=ORIENTED_EDGE('',*,*,#19,.T.);\n"),
              std::string::npos);
    EXPECT_NE(text.find("=AXIS2_PLACEMENT_3D('',#12,"), std::string::npos);
    EXPECT_TRUE(text.ends_with(");\nENDSEC;\nEND-ISO-10303-21;\n"));
}

// The checks a solid's faces must pass, each fault named.
TEST(StepCheck, FacesBoundASolidOnlyWhenClosedOrientedSimpleAndOfPositiveVolume) {
    const struct {
        const char* name;
        std::function<void(std::vector<TPlanarFace>&)> change;
        const char* fault;
    } cases[] = {
        {"the cube", [](auto&) {}, ""},
        {"a face missing", [](auto& f) { f.pop_back(); }, "its faces leave gaps"},
        {"a face turned round",
         [](auto& f) { std::reverse(f[2].Loops[0].begin(), f[2].Loops[0].end()); },
         "its faces do not make a valid solid"},
        {"inside out",
         [](auto& f) {
             for (TPlanarFace& face : f)
                 std::reverse(face.Loops[0].begin(), face.Loops[0].end());
         },
         "its faces do not make a valid solid"},
        {"a loop out of order", [](auto& f) { std::swap(f[1].Loops[0][1], f[1].Loops[0][2]); },
         "its faces leave gaps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TPlanarFace> faces = cubeFaces();
        c.change(faces);
        std::vector<uint32_t> invalid;
        EXPECT_EQ(solidFault(CubePoints, faces, invalid), c.fault);
    }
}

TEST(StepCheck, LoopsThatCrossOrTouchInTheirPlaneAreFound) {
    const std::vector<P3> points{{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}, {1, 1, 0},
                                 {1, 2, 0}, {2, 2, 0}, {4, 2, 0}, {8, 2, 0}};
    const struct {
        std::vector<std::vector<uint32_t>> loops;
        bool crosses;
    } cases[] = {
        {{{0, 1, 2, 3}}, false},
        {{{0, 2, 1, 3}}, true},             // a bow tie
        {{{0, 1, 2, 3}, {4, 5, 6}}, false}, // with a hole
        {{{0, 1, 2, 3}, {4, 5, 7}}, true},  // a hole touching the outline
        {{{0, 1, 2, 3}, {4, 5, 8}}, true},  // a hole crossing it
    };
    for (const auto& c : cases) {
        TPlanarFace face;
        face.Loops = c.loops;
        face.Normal = {0, 0, 1};
        EXPECT_EQ(faceLoopsCross(points, face), c.crosses) << c.loops[0].size();
    }
}

} // namespace

// Tests of the DXF exporter: exact text, corners and the placement of each object.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

namespace {

const std::string Header = "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1012\r\n"
                           "0\r\nENDSEC\r\n0\r\nSECTION\r\n2\r\nENTITIES\r\n";
const std::string Trailer = "0\r\nENDSEC\r\n0\r\nEOF\r\n";
const std::vector<std::string> FaceHead = {"0", "3DFACE", "8", "LAYER1", "62", "0"};

std::vector<std::string> slice(const std::vector<std::string>& lines, size_t from, size_t n) {
    return {lines.begin() + long(from), lines.begin() + long(from + n)};
}

} // namespace

TEST(DXFExport, OneQuadIsExactlyFortyEightLines) {
    const std::string text = exportWith<TDXFRenderer>("quad.dxf", [](TRenderer& r) {
        r.initObject("obj1");
        r.setObjectMatrix(translation(10, 0, -2.5f));
        plainQuad(r, 0, 0);
        r.endObject(1, 1, false);
    });
    EXPECT_EQ(text, Header +
                        "0\r\n3DFACE\r\n8\r\nLAYER1\r\n62\r\n0\r\n"
                        "10\r\n10.000000\r\n20\r\n0.000000\r\n30\r\n-2.500000\r\n"
                        "11\r\n11.000000\r\n21\r\n0.000000\r\n31\r\n-2.500000\r\n"
                        "12\r\n11.000000\r\n22\r\n1.000000\r\n32\r\n-2.500000\r\n"
                        "13\r\n10.000000\r\n23\r\n1.000000\r\n33\r\n-2.500000\r\n" +
                        Trailer);
    EXPECT_EQ(crlfLines(text).size(), 48u);
}

// The last object, moved to x = -30, is placed by its own matrix.
TEST(DXFExport,
     TrianglesRepeatTheirThirdCornerCapsArriveAsTrianglesAllInColourZeroEachObjectPlaced) {
    const auto lines = crlfLines(exportWith<TDXFRenderer>("tri.dxf", [](TRenderer& r) {
        r.initObject("a");
        r.setColor(ColorF{1, 0, 0, 1});
        r.triangle({Vec3{0, 0, 0}, Vec3{1.25f, 0, 0}, Vec3{0.5f, 2, 3}}, false, {});
        r.quads(quadAt(5, 5, 5), true, unitTexCoords());
        const Vec3 n{0, 0, -1};
        r.beginPrimitive(PrimTriangleFan);
        r.texturedVertex(SquareFan[0], Vec3{0.5f, 0.5f, 0}, n);
        for (size_t i = 1; i < 4; ++i)
            r.vertex(SquareFan[i], n);
        r.endPrimitive();
        r.endObject(1, 1, true);
        r.setObjectMatrix(translation(-30, 0, 0));
        r.initObject("b");
        plainQuad(r, 0, 0);
        r.endObject(2, 1, false);
    }));
    ASSERT_EQ(lines.size(), 14u + 5 * 30u + 4u);
    const std::vector<std::string> corners34 = {"12", "0.500000", "22", "2.000000",
                                                "32", "3.000000", "13", "0.500000",
                                                "23", "2.000000", "33", "3.000000"};
    EXPECT_EQ(slice(lines, 14 + 18, 12), corners34);
    for (size_t face = 14; face < 164; face += 30)
        EXPECT_EQ(slice(lines, face, 6), FaceHead) << face;
    // The cap's first triangle is (V0, V2, V1): its second corner is (10, 10).
    EXPECT_EQ(slice(lines, 74 + 12, 4),
              (std::vector<std::string>{"11", "10.000000", "21", "10.000000"}));
    EXPECT_EQ(std::make_pair(lines[134 + 7], lines[134 + 13]),
              std::make_pair(std::string("-30.000000"), std::string("-29.000000")));
}

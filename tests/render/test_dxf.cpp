// Tests of the DXF exporter: exact text, corners, placement, locale and write failures.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <clocale>
#include <locale>

namespace {

const char* const Header = "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1012\r\n"
                           "0\r\nENDSEC\r\n0\r\nSECTION\r\n2\r\nENTITIES\r\n";
const char* const Trailer = "0\r\nENDSEC\r\n0\r\nEOF\r\n";

std::string exportOneQuad(const std::string& name, const Matrix4& placement) {
    std::string path = scratchPath(name);
    TDXFRenderer r;
    r.initRendering(path);
    r.initObject("obj1");
    r.setObjectMatrix(placement);
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.endObject(1, 1, false);
    r.endRendering();
    return takeFile(path);
}

} // namespace

TEST(DXFExport, OneQuadIsExactlyFortyEightLines) {
    std::string text = exportOneQuad("quad.dxf", translation(10, 0, -2.5f));
    std::string expected = std::string(Header) +
                           "0\r\n3DFACE\r\n8\r\nLAYER1\r\n62\r\n0\r\n"
                           "10\r\n10.000000\r\n20\r\n0.000000\r\n30\r\n-2.500000\r\n"
                           "11\r\n11.000000\r\n21\r\n0.000000\r\n31\r\n-2.500000\r\n"
                           "12\r\n11.000000\r\n22\r\n1.000000\r\n32\r\n-2.500000\r\n"
                           "13\r\n10.000000\r\n23\r\n1.000000\r\n33\r\n-2.500000\r\n" +
                           Trailer;
    EXPECT_EQ(text, expected);
    EXPECT_EQ(crlfLines(text).size(), 48u);
}

TEST(DXFExport, TriangleRepeatsItsThirdCornerAndEveryFaceHasColourZero) {
    std::string path = scratchPath("tri.dxf");
    TDXFRenderer r;
    r.initRendering(path);
    r.initObject("a");
    r.setColor(ColorF{1, 0, 0, 1});
    r.triangle({Vec3{0, 0, 0}, Vec3{1.25f, 0, 0}, Vec3{0.5f, 2, 3}}, false, {});
    r.quads(quadAt(5, 5, 5), true, unitTexCoords());
    r.endObject(1, 1, true);
    r.endRendering();
    std::vector<std::string> lines = crlfLines(takeFile(path));
    ASSERT_EQ(lines.size(), 14u + 30u + 30u + 4u);
    // The triangle's corner 2 and corner 3 carry the same coordinates.
    const std::vector<std::string> corner3 = {"12", "0.500000", "22", "2.000000", "32", "3.000000",
                                              "13", "0.500000", "23", "2.000000", "33", "3.000000"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 14 + 18, lines.begin() + 14 + 30), corner3);
    for (size_t face : {14u, 44u}) {
        EXPECT_EQ(lines[face], "0");
        EXPECT_EQ(lines[face + 1], "3DFACE");
        EXPECT_EQ(lines[face + 2], "8");
        EXPECT_EQ(lines[face + 3], "LAYER1");
        EXPECT_EQ(lines[face + 4], "62");
        EXPECT_EQ(lines[face + 5], "0");
    }
}

TEST(DXFExport, EachObjectIsPlacedByItsOwnMatrix) {
    std::string path = scratchPath("two.dxf");
    TDXFRenderer r;
    r.initRendering(path);
    for (float x : {100.0f, -30.0f}) {
        r.setObjectMatrix(translation(x, 0, 0));
        r.initObject("o");
        r.quads(quadAt(0, 0, 0), false, unitTexCoords());
        r.endObject(1, 1, false);
    }
    r.endRendering();
    std::vector<std::string> lines = crlfLines(takeFile(path));
    ASSERT_EQ(lines.size(), 14u + 60u + 4u);
    EXPECT_EQ(lines[14 + 6], "10");
    EXPECT_EQ(lines[14 + 7], "100.000000");
    EXPECT_EQ(lines[44 + 7], "-30.000000");
    EXPECT_EQ(lines[44 + 13], "-29.000000");
}

TEST(DXFExport, CapPrimitivesArriveAsTriangles) {
    std::string path = scratchPath("cap.dxf");
    TDXFRenderer r;
    r.initRendering(path);
    r.initObject("cap");
    r.beginPrimitive(PrimTriangleFan);
    const Vec3 n{0, 0, -1};
    r.texturedVertex(Vec3{0, 0, 0}, Vec3{0.5f, 0.5f, 0}, n);
    r.vertex(Vec3{10, 0, 0}, n);
    r.vertex(Vec3{10, 10, 0}, n);
    r.vertex(Vec3{0, 10, 0}, n);
    r.endPrimitive();
    r.endObject(1, 1, false);
    r.endRendering();
    std::vector<std::string> lines = crlfLines(takeFile(path));
    ASSERT_EQ(lines.size(), 14u + 2 * 30u + 4u);
    // First triangle (V0, V2, V1): its second corner is (10, 10).
    EXPECT_EQ(lines[14 + 12], "11");
    EXPECT_EQ(lines[14 + 13], "10.000000");
    EXPECT_EQ(lines[14 + 15], "10.000000");
}

TEST(DXFExport, CommaLocaleStillWritesPoints) {
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCpp;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    std::locale::global(std::locale("de_DE.UTF-8"));
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    std::string text = exportOneQuad("de.dxf", translation(10.25f, 0, 0));
    std::locale::global(savedCpp);
    std::setlocale(LC_ALL, savedC.c_str());
    EXPECT_STREQ(probe, "1,5") << "the locale did not switch to a comma";
    EXPECT_NE(text.find("\r\n10.250000\r\n"), std::string::npos);
    EXPECT_EQ(text.find(','), std::string::npos);
}

TEST(DXFExport, UncreatableFileIsTheFileLayersOwnError) {
    TDXFRenderer r;
    try {
        r.initRendering("/nonexistent-dir/x.dxf");
        FAIL() << "no error";
    } catch (const EDXFError&) {
        FAIL() << "must not be a renderer error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot create file \"/nonexistent-dir/x.dxf\""),
                  std::string::npos)
            << e.what();
    }
}

TEST(DXFExport, FullDiskGivesTheRendererErrorAndClosesTheFile) {
    TDXFRenderer r;
    r.initRendering("/dev/full");
    r.initObject("a");
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    try {
        r.endRendering();
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "10: Renderer: Error in DXF:endRendering No space left on device");
    }
    EXPECT_FALSE(r.outFile.isOpen());
}

TEST(DXFExport, FreeingAnUnfinishedExportKeepsWhatWasWritten) {
    std::string path = scratchPath("early.dxf");
    {
        TDXFRenderer r;
        r.initRendering(path);
        r.initObject("a");
        r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    }
    std::vector<std::string> lines = crlfLines(takeFile(path));
    EXPECT_EQ(lines.size(), 14u + 30u);
}

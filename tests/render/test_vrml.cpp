// Tests of the VRML 2.0 exporter: exact scene text, textures, groups, caps, colourless faces.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <clocale>
#include <locale>

namespace {

std::string sp(int n) {
    return std::string(size_t(n), ' ');
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

// The text between "point [" and "]" of the coordinate (which = 0) or texture (which = 1) list of
// the face starting at or after from.
std::string listOf(const std::string& text, size_t from, const std::string& node) {
    size_t at = text.find(node, from);
    if (at == std::string::npos) return "<none>";
    size_t open = text.find("point [", at) + 7;
    return text.substr(open, text.find(']', open) - open);
}

const std::string MaterialTail = "\t\t\tspecularColor 0.2 0.2 0.2 \r\n"
                                 "\t\t\tambientIntensity 0.2 \r\n"
                                 "\t\t\temissiveColor 0.0 0.0 0.0 \r\n"
                                 "\t\t\tshininess 0.2 \r\n"
                                 "\t\t\ttransparency 0.0 \r\n"
                                 "\t\t   } \r\n";
const std::string GeometryHead = "\t  geometry IndexedFaceSet { \r\n"
                                 "        coord Coordinate { \r\n"
                                 "           point [";
const std::string ShapeTail = "\t  colorPerVertex FALSE \r\n"
                              "\t  ccw TRUE \r\n"
                              "\t  solid FALSE \r\n"
                              "      } # end faceset \r\n"
                              "   } # end shape \r\n";

} // namespace

TEST(VRMLExport, TwoFaceLatheSceneIsWrittenExactly) {
    std::string path = scratchPath("lathe.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    r.setObjectMatrix(translation(10, 0, 0));
    r.initObject("Lathe");
    r.initList(101);
    r.setTexture(noTexture());
    r.setColor(ColorF{1, 0, 0, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.quads(quadAt(0, 1, 0), false, unitTexCoords());
    r.endList();
    r.initList(102);
    r.setTexture(texture("C:\\tex\\wood.bmp"));
    r.setColor(ColorF{0, 0, 0.5f, 1});
    r.quads(quadAt(0, 2, 0), true, unitTexCoords());
    r.quads(quadAt(0, 3, 0), true, unitTexCoords());
    r.endList();
    r.endObject(1, 2, false);
    r.endRendering();

    const std::string texRow = "0.000000 0.000000 ,1.000000 0.000000 ,1.000000 1.000000 ,"
                               "0.000000 1.000000 ,\r\n" +
                               sp(13);
    const std::string expected = "#VRML V2.0 utf8\r\n"
                                 "# exported by Palvorin v 1.0\r\n"
                                 "Group { \r\n"
                                 "\tchildren  [ \r\n"
                                 "#---- face 0 -----------------\r\n"
                                 "\t   Shape{appearance Appearance  { \r\n"
                                 "\t\t   material Material {  \r\n"
                                 "\t\t\tdiffuseColor 1.000000 0.000000 0.000000 \r\n" +
                                 MaterialTail + "\t         } \r\n" + GeometryHead +
                                 "10.000000 0.000000 0.000000 ,11.000000 0.000000 0.000000 ,"
                                 "11.000000 1.000000 0.000000 ,10.000000 1.000000 0.000000 ,\r\n" +
                                 sp(13) +
                                 "10.000000 1.000000 0.000000 ,11.000000 1.000000 0.000000 ,"
                                 "11.000000 2.000000 0.000000 ,10.000000 2.000000 0.000000 ,\r\n" +
                                 sp(13) +
                                 "]\r\n"
                                 "        } \r\n"
                                 "        coordIndex[0 1 2 3  -1 \r\n" +
                                 sp(12) + "4 5 6 7  -1 \r\n" + sp(12) + "]\r\n" + ShapeTail +
                                 "#---- face 1 -----------------\r\n"
                                 "\t   Shape{appearance Appearance  { \r\n"
                                 "\t\t   material Material {  \r\n"
                                 "\t\t\tdiffuseColor 0.000000 0.000000 0.500000 \r\n" +
                                 MaterialTail +
                                 "\t\t   texture ImageTexture { \r\n"
                                 // A backslash of a stored path is escaped inside the VRML string.
                                 "\t\t        url [\"C:\\\\tex\\\\wood.jpg\"]\r\n"
                                 "\t\t   } \r\n"
                                 "\t         } \r\n" +
                                 GeometryHead +
                                 "10.000000 2.000000 0.000000 ,11.000000 2.000000 0.000000 ,"
                                 "11.000000 3.000000 0.000000 ,10.000000 3.000000 0.000000 ,\r\n" +
                                 sp(13) +
                                 "10.000000 3.000000 0.000000 ,11.000000 3.000000 0.000000 ,"
                                 "11.000000 4.000000 0.000000 ,10.000000 4.000000 0.000000 ,\r\n" +
                                 sp(13) +
                                 "]\r\n"
                                 "        } \r\n"
                                 "        coordIndex[0 1 2 3  -1 \r\n" +
                                 sp(12) + "4 5 6 7  -1 \r\n" + sp(12) + "]\r\n" +
                                 "        texCoord TextureCoordinate { \r\n"
                                 "           point [" +
                                 texRow + texRow + "]\r\n" + "        } \r\n" + ShapeTail +
                                 "  ] # end children \r\n"
                                 "} # end group  \r\n";
    EXPECT_EQ(takeFile(path), expected);
}

TEST(VRMLExport, TexturedFaceHasOneTextureCoordinatePerPointUntexturedHasNone) {
    std::string path = scratchPath("tex.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    r.initObject("o");
    r.setTexture(texture("/home/u/pics/stone.file.png"));
    r.setColor(ColorF{1, 1, 1, 1});
    r.quads(quadAt(0, 0, 0), true, unitTexCoords());
    // Untextured geometry inside the textured face still gets its coordinates, (0,0).
    r.quads(quadAt(0, 1, 0), false, unitTexCoords());
    r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, true,
               {Vec3{0.25f, 0.5f, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}});
    r.setTexture(texture("plain.bmp", -1));
    r.setColor(ColorF{1, 1, 1, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.endObject(1, 2, false);
    r.endRendering();
    std::string text = takeFile(path);
    crlfLines(text);

    size_t face1 = text.find("#---- face 1");
    ASSERT_NE(face1, std::string::npos);
    const std::string head0 = text.substr(0, face1);
    EXPECT_EQ(count(head0, "url [\"/home/u/pics/stone.file.jpg\"]"), 1u);
    std::string points = listOf(text, 0, "coord Coordinate");
    std::string tex = listOf(text, 0, "texCoord TextureCoordinate");
    EXPECT_EQ(count(points, ","), 11u);
    EXPECT_EQ(count(tex, ","), 11u);
    EXPECT_NE(tex.find("0.000000 0.000000 ,0.000000 0.000000 ,0.000000 0.000000 ,"
                       "0.000000 0.000000 ,\r\n"),
              std::string::npos);
    EXPECT_NE(tex.find("0.250000 0.500000 ,"), std::string::npos);

    const std::string rest = text.substr(face1);
    EXPECT_EQ(rest.find("ImageTexture"), std::string::npos);
    EXPECT_EQ(rest.find("texCoord"), std::string::npos);
    EXPECT_EQ(count(listOf(rest, 0, "coord Coordinate"), ","), 4u);
}

TEST(VRMLExport, TwoObjectsGiveTwoGroupsNumberingFacesFromZero) {
    std::string path = scratchPath("two.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    for (int obj = 0; obj < 2; ++obj) {
        r.initObject("o");
        for (int face = 0; face < 2; ++face) {
            r.setTexture(noTexture());
            r.setColor(ColorF{0.5f, 0.5f, 0.5f, 1});
            r.quads(quadAt(0, 0, 0), false, unitTexCoords());
        }
        // A colour change between quads starts a new face even when the colour is the same.
        r.setColor(ColorF{0.5f, 0.5f, 0.5f, 1});
        r.quads(quadAt(0, 0, 0), false, unitTexCoords());
        r.endObject(obj + 1, 2, obj == 0);
    }
    r.endRendering();
    std::string text = takeFile(path);
    EXPECT_EQ(count(text, "Group { \r\n"), 2u);
    EXPECT_EQ(count(text, "} # end group  \r\n"), 2u);
    EXPECT_EQ(count(text, "#---- face 0 -----------------\r\n"), 2u);
    EXPECT_EQ(count(text, "#---- face 2 -----------------\r\n"), 2u);
    EXPECT_EQ(count(text, "#---- face 3"), 0u);
    EXPECT_EQ(count(text, "\t   Shape{"), 6u);
    EXPECT_EQ(count(text, "   } # end shape \r\n"), 6u);
    // Point numbers restart with every face.
    EXPECT_EQ(count(text, "coordIndex[0 1 2 3  -1 \r\n" + sp(12) + "]"), 6u);
}

TEST(VRMLExport, CapPrimitiveOpensAFaceAndAddsNoEmptyPolygon) {
    std::string path = scratchPath("cap.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    r.initObject("o");
    r.setTexture(noTexture());
    r.setColor(ColorF{0, 1, 0, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    const Vec3 n{0, 0, -1};
    r.beginPrimitive(PrimTriangleFan);
    r.vertex(Vec3{0, 0, 0}, n);
    r.vertex(Vec3{10, 0, 0}, n);
    r.vertex(Vec3{10, 10, 0}, n);
    r.vertex(Vec3{0, 10, 0}, n);
    r.endPrimitive();
    r.endObject(1, 1, false);
    r.endRendering();
    std::string text = takeFile(path);
    size_t face1 = text.find("#---- face 1 -----------------\r\n");
    ASSERT_NE(face1, std::string::npos);
    EXPECT_NE(text.find("diffuseColor 0.000000 1.000000 0.000000 ", face1), std::string::npos);
    const std::string expectedIndex =
        "coordIndex[0 1 2  -1 \r\n" + sp(14) + "3 4 5  -1 \r\n" + sp(14) + "]\r\n";
    EXPECT_NE(text.find(expectedIndex, face1), std::string::npos);
    std::string points = listOf(text, face1, "coord Coordinate");
    EXPECT_EQ(points, "0.000000 0.000000 0.000000 ,10.000000 10.000000 0.000000 ,"
                      "10.000000 0.000000 0.000000 ,\r\n" +
                          sp(12) +
                          "0.000000 0.000000 0.000000 ,0.000000 10.000000 0.000000 ,"
                          "10.000000 10.000000 0.000000 ,\r\n" +
                          sp(12) + "\r\n" + sp(12));
}

TEST(VRMLExport, TexturedCapKeepsCoordinatesInStep) {
    std::string path = scratchPath("texcap.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    r.initObject("o");
    r.setTexture(texture("wood.bmp"));
    r.setColor(ColorF{1, 1, 1, 1});
    const Vec3 n{0, 0, 1};
    r.beginPrimitive(PrimTriangleStrip);
    r.texturedVertex(Vec3{0, 0, 0}, Vec3{0, 0, 0}, n);
    r.texturedVertex(Vec3{1, 0, 0}, Vec3{1, 0, 0}, n);
    r.texturedVertex(Vec3{0, 1, 0}, Vec3{0, 1, 0}, n);
    r.texturedVertex(Vec3{1, 1, 0}, Vec3{1, 1, 0}, n);
    r.endPrimitive();
    r.endObject(1, 1, false);
    r.endRendering();
    std::string text = takeFile(path);
    std::string points = listOf(text, 0, "coord Coordinate");
    std::string tex = listOf(text, 0, "texCoord TextureCoordinate");
    EXPECT_EQ(count(points, ","), 6u);
    EXPECT_EQ(count(tex, ","), 6u);
    EXPECT_EQ(tex.substr(0, 18), "0.000000 0.000000 ");
}

TEST(VRMLExport, GeometryBeforeAnyColourOpensAFace) {
    std::string path = scratchPath("nocolour.wrl");
    TVRMLRenderer r;
    r.initRendering(path);
    r.initObject("o");
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.quads(quadAt(0, 1, 0), false, unitTexCoords());
    r.endObject(1, 1, false);
    r.initObject("empty");
    r.endObject(2, 0, false);
    r.endRendering();
    std::string text = takeFile(path);
    EXPECT_EQ(count(text, "#---- face 0"), 1u);
    EXPECT_EQ(count(text, "\t   Shape{"), 1u);
    EXPECT_EQ(count(text, "geometry IndexedFaceSet"), 1u);
    EXPECT_NE(text.find("diffuseColor 0.800000 0.800000 0.800000 "), std::string::npos);
    EXPECT_EQ(count(listOf(text, 0, "coord Coordinate"), ","), 8u);
    // The empty object is a Group without children.
    EXPECT_NE(text.find("Group { \r\n\tchildren  [ \r\n  ] # end children \r\n} # end group  \r\n"),
              std::string::npos);
}

TEST(VRMLExport, CommaLocaleStillWritesPoints) {
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCpp;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    std::locale::global(std::locale("de_DE.UTF-8"));
    std::string path = scratchPath("de.wrl");
    {
        TVRMLRenderer r;
        r.initRendering(path);
        r.setObjectMatrix(translation(10, 0, 0));
        r.initObject("o");
        r.setColor(ColorF{0.25f, 0, 0, 1});
        r.quads(quadAt(0, 0, 0), false, unitTexCoords());
        r.endObject(1, 1, false);
        r.endRendering();
    }
    std::locale::global(savedCpp);
    std::setlocale(LC_ALL, savedC.c_str());
    std::string text = takeFile(path);
    EXPECT_NE(text.find("point [10.000000 0.000000 0.000000 ,"), std::string::npos);
    EXPECT_NE(text.find("diffuseColor 0.250000 0.000000 0.000000 "), std::string::npos);
}

TEST(VRMLExport, WriteFailuresAreRendererErrorsWithTheirCodes) {
    TVRMLRenderer r;
    r.initRendering("/dev/full");
    r.initObject("o");
    r.setColor(ColorF{1, 0, 0, 1});
    r.quads(quadAt(0, 0, 0), false, unitTexCoords());
    r.endObject(1, 1, false);
    try {
        r.endRendering();
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "100: Renderer: Error in VRML:endRendering No space left on device");
    }
    EXPECT_FALSE(r.outFile.isOpen());

    TVRMLRenderer bad;
    EXPECT_THROW(
        {
            try {
                bad.initRendering("/nonexistent-dir/x.wrl");
            } catch (const EDXFError&) {
                FAIL() << "file creation must not be a renderer error";
            }
        },
        std::runtime_error);
}

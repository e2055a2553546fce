// Tests of the VRML 2.0 exporter: exact scene text, textures, groups, caps, colourless faces.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

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

// The text between "point [" and "]" of the first node named node at or after from.
std::string listOf(const std::string& text, size_t from, const std::string& node) {
    size_t at = text.find(node, from);
    if (at == std::string::npos) return "<none>";
    size_t open = text.find("point [", at) + 7;
    return text.substr(open, text.find(']', open) - open);
}

// One face's Shape node of two quads, as the exporter writes it.
std::string shapeText(const std::string& face, const std::string& diffuse, const std::string& url,
                      const std::string& points, const std::string& texPoints) {
    const std::string quadIndex =
        "        coordIndex[0 1 2 3  -1 \r\n" + sp(12) + "4 5 6 7  -1 \r\n" + sp(12) + "]\r\n";
    return "#---- face " + face + " -----------------\r\n" +
           "\t   Shape{appearance Appearance  { \r\n"
           "\t\t   material Material {  \r\n"
           "\t\t\tdiffuseColor " +
           diffuse + " \r\n" +
           "\t\t\tspecularColor 0.2 0.2 0.2 \r\n"
           "\t\t\tambientIntensity 0.2 \r\n"
           "\t\t\temissiveColor 0.0 0.0 0.0 \r\n"
           "\t\t\tshininess 0.2 \r\n"
           "\t\t\ttransparency 0.0 \r\n"
           "\t\t   } \r\n" +
           (url.empty() ? std::string()
                        : "\t\t   texture ImageTexture { \r\n\t\t        url [\"" + url +
                              "\"]\r\n\t\t   } \r\n") +
           "\t         } \r\n"
           "\t  geometry IndexedFaceSet { \r\n"
           "        coord Coordinate { \r\n"
           "           point [" +
           points + "]\r\n        } \r\n" + quadIndex +
           (texPoints.empty() ? std::string()
                              : "        texCoord TextureCoordinate { \r\n           point [" +
                                    texPoints + "]\r\n        } \r\n") +
           "\t  colorPerVertex FALSE \r\n"
           "\t  ccw TRUE \r\n"
           "\t  solid FALSE \r\n"
           "      } # end faceset \r\n"
           "   } # end shape \r\n";
}

} // namespace

TEST(VRMLExport, TwoFaceLatheSceneIsWrittenExactly) {
    const std::string text = exportWith<TVRMLRenderer>("lathe.wrl", twoFaceLathe);
    // The points of the quad from y0 to y1 at x 10, one row.
    auto row = [](const std::string& y0, const std::string& y1) {
        return "10.000000 " + y0 + " 0.000000 ,11.000000 " + y0 + " 0.000000 ,11.000000 " + y1 +
               " 0.000000 ,10.000000 " + y1 + " 0.000000 ,\r\n" + sp(13);
    };
    const std::string texRow = "0.000000 0.000000 ,1.000000 0.000000 ,1.000000 1.000000 ,"
                               "0.000000 1.000000 ,\r\n" +
                               sp(13);
    const std::string one = "1.000000", two = "2.000000", three = "3.000000";
    EXPECT_EQ(text, "#VRML V2.0 utf8\r\n"
                    "# exported by Palvorin v 1.0\r\n"
                    "Group { \r\n"
                    "\tchildren  [ \r\n" +
                        shapeText("0", "1.000000 0.500000 0.000000", "",
                                  row("0.000000", one) + row(one, two), "") +
                        // A backslash of a stored path is escaped inside the VRML string.
                        shapeText("1", "0.000000 0.000000 0.500000", "C:\\\\tex\\\\wood.jpg",
                                  row(two, three) + row(three, "4.000000"), texRow + texRow) +
                        "  ] # end children \r\n"
                        "} # end group  \r\n");
}

TEST(VRMLExport, TexturedFacesAndCapsHaveOneTextureCoordinatePerPointUntexturedHaveNone) {
    const std::string text = exportWith<TVRMLRenderer>("tex.wrl", [](TRenderer& r) {
        r.initObject("o");
        r.setTexture(texture("/home/u/pics/stone.file.png"));
        r.setColor(ColorF{1, 1, 1, 1});
        r.quads(quadAt(0, 0, 0), true, unitTexCoords());
        // Untextured geometry inside the textured face still gets its coordinates, (0,0).
        plainQuad(r, 0, 1);
        r.triangle({Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}, true,
                   {Vec3{0.25f, 0.5f, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}});
        // A textured cap: a face of its own, coordinates in step with the points.
        r.beginPrimitive(PrimTriangleStrip);
        for (Vec3 p : {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 1, 0}})
            r.texturedVertex(p, p, Vec3{0, 0, 1});
        r.endPrimitive();
        r.setTexture(texture("plain.bmp", -1));
        r.setColor(ColorF{1, 1, 1, 1});
        plainQuad(r, 0, 0);
        r.endObject(1, 2, false);
    });
    crlfLines(text);
    const size_t face1 = text.find("#---- face 1"), face2 = text.find("#---- face 2");
    ASSERT_NE(face2, std::string::npos);
    EXPECT_EQ(count(text.substr(0, face1), "url [\"/home/u/pics/stone.file.jpg\"]"), 1u);
    const std::string tex = listOf(text, 0, "texCoord TextureCoordinate");
    EXPECT_EQ(count(listOf(text, 0, "coord Coordinate"), ","), 11u);
    EXPECT_EQ(count(tex, ","), 11u);
    EXPECT_NE(tex.find("0.000000 0.000000 ,0.000000 0.000000 ,0.000000 0.000000 ,"
                       "0.000000 0.000000 ,\r\n"),
              std::string::npos);
    EXPECT_NE(tex.find("0.250000 0.500000 ,"), std::string::npos);

    // The cap's face keeps the current colour.
    EXPECT_NE(text.substr(face1, face2 - face1).find("diffuseColor 1.000000 1.000000 1.000000 "),
              std::string::npos);
    const std::string capTex = listOf(text, face1, "texCoord TextureCoordinate");
    EXPECT_EQ(count(listOf(text, face1, "coord Coordinate"), ","), 6u);
    EXPECT_EQ(count(capTex, ","), 6u);
    EXPECT_EQ(capTex.substr(0, 18), "0.000000 0.000000 ");

    const std::string rest = text.substr(face2);
    EXPECT_EQ(rest.find("ImageTexture"), std::string::npos);
    EXPECT_EQ(rest.find("texCoord"), std::string::npos);
    EXPECT_EQ(count(listOf(rest, 0, "coord Coordinate"), ","), 4u);
}

TEST(VRMLExport, TwoObjectsGiveTwoGroupsNumberingFacesFromZero) {
    const std::string text = exportWith<TVRMLRenderer>("two.wrl", [](TRenderer& r) {
        for (int obj = 0; obj < 2; ++obj) {
            r.initObject("o");
            for (int face = 0; face < 2; ++face) {
                r.setTexture(TTextureObj{});
                r.setColor(ColorF{0.5f, 0.5f, 0.5f, 1});
                plainQuad(r, 0, 0);
            }
            // A colour change between quads starts a new face even when the colour is the same.
            r.setColor(ColorF{0.5f, 0.5f, 0.5f, 1});
            plainQuad(r, 0, 0);
            r.endObject(obj + 1, 2, obj == 0);
        }
    });
    const std::pair<std::string, size_t> expected[] = {
        {"Group { \r\n", 2},
        {"} # end group  \r\n", 2},
        {"#---- face 0 -----------------\r\n", 2},
        {"#---- face 2 -----------------\r\n", 2},
        {"#---- face 3", 0},
        {"\t   Shape{", 6},
        {"   } # end shape \r\n", 6},
        // Point numbers restart with every face.
        {"coordIndex[0 1 2 3  -1 \r\n" + sp(12) + "]", 6}};
    for (const auto& [what, n] : expected)
        EXPECT_EQ(count(text, what), n) << what;
}

// Colourless quads share one face in the default grey; a cap opens the next face in the same
// colour; an object without geometry is a group without children.
TEST(VRMLExport, GeometryBeforeAnyColourAndCapPrimitivesOpenFacesWithoutEmptyPolygons) {
    const std::string text = exportWith<TVRMLRenderer>("nocolour.wrl", [](TRenderer& r) {
        r.initObject("o");
        plainQuad(r, 0, 0);
        plainQuad(r, 0, 1);
        feed(r, PrimTriangleFan, SquareFan, Vec3{0, 0, -1});
        r.endObject(1, 1, false);
        r.initObject("empty");
        r.endObject(2, 0, false);
    });
    const std::pair<std::string, size_t> expected[] = {
        {"#---- face 0", 1},
        {"#---- face 2", 0},
        {"\t   Shape{", 2},
        {"geometry IndexedFaceSet", 2},
        {"diffuseColor 0.800000 0.800000 0.800000 ", 2}};
    for (const auto& [what, n] : expected)
        EXPECT_EQ(count(text, what), n) << what;
    EXPECT_EQ(count(listOf(text, 0, "coord Coordinate"), ","), 8u);
    const size_t face1 = text.find("#---- face 1 -----------------\r\n");
    ASSERT_NE(face1, std::string::npos);
    EXPECT_NE(text.find("coordIndex[0 1 2  -1 \r\n" + sp(14) + "3 4 5  -1 \r\n" + sp(14) + "]\r\n",
                        face1),
              std::string::npos);
    EXPECT_EQ(listOf(text, face1, "coord Coordinate"),
              "0.000000 0.000000 0.000000 ,10.000000 10.000000 0.000000 ,"
              "10.000000 0.000000 0.000000 ,\r\n" +
                  sp(12) +
                  "0.000000 0.000000 0.000000 ,0.000000 10.000000 0.000000 ,"
                  "10.000000 10.000000 0.000000 ,\r\n" +
                  sp(12) + "\r\n" + sp(12));
    EXPECT_NE(text.find("Group { \r\n\tchildren  [ \r\n  ] # end children \r\n} # end group  \r\n"),
              std::string::npos);
}

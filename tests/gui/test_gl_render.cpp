// Screen renderer tests: faces drawn into an offscreen framebuffer and read back as pixels.
#include "gl_fixture.h"

#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

namespace {

const ColorF Red{1, 0, 0, 1};
const ColorF Grey{0.6f, 0.6f, 0.6f, 1};

bool pureRed(const QColor& c) {
    return near(c, 1, 0, 0, 0.1);
}
bool pureGreen(const QColor& c) {
    return near(c, 0, 1, 0, 0.1);
}
bool pureBlue(const QColor& c) {
    return near(c, 0, 0, 1, 0.1);
}
bool litRed(const QColor& c) {
    return c.redF() > 0.9 && c.greenF() < 0.6 && c.blueF() < 0.6 && !isBackground(c);
}

} // namespace

class RenderTest : public GlTest {
  protected:
    // Specular highlights vary with each vertex's place in the view; the geometry checks below
    // compare flat diffuse colours, so the default white highlight is switched off.
    void SetUp() override {
        GlTest::SetUp();
        const GLfloat none[4] = {0, 0, 0, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    }
    void restoreHighlights() {
        const ColorF& s = scene.materialSpecular;
        const GLfloat specular[4] = {s.R, s.G, s.B, s.A};
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    }
    // Pixel at a world point of the plane z = 0.
    QColor at(const QImage& img, float x, float y) const {
        int px = 0, py = 0;
        project({x, y, 0}, px, py);
        return pixel(img, px, py);
    }
    // Whether a pixel within radius of the world point satisfies pred.
    template <class P> bool anyNear(const QImage& img, float x, float y, P pred, int radius = 2) {
        int px = 0, py = 0;
        project({x, y, 0}, px, py);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (px + dx >= 0 && px + dx < W && py + dy >= 0 && py + dy < H &&
                    pred(pixel(img, px + dx, py + dy)))
                    return true;
        return false;
    }
};

TEST_F(RenderTest, SolidQuadIsLitOnABackgroundOfTheClearColour) {
    restoreHighlights();
    int32_t id = 0;
    buildObject(id, {square(-20, -20, 20, 20)}, Red, false);
    drawFrame();
    const QImage img = grab();
    const ImageNote where{img, "gl_solid_quad"};
    EXPECT_PRED1(litRed, at(img, 0, 0)) << where;
    EXPECT_PRED1(litRed, at(img, -15, 15)) << where;
    EXPECT_EQ(at(img, -15, 15), at(img, 15, -15)) << "flat shading " << where;
    EXPECT_PRED1(isBackground, at(img, 25, 0)) << where;
    EXPECT_PRED1(isBackground, at(img, 0, -25)) << where;
    EXPECT_PRED1(isBackground, pixel(img, 1, 1)) << where;
    EXPECT_PRED1(isBackground, pixel(img, W - 2, H - 2)) << where;
}

TEST_F(RenderTest, QuadFacingAwayIsDarkerThanQuadFacingTheLight) {
    int32_t front = 0, back = 0;
    buildObject(front, {square(-20, -20, 0, 20)}, Grey, false);
    TestQuad away = square(0, -20, 20, 20);
    std::swap(away.v[1], away.v[3]); // clockwise seen from the eye: normal -Z
    buildObject(back, {away}, Grey, false);
    drawFrame();
    const QImage img = grab();
    const QColor lit = at(img, -10, 0), dark = at(img, 10, 0);
    EXPECT_GT(lit.greenF(), dark.greenF() + 0.3) << ImageNote{img, "gl_facing"};
    EXPECT_FALSE(isBackground(dark)) << ImageNote{img, "gl_facing"};
}

TEST_F(RenderTest, QuadsCollapsingToTrianglesDrawThatTriangle) {
    struct Case {
        const char* name;
        TestQuad q;
        float inX, inY;   // inside the expected triangle
        float outX, outY; // inside the quad's square but outside the triangle
    };
    const Vec3 bl{-20, -20, 0}, br{20, -20, 0}, tr{20, 20, 0};
    const Vec3 z{};
    const Case cases[] = {
        {"v0_eq_v1", {{bl, bl, br, tr}, {z, z, z, z}}, 10, -10, -10, 10},
        {"v1_eq_v2", {{bl, br, br, tr}, {z, z, z, z}}, 10, -10, -10, 10},
        {"v2_eq_v3", {{bl, br, tr, tr}, {z, z, z, z}}, 10, -10, -10, 10},
        {"v0_eq_v3", {{bl, br, tr, bl}, {z, z, z, z}}, 10, -10, -10, 10},
    };
    for (const Case& c : cases) {
        clearListRegistry();
        int32_t id = 0;
        buildObject(id, {c.q}, Red, false);
        drawFrame();
        const QImage img = grab();
        const std::string name = std::string("gl_collapsed_") + c.name;
        EXPECT_PRED1(litRed, at(img, c.inX, c.inY)) << c.name << " " << ImageNote{img, name};
        EXPECT_PRED1(isBackground, at(img, c.outX, c.outY))
            << c.name << " " << ImageNote{img, name};
        deleteObjectLists(id);
    }
}

TEST_F(RenderTest, TwoCoincidentPairsDrawNothingButExtendTheBounds) {
    int32_t id = 0;
    const Vec3 a{-20, -10, 3}, b{20, 10, -3};
    buildObject(id, {TestQuad{{a, a, b, b}, {}}}, Red, false);
    const TRenderer* r = currentRenderer();
    EXPECT_FLOAT_EQ(r->boundsMin.X, -20);
    EXPECT_FLOAT_EQ(r->boundsMin.Y, -10);
    EXPECT_FLOAT_EQ(r->boundsMin.Z, -3);
    EXPECT_FLOAT_EQ(r->boundsMax.X, 20);
    EXPECT_FLOAT_EQ(r->boundsMax.Z, 3);
    drawFrame();
    const QImage img = grab();
    for (float x : {-15.0f, 0.0f, 15.0f})
        EXPECT_PRED1(isBackground, at(img, x, x / 2)) << ImageNote{img, "gl_two_pairs"};

    // A new object starts with empty bounds.
    currentRenderer()->initObject("next");
    EXPECT_GT(r->boundsMin.X, r->boundsMax.X);
}

TEST_F(RenderTest, WireframeDrawsOutlinesAndTheNextSolidFrameIsFilled) {
    useWireframeRenderer();
    int32_t id = 0;
    buildObject(id, {square(-20, -20, 20, 20)}, Red, false);
    drawFrame();
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL); // restored at the end of every wireframe frame
    const QImage img = grab();
    const ImageNote where{img, "gl_wireframe"};
    // Off the diagonal of the fan, inside the quad: nothing drawn.
    EXPECT_PRED1(isBackground, at(img, -10, 10)) << where;
    EXPECT_PRED1(isBackground, at(img, 10, -10)) << where;
    EXPECT_TRUE(anyNear(img, -20, 5, litRed)) << "left edge " << where;
    EXPECT_TRUE(anyNear(img, 20, -5, litRed)) << "right edge " << where;
    EXPECT_TRUE(anyNear(img, 5, 20, litRed)) << "top edge " << where;

    useOGLRenderer();
    drawFrame(); // the lists of the wireframe redraw, replayed filled
    const QImage filled = grab();
    const ImageNote whereFilled{filled, "gl_after_wireframe"};
    EXPECT_PRED1(litRed, at(filled, -10, 10)) << whereFilled;
    EXPECT_PRED1(litRed, at(filled, 10, -10)) << whereFilled;
}

TEST_F(RenderTest, SelectionMarkIsOnlyInTheSelectedObjectsList) {
    // A small visible square whose bounds a collapsed quad stretches to +-20.
    const Vec3 a{-20, -20, 0}, b{20, 20, 0};
    const std::vector<TestQuad> quads{square(-5, -5, 5, 5), TestQuad{{a, a, b, b}, {}}};
    int32_t selected = 0, plain = 0;
    buildObject(selected, quads, Red, true);
    buildObject(plain, quads, Red, false);

    for (int32_t id : {selected, plain}) {
        beginFrame("");
        glCallList(id);
        finishFrame();
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        const QImage img = grab();
        const bool mark = id == selected;
        const ImageNote where{img, mark ? "gl_selected" : "gl_not_selected"};
        EXPECT_PRED1(litRed, at(img, 0, 0)) << where;
        // Red box on the stretched bounds, green Y axis and blue X axis of the cross.
        EXPECT_EQ(anyNear(img, -20, 12, pureRed), mark) << where;
        EXPECT_EQ(anyNear(img, 20, -12, pureRed), mark) << where;
        EXPECT_EQ(anyNear(img, 0, 30, pureGreen), mark) << where;
        EXPECT_EQ(anyNear(img, -40, 0, pureBlue), mark) << where;
        EXPECT_PRED1(isBackground, at(img, -12, 12)) << where;
    }
}

TEST_F(RenderTest, ObjectListReplaysOnlyFaceListsCompiledBeforeIt) {
    int32_t id = 0;
    allocListId(id);
    TRenderer* r = currentRenderer();
    r->initObject("obj");
    r->initList(faceListId(id, 1));
    r->setColor(Red);
    const TestQuad left = square(-20, -10, -5, 10);
    r->quads({left.v[0], left.v[1], left.v[2], left.v[3]}, false, {});
    r->endList();
    r->endObject(id, 3, false); // lists 2 and 3 were never compiled

    // A list compiled under number 2 afterwards is not part of the object.
    r->initList(faceListId(id, 2));
    const TestQuad right = square(5, -10, 20, 10);
    r->quads({right.v[0], right.v[1], right.v[2], right.v[3]}, false, {});
    r->endList();

    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(litRed, at(img, -12, 0)) << ImageNote{img, "gl_face_lists"};
    EXPECT_PRED1(isBackground, at(img, 12, 0)) << ImageNote{img, "gl_face_lists"};
}

TEST_F(RenderTest, PlacementListMovesTheObject) {
    int32_t id = 0;
    buildObject(id, {square(-5, -5, 5, 5)}, Red, false);
    placeObjectList(id, {25, 0, 0}, {0, 0, 0});
    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(isBackground, at(img, 0, 0)) << ImageNote{img, "gl_placed"};
    EXPECT_PRED1(litRed, at(img, 25, 0)) << ImageNote{img, "gl_placed"};
}

TEST_F(RenderTest, TessellatorPrimitivesGoStraightToOpenGL) {
    int32_t id = 0;
    allocListId(id);
    TRenderer* r = currentRenderer();
    r->initObject("cap");
    r->initList(faceListId(id, 1));
    r->setColor(Red);
    const Vec3 n{0, 0, 1};
    r->beginPrimitive(PrimTriangleFan);
    r->vertex({-20, -20, 0}, n);
    r->vertex({20, -20, 0}, n);
    r->texturedVertex({20, 20, 0}, {1, 1, 0}, n);
    r->vertex({-20, 20, 0}, n);
    r->endPrimitive();
    r->endList();
    r->endObject(id, 1, false);
    EXPECT_FLOAT_EQ(r->boundsMin.X, -20);
    EXPECT_FLOAT_EQ(r->boundsMax.Y, 20);
    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(litRed, at(img, -10, 10)) << ImageNote{img, "gl_fan"};
    EXPECT_PRED1(litRed, at(img, 10, -10)) << ImageNote{img, "gl_fan"};
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

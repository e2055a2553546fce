// Screen renderer tests: faces drawn into an offscreen framebuffer and read back as pixels.
#include "gl_fixture.h"

#include "render/UnTRenderer_OGL.h"

namespace {

const ColorF Red{1, 0, 0, 1};

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

// The renderer's bounds of the object so far, low corner then high corner.
std::vector<float> bounds(const TRenderer* r) {
    const Vec3 &lo = r->boundsMin, &hi = r->boundsMax;
    return {lo.X, lo.Y, lo.Z, hi.X, hi.Y, hi.Z};
}

} // namespace

using RenderTest = GlTest;

TEST_F(RenderTest, QuadsShowTheirColourLitFlatAndDarkerFacingAwayOnTheClearColour) {
    int32_t front = 0, back = 0;
    buildObject(front, {square(-20, -20, 0, 20)}, Red, false);
    TestQuad away = square(0, -20, 20, 20);
    std::swap(away[1], away[3]); // clockwise seen from the eye: normal -Z
    buildObject(back, {away}, Red, false);
    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(litRed, at(img, -10, 0));
    EXPECT_EQ(at(img, -15, 15), at(img, -5, -15)) << "flat shading";
    EXPECT_GT(at(img, -10, 0).redF(), at(img, 10, 0).redF() + 0.3);
    EXPECT_FALSE(isBackground(at(img, 10, 0)));
    EXPECT_PRED1(isBackground, at(img, 25, 0));
    EXPECT_PRED1(isBackground, at(img, 0, -25));
}

TEST_F(RenderTest, QuadsCollapsingToTrianglesDrawThatTriangleTwoPairsNothingButBounds) {
    const Vec3 bl{-20, -20, 0}, br{20, -20, 0}, tr{20, 20, 0};
    for (const TestQuad& quad : {TestQuad{bl, bl, br, tr}, TestQuad{bl, br, br, tr},
                                 TestQuad{bl, br, tr, tr}, TestQuad{bl, br, tr, bl}}) {
        clearListRegistry();
        int32_t id = 0;
        buildObject(id, {quad}, Red, false);
        drawFrame();
        const QImage img = grab();
        EXPECT_PRED1(litRed, at(img, 10, -10)) << "inside the triangle";
        EXPECT_PRED1(isBackground, at(img, -10, 10)) << "other half of the square";
        deleteObjectLists(id);
    }

    int32_t id = 0;
    const Vec3 a{-20, -10, 3}, b{20, 10, -3};
    buildObject(id, {TestQuad{a, a, b, b}}, Red, false);
    const TRenderer* r = currentRenderer();
    EXPECT_EQ(bounds(r), (std::vector<float>{-20, -10, -3, 20, 10, 3}));
    drawFrame();
    const QImage img = grab();
    for (float x : {-15.0f, 0.0f, 15.0f})
        EXPECT_PRED1(isBackground, at(img, x, x / 2));
    currentRenderer()->initObject("next"); // a new object starts with empty bounds
    EXPECT_GT(r->boundsMin.X, r->boundsMax.X);
}

TEST_F(RenderTest, SelectionMarkIsOnlyInTheSelectedObjectsList) {
    // A small visible square whose bounds a collapsed quad stretches to +-20.
    const Vec3 a{-20, -20, 0}, b{20, 20, 0};
    const std::vector<TestQuad> quads{square(-5, -5, 5, 5), TestQuad{a, a, b, b}};
    int32_t selected = 0, plain = 0;
    buildObject(selected, quads, Red, true);
    buildObject(plain, quads, Red, false);

    for (int32_t id : {selected, plain}) {
        const bool mark = id == selected;
        SCOPED_TRACE(mark ? "selected" : "not selected");
        beginFrame("");
        glCallList(id);
        finishFrame();
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        const QImage img = grab();
        EXPECT_PRED1(litRed, at(img, 0, 0));
        // Red box on the stretched bounds, green Y axis and blue X axis of the cross.
        EXPECT_EQ(anyNear(img, -20, 12, pureRed), mark);
        EXPECT_EQ(anyNear(img, 20, -12, pureRed), mark);
        EXPECT_EQ(anyNear(img, 0, 30, pureGreen), mark);
        EXPECT_EQ(anyNear(img, -40, 0, pureBlue), mark);
        EXPECT_PRED1(isBackground, at(img, -12, 12));
    }
}

TEST_F(RenderTest, ObjectListReplaysOnlyFaceListsCompiledBeforeItAtItsPlacement) {
    int32_t id = 0;
    buildObject(id, {square(-30, -10, -15, 10)}, Red, false, -1, 3); // 2 and 3 never compiled
    // A list compiled under number 2 afterwards is not part of the object.
    TRenderer* r = currentRenderer();
    r->initList(faceListId(id, 2));
    r->quads(square(0, -10, 10, 10), false, {});
    r->endList();
    placeObjectList(id, {20, 0, 0}, {0, 0, 0});

    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(litRed, at(img, -2, 0));
    EXPECT_PRED1(isBackground, at(img, -25, 0)) << "placement list not applied";
    EXPECT_PRED1(isBackground, at(img, 25, 0)) << "late face list replayed";
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
    EXPECT_EQ(bounds(r), (std::vector<float>{-20, -20, 0, 20, 20, 0}));
    drawFrame();
    const QImage img = grab();
    EXPECT_PRED1(litRed, at(img, -10, 10));
    EXPECT_PRED1(litRed, at(img, 10, -10));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

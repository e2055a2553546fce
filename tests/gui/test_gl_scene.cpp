// Scene tests: initial state, display-list numbers, camera moves, frame checks and errors.
#include "gl_fixture.h"

#include "render/UnTRenderer.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

#include <cmath>

namespace {

GLint intState(GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
}

void expectFinite(GLenum matrix) {
    GLdouble m[16];
    glGetDoublev(matrix, m);
    for (double x : m)
        EXPECT_TRUE(std::isfinite(x)) << "matrix " << matrix;
}

template <class F> std::string messageOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

} // namespace

TEST_F(GlTest, InitSceneSetsLightsMaterialAndEmptyTables) {
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(intState(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(intState(GL_SHADE_MODEL), GL_FLAT);
    EXPECT_EQ(intState(GL_UNPACK_ALIGNMENT), 1);

    GLfloat v[4];
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.9f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, v); // defined under an identity modelview
    EXPECT_FLOAT_EQ(v[2], 1);
    EXPECT_FLOAT_EQ(v[3], 0);
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);
    EXPECT_FLOAT_EQ(v[1], 5);
    EXPECT_FLOAT_EQ(v[3], 1);
    glGetLightfv(GL_LIGHT0, GL_LINEAR_ATTENUATION, v);
    EXPECT_FLOAT_EQ(v[0], 0.05f);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_FLOAT_EQ(v[0], 120);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], W);
    EXPECT_EQ(viewport[3], H);
    EXPECT_FLOAT_EQ(scene.eye.Z, 100);
    EXPECT_FLOAT_EQ(scene.centre.Z, -5);
    EXPECT_TRUE(listRegistry.empty());
    EXPECT_TRUE(textureTable.empty());
    EXPECT_TRUE(currentRendererIsOGL());
    EXPECT_NE(textureUploader(), nullptr);
}

TEST_F(GlTest, ReinitialisationEmptiesRegistryAndKeepsSmoothShadingChoice) {
    int32_t id = 0;
    buildObject(id, {square(-5, -5, 5, 5)}, {1, 0, 0, 1}, false);
    useWireframeRenderer();
    shutdownScene();
    EXPECT_FALSE(glIsList(id));
    EXPECT_EQ(currentRenderer(), nullptr);
    EXPECT_EQ(textureUploader(), nullptr);
    scene.smoothShading = true;
    initScene(W, H);
    EXPECT_TRUE(listRegistry.empty());
    EXPECT_EQ(intState(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_TRUE(currentRendererIsOGL());
    EXPECT_EQ(dynamic_cast<TWFRenderer*>(currentRenderer()), nullptr);
}

TEST_F(GlTest, InitSceneWithoutContextReportsGLinit) {
    context->doneCurrent();
    EXPECT_EQ(messageOf([] { initScene(W, H); }), "0-UnOpenGL: error in GLinit");
    ASSERT_TRUE(context->makeCurrent(surface.get()));
}

TEST_F(GlTest, DefineLightRejectsNumbersOutsideTheEightLights) {
    const float pos[4] = {0, 0, 1, 0};
    EXPECT_EQ(messageOf([&] { defineLight(GL_LIGHT7 + 1, scene.lightColor, pos); }),
              "2000-UnOpenGL: Light number not valid");
    EXPECT_FALSE(glIsEnabled(GL_LIGHT7));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    defineLight(GL_LIGHT7, scene.lightColor, pos);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT7));
}

TEST_F(GlTest, ObjectListNumbersAndDeletion) {
    int32_t a = 0, b = 0;
    buildObject(a, {square(-5, -5, 5, 5)}, {1, 0, 0, 1}, false);
    buildObject(b, {square(-5, -5, 5, 5)}, {0, 1, 0, 1}, false);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    int32_t again = b;
    allocListId(again);
    EXPECT_EQ(again, 2);
    EXPECT_EQ(listRegistry.size(), 2u);

    placeObjectList(a, {1, 2, 3}, {0, 90, 0});
    for (int32_t id : {a, b}) {
        EXPECT_TRUE(glIsList(id));
        EXPECT_TRUE(glIsList(id + PlacementListOffset));
        EXPECT_TRUE(glIsList(faceListId(id, 1)));
    }
    // A face list compiled late in the block goes with the object too.
    glNewList(faceListId(a, FaceListBlock - 1), GL_COMPILE);
    glEndList();

    deleteObjectLists(a);
    EXPECT_FALSE(glIsList(a));
    EXPECT_FALSE(glIsList(a + PlacementListOffset));
    EXPECT_FALSE(glIsList(faceListId(a, 1)));
    EXPECT_FALSE(glIsList(faceListId(a, FaceListBlock - 1)));
    EXPECT_TRUE(glIsList(b));
    EXPECT_TRUE(glIsList(b + PlacementListOffset));
    EXPECT_TRUE(glIsList(faceListId(b, 1)));
    deleteObjectLists(0); // an object without lists
    EXPECT_TRUE(glIsList(b));
    // Deleted numbers are still replayed and draw nothing.
    drawFrame();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, PlacementAndAxesListsLeaveTheMatrixModesAsDocumented) {
    int32_t axes = buildAxes(0);
    EXPECT_EQ(axes, 1);
    EXPECT_EQ(buildAxes(axes), axes); // recompiled under the same number
    EXPECT_EQ(listRegistry.size(), 1u);
    glMatrixMode(GL_TEXTURE);
    glCallList(axes);
    EXPECT_EQ(intState(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_EQ(intState(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 1);

    placeObjectList(5, {10, 0, 0}, {0, 0, 0});
    glCallList(5 + PlacementListOffset);
    EXPECT_EQ(intState(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 2);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    GLdouble below[16];
    glPopMatrix();
    glGetDoublev(GL_MODELVIEW_MATRIX, below);
    // The pushed matrix is the camera's, translated by 10 along world X.
    EXPECT_NEAR(m[12] - below[12], 10 * below[0], 1e-4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, FrameReplayKeepsTheMatrixStacksBalanced) {
    int32_t axes = buildAxes(0);
    int32_t obj = 0;
    buildObject(obj, {square(-5, -5, 5, 5)}, {1, 0, 0, 1}, true);
    placeObjectList(obj, {3, 0, 0}, {0, 45, 0});
    rotateCamera(30, 20);
    drawFrame();
    drawFrame();
    EXPECT_TRUE(glIsList(CameraRotationList));
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(intState(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_NE(axes, obj);
}

TEST_F(GlTest, RotateCameraWrapsOnce) {
    rotateCamera(350, 5);
    rotateCamera(20, -10);
    EXPECT_FLOAT_EQ(scene.rx, 10);
    EXPECT_FLOAT_EQ(scene.ry, 355);
    setCamera(0, 10, 500, 0, 0);
    rotateCamera(800, 0);
    EXPECT_FLOAT_EQ(scene.rx, 440);
    EXPECT_FLOAT_EQ(scene.ry, 0);
}

TEST_F(GlTest, SetCameraLooksDownMinusZAndAppliesTheViewRotations) {
    setCamera(0, 10, 500, 0, 90);
    EXPECT_FLOAT_EQ(scene.centre.Z, 499);
    EXPECT_FLOAT_EQ(scene.centre.Y, 10);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    // The look-at along -Z, then a turn of -90 degrees about Y: world X points to the eye's +Z.
    EXPECT_NEAR(m[0], 0, 1e-5);
    EXPECT_NEAR(m[2], 1, 1e-5);
    EXPECT_NEAR(m[13], -10, 1e-4);
    EXPECT_NEAR(m[14], -500, 1e-3);
}

TEST_F(GlTest, PanMovesAcrossTheViewAndDollyKeepsTheHeight) {
    setCamera(0, 10, 500, 0, 0);
    panCamera(5, 3); // f = (0, -1): side is +X, up is +Y
    EXPECT_FLOAT_EQ(scene.eye.X, 5);
    EXPECT_FLOAT_EQ(scene.eye.Y, 13);
    EXPECT_FLOAT_EQ(scene.eye.Z, 500);
    EXPECT_FLOAT_EQ(scene.centre.X, 5);
    EXPECT_FLOAT_EQ(scene.centre.Z, 499);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[12], -5, 1e-4);
    EXPECT_NEAR(m[13], -13, 1e-4);

    for (int i = 0; i < 10; ++i)
        dollyCamera(100); // never reaches the centre
    EXPECT_FLOAT_EQ(scene.eye.Y, 13);
    EXPECT_FLOAT_EQ(scene.eye.Z, -500);
    EXPECT_FLOAT_EQ(scene.centre.Z, -501);

    // Looking along the diagonal of X and Z.
    scene.eye = {0, 0, 0};
    scene.centre = {3, 7, 3};
    dollyCamera(std::sqrt(2.0f));
    EXPECT_NEAR(scene.eye.X, 1, 1e-5);
    EXPECT_NEAR(scene.eye.Z, 1, 1e-5);
    EXPECT_FLOAT_EQ(scene.eye.Y, 0);
}

TEST_F(GlTest, DegenerateViewsGiveFiniteMatrices) {
    resizeScene(W, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    expectFinite(GL_PROJECTION_MATRIX);
    resizeScene(W, H);

    // Eye straight above the centre: no horizontal direction; the last valid one (-Z) is used.
    setCamera(0, 10, 500, 0, 0);
    scene.eye = {0, 10, 0};
    scene.centre = {0, 0, 0};
    panCamera(5, 0);
    EXPECT_FLOAT_EQ(scene.eye.X, 5);
    EXPECT_FLOAT_EQ(scene.eye.Z, 0);
    dollyCamera(4);
    EXPECT_FLOAT_EQ(scene.eye.Z, -4);
    EXPECT_FLOAT_EQ(scene.centre.Z, -4);
    scene.centre = scene.eye;
    dollyCamera(1);
    panCamera(1, 1);
    for (float c : {scene.eye.X, scene.eye.Y, scene.eye.Z, scene.centre.X, scene.centre.Z})
        EXPECT_TRUE(std::isfinite(c));
    expectFinite(GL_MODELVIEW_MATRIX);
    expectFinite(GL_PROJECTION_MATRIX);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, FinishFrameChecksErrorsOnlyForTheScreenRenderers) {
    glEnable(0x7FFF); // GL_INVALID_ENUM
    EXPECT_EQ(messageOf([] { finishFrame(); }), "1280: OpenGL: Completing draw error");
    EXPECT_EQ(scene.lastGLError, 1280u);

    setCurrentRenderer(std::make_unique<TRenderer>()); // stands for a file renderer
    glEnable(0x7FFF);
    EXPECT_EQ(messageOf([] { finishFrame(); }), "(no exception)");
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM)); // left for the screen's next frame
    useWireframeRenderer();
    glEnable(0x7FFF);
    EXPECT_EQ(messageOf([] { finishFrame(); }), "1280: OpenGL: Completing draw error");
}

TEST_F(GlTest, RendererStringListsFourLines) {
    const std::string s = rendererString();
    size_t lines = 0;
    for (size_t p = s.find("\r\n"); p != std::string::npos; p = s.find("\r\n", p + 2))
        ++lines;
    EXPECT_EQ(lines, 4u);
    EXPECT_NE(s.find(reinterpret_cast<const char*>(glGetString(GL_VERSION))), std::string::npos);
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
}

TEST_F(GlTest, BackgroundListWithUnknownTextureLeavesNoListOpen) {
    EXPECT_EQ(messageOf([] {
                  buildBackgroundList("nowhere", {0.7f, 0.8f, 0.8f, 1}, 1);
              }),
              "1800-UnOpenGL: Texture nowhere not found");
    EXPECT_EQ(intState(GL_LIST_INDEX), 0);
    buildBackgroundList("", {0.7f, 0.8f, 0.8f, 1}, 0.5f);
    EXPECT_TRUE(glIsList(BackgroundList));
    scene.backgroundOn = true;
    drawFrame();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(intState(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

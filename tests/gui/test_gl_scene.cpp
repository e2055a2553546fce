// Scene tests: initial state, display-list numbers, camera moves, frame checks and errors.
#include "gl_fixture.h"

#include "render/UnTRenderer_OGL.h"
#include "scene/UnBmpTex.h"

#include <cmath>

namespace {

GLint intState(GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
}

// Both matrix stacks at their bottom and no OpenGL error pending.
void expectCleanState() {
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(intState(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

void expectFiniteMatrices() {
    GLdouble m[32];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    glGetDoublev(GL_PROJECTION_MATRIX, m + 16);
    for (double x : m)
        EXPECT_TRUE(std::isfinite(x));
}

GLdouble modelview(int i) {
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    return m[i];
}

std::vector<float> xyz(const Vec3& v) {
    return {v.X, v.Y, v.Z};
}
using V = std::vector<float>;

} // namespace

TEST_F(GlTest, InitSceneSetsLightsAndEmptyTablesReinitKeepsSmoothShadingErrorsAreReported) {
    for (GLenum on : {GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_DEPTH_TEST})
        EXPECT_TRUE(glIsEnabled(on)) << on;
    for (GLenum off : {GL_LIGHT2, GL_TEXTURE_2D})
        EXPECT_FALSE(glIsEnabled(off)) << off;
    EXPECT_EQ(intState(GL_SHADE_MODEL), GL_FLAT);
    EXPECT_EQ(intState(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_FLOAT_EQ(scene.eye.Z, 100);
    EXPECT_TRUE(listRegistry.empty() && textureTable.empty());
    EXPECT_TRUE(currentRendererIsOGL());
    expectCleanState();

    int32_t id = 0;
    buildObject(id, {square(-5, -5, 5, 5)}, {1, 0, 0, 1}, false);
    useWireframeRenderer();
    shutdownScene();
    EXPECT_FALSE(glIsList(id));
    EXPECT_EQ(currentRenderer(), nullptr);
    EXPECT_EQ(textureUploader(), nullptr);
    scene.smoothShading = true;
    initScene(W, H);
    EXPECT_EQ(intState(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_NE(textureUploader(), nullptr);

    // Without a context, and with a light number beyond the last: errors, nothing changed.
    context->doneCurrent();
    EXPECT_EQ(messageOf([] { initScene(W, H); }), "0-UnOpenGL: error in GLinit");
    ASSERT_TRUE(context->makeCurrent(surface.get()));

    const float pos[4] = {0, 0, 1, 0};
    EXPECT_EQ(messageOf([&] { defineLight(GL_LIGHT7 + 1, scene.lightColor, pos); }),
              "2000-UnOpenGL: Light number not valid");
    EXPECT_FALSE(glIsEnabled(GL_LIGHT7));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    defineLight(GL_LIGHT7, scene.lightColor, pos);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT7));
}

TEST_F(GlTest, DeletingAnObjectsListsLeavesTheOthers) {
    int32_t a = 0, b = 0;
    buildObject(a, {square(-5, -5, 5, 5)}, {1, 0, 0, 1}, false);
    buildObject(b, {square(-5, -5, 5, 5)}, {0, 1, 0, 1}, false);
    placeObjectList(a, {1, 2, 3}, {0, 90, 0});
    // A face list compiled late in the block goes with the object too.
    glNewList(faceListId(a, FaceListBlock - 1), GL_COMPILE);
    glEndList();
    deleteObjectLists(a);
    deleteObjectLists(0); // an object without lists
    for (int32_t id : {a, b}) {
        SCOPED_TRACE(id);
        for (GLuint list : {id, id + PlacementListOffset, faceListId(id, 1)})
            EXPECT_EQ(glIsList(list), id == b) << list;
    }
    EXPECT_FALSE(glIsList(faceListId(a, FaceListBlock - 1)));
    drawFrame(); // deleted numbers are still replayed and draw nothing
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, AxesAndPlacementListsLeaveTheMatrixModesAsDocumented) {
    int32_t axes = buildAxes(0);
    EXPECT_EQ(axes, 1);
    EXPECT_EQ(buildAxes(axes), axes); // recompiled under the same number
    EXPECT_EQ(listRegistry.size(), 1u);
    glMatrixMode(GL_TEXTURE);
    glCallList(axes);
    EXPECT_EQ(intState(GL_MATRIX_MODE), GL_PROJECTION);
    expectCleanState();

    placeObjectList(5, {10, 0, 0}, {0, 0, 0});
    glCallList(5 + PlacementListOffset);
    EXPECT_EQ(intState(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(intState(GL_MODELVIEW_STACK_DEPTH), 2);
    const GLdouble placedX = modelview(12);
    glPopMatrix();
    // The pushed matrix is the camera's, translated by 10 along world X.
    EXPECT_NEAR(placedX - modelview(12), 10 * modelview(0), 1e-4);
}

TEST_F(GlTest, CameraRotatesWrappingOnceLooksDownMinusZPansAndDolliesAtItsHeight) {
    rotateCamera(350, 5);
    rotateCamera(20, -10);
    EXPECT_EQ((V{scene.rx, scene.ry}), (V{10, 355}));
    setCamera(0, 10, 500, 0, 0);
    rotateCamera(800, 0);
    EXPECT_EQ((V{scene.rx, scene.ry}), (V{440, 0}));

    setCamera(0, 10, 500, 0, 90);
    EXPECT_EQ(xyz(scene.centre), (V{0, 10, 499}));
    // The look-at along -Z, then a turn of -90 degrees about Y: world X points to the eye's +Z.
    EXPECT_NEAR(modelview(0), 0, 1e-5);
    EXPECT_NEAR(modelview(2), 1, 1e-5);
    EXPECT_NEAR(modelview(13), -10, 1e-4);
    EXPECT_NEAR(modelview(14), -500, 1e-3);

    // Pan across the view, dolly along it at the same height.
    setCamera(0, 10, 500, 0, 0);
    panCamera(5, 3); // f = (0, -1): side is +X, up is +Y
    EXPECT_EQ(xyz(scene.eye), (V{5, 13, 500}));
    EXPECT_EQ(xyz(scene.centre), (V{5, 13, 499}));
    EXPECT_NEAR(modelview(12), -5, 1e-4);
    EXPECT_NEAR(modelview(13), -13, 1e-4);
    for (int i = 0; i < 10; ++i)
        dollyCamera(100); // never reaches the centre
    EXPECT_EQ(xyz(scene.eye), (V{5, 13, -500}));
    EXPECT_EQ(xyz(scene.centre), (V{5, 13, -501}));

    // Looking along the diagonal of X and Z.
    scene.eye = {0, 0, 0};
    scene.centre = {3, 7, 3};
    dollyCamera(std::sqrt(2.0f));
    EXPECT_NEAR(scene.eye.X, 1, 1e-5);
    EXPECT_NEAR(scene.eye.Z, 1, 1e-5);
    EXPECT_EQ(scene.eye.Y, 0);
}

TEST_F(GlTest, DegenerateViewsGiveFiniteMatrices) {
    resizeScene(W, 0);
    expectFiniteMatrices();
    resizeScene(W, H);

    // Eye straight above the centre: no horizontal direction; the last valid one (-Z) is used.
    setCamera(0, 10, 500, 0, 0);
    scene.eye = {0, 10, 0};
    scene.centre = {0, 0, 0};
    panCamera(5, 0);
    EXPECT_EQ(xyz(scene.eye), (V{5, 10, 0}));
    dollyCamera(4);
    EXPECT_EQ(xyz(scene.eye), (V{5, 10, -4}));
    EXPECT_EQ(xyz(scene.centre), (V{5, 0, -4}));
    scene.centre = scene.eye; // no direction at all
    dollyCamera(1);
    panCamera(1, 1);
    for (float c : {scene.eye.X, scene.eye.Y, scene.eye.Z, scene.centre.X, scene.centre.Z})
        EXPECT_TRUE(std::isfinite(c));
    expectFiniteMatrices();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(GlTest, FinishFrameChecksErrorsOnlyForTheScreenRenderers) {
    const std::string drawError = "1280: OpenGL: Completing draw error";
    glEnable(0x7FFF); // GL_INVALID_ENUM
    EXPECT_EQ(messageOf([] { finishFrame(); }), drawError);
    EXPECT_EQ(scene.lastGLError, 1280u);

    setCurrentRenderer(std::make_unique<TRenderer>()); // stands for a file renderer
    glEnable(0x7FFF);
    EXPECT_EQ(messageOf([] { finishFrame(); }), "(no exception)");
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM)); // left for the screen's next frame
    useWireframeRenderer();
    glEnable(0x7FFF);
    EXPECT_EQ(messageOf([] { finishFrame(); }), drawError);
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
    expectCleanState();
}

// Main window tests of the 3D view: pictures read back, wireframe and mouse navigation.
#include "test_app_fixture.h"

#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"

#include <QAction>

namespace {

// A board facing the camera: profile 80 deep and 140 high swept 200 along +X, so its front face
// covers the middle of the view well away from the face's diagonals and the selection cross.
void makeBoard(TExtrObj& object) {
    setOutline(object, {{-40, -80}, {40, -80}, {40, 60}, {-40, 60}, {-40, -80}},
               {{-150, 0}, {50, 0}}, false);
    object.SetProfileScale(100);
    object.SetPathScale(100);
    object.SetPrecision(1);
}

// Drawn pixels in the lower left corner, where the axes marker sits.
int markerPixels(const QImage& image) {
    int count = 0;
    for (int y = image.height() - image.height() / 8; y < image.height(); ++y)
        for (int x = 0; x < image.width() / 8; ++x)
            if (!AppTestPixels::isBackground(image.pixel(x, y))) ++count;
    return count;
}

} // namespace

TEST_F(AppTest, OpenedExampleIsDrawnInTheMiddleOfTheView) {
    const QImage empty = frame();
    EXPECT_EQ(drawnPixels(empty), 0); // nothing before the first redraw

    w->openAnswer = example("vase.PLV");
    w->loadClick();
    const QImage image = frame();
    ASSERT_FALSE(image.isNull());
    const int cx = image.width() / 2, cy = image.height() / 2;
    int solid = 0;
    for (int y = cy - 10; y <= cy + 10; ++y)
        for (int x = cx - 10; x <= cx + 10; ++x)
            if (!isBackground(image.pixel(x, y))) ++solid;
    EXPECT_EQ(solid, 21 * 21);
    // The vase stands in the middle: columns near the sides cross only the thin selection lines.
    for (int x : {image.width() / 10, image.width() - 2}) {
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            if (!isBackground(image.pixel(x, y))) ++drawn;
        EXPECT_LE(drawn, 4) << x;
    }
    EXPECT_GT(markerPixels(image), 10);
}

TEST_F(AppTest, WireframeDrawsOutlinesOnly) {
    makeBoard(*w->CurrentObject);
    w->disegnaClick();
    const QImage solid = frame();
    const QPoint centre(solid.width() / 2, solid.height() / 2);
    EXPECT_FALSE(isBackground(solid.pixel(centre)));

    w->command("mnWireframed")->trigger();
    EXPECT_TRUE(dynamic_cast<TWFRenderer*>(currentRenderer()) != nullptr);
    const QImage lines = frame();
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            EXPECT_TRUE(isBackground(lines.pixel(centre + QPoint(dx, dy))));
    const int solidCount = drawnPixels(solid), lineCount = drawnPixels(lines);
    EXPECT_GT(lineCount, 200);
    EXPECT_LT(lineCount * 4, solidCount);

    w->command("mnWireframed")->trigger();
    EXPECT_TRUE(dynamic_cast<TWFRenderer*>(currentRenderer()) == nullptr);
    EXPECT_EQ(frame(), solid);
}

TEST_F(AppTest, NewClearsTheViewAndTheModes) {
    makeBoard(*w->CurrentObject);
    w->command("mnWireframed")->trigger();
    w->movetypeClick();
    w->newClick();
    EXPECT_EQ(w->MoveMode, 1);
    EXPECT_FALSE(w->command("mnWireframed")->isChecked());
    EXPECT_TRUE(dynamic_cast<TWFRenderer*>(currentRenderer()) == nullptr);
    EXPECT_EQ(w->CurrentObject->ProfileCount, 0);
    EXPECT_EQ(drawnPixels(frame()), 0);

    // The new scene numbers its lists afresh: the axes marker and the object both show again.
    makeBoard(*w->CurrentObject);
    w->disegnaClick();
    const QImage image = frame();
    EXPECT_GT(markerPixels(image), 10);
    EXPECT_FALSE(isBackground(image.pixel(image.width() / 2, image.height() / 2)));
}

TEST_F(AppTest, CameraDragsRotatePanAndDolly) {
    makeBoard(*w->CurrentObject);
    w->disegnaClick();
    const QImage before = frame();

    drag(100, 100, 110, 100); // rotate: 10 pixels right
    EXPECT_FLOAT_EQ(scene.ry, 355.0f);
    EXPECT_FLOAT_EQ(scene.rx, 0.0f);
    EXPECT_NE(frame(), before);
    EXPECT_EQ(w->CurrentObject->Rotation.Y, 0.0f);

    w->command("viewReset")->trigger();
    EXPECT_FLOAT_EQ(scene.ry, 0.0f);
    EXPECT_EQ(frame(), before);

    w->command("setMouseLRUD")->trigger();
    drag(100, 100, 110, 100); // pan: the camera goes 5 to the left
    EXPECT_FLOAT_EQ(scene.eye.X, -5.0f);
    EXPECT_FLOAT_EQ(scene.centre.X, -5.0f);

    w->command("setMouseZoom")->trigger();
    drag(100, 100, 100, 110); // dolly: 10 pixels down moves the camera back by 5
    EXPECT_FLOAT_EQ(scene.eye.Z, 505.0f);
    EXPECT_FLOAT_EQ(scene.eye.Y, 10.0f);
}

TEST_F(AppTest, ObjectDragsMoveOnlyTheCurrentObject) {
    makeBoard(*w->CurrentObject);
    w->disegnaClick();
    const QImage before = frame();
    const uint32_t lists = w->CurrentObject->DisplayList;
    w->command("movetype")->trigger();
    EXPECT_EQ(w->MoveMode, 2);

    drag(200, 200, 210, 200); // rotate: 10 pixels right turns the object by -5 about Y
    EXPECT_FLOAT_EQ(w->CurrentObject->Rotation.Y, -5.0f);
    EXPECT_FLOAT_EQ(w->CurrentObject->Rotation.X, 0.0f);
    EXPECT_FLOAT_EQ(scene.ry, 0.0f);
    EXPECT_EQ(w->CurrentObject->DisplayList, lists); // placed again, not rebuilt
    EXPECT_NE(frame(), before);

    w->command("setMouseLRUD")->trigger();
    drag(200, 200, 210, 204);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.X, 5.0f);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.Y, 2.0f);

    w->command("setMouseZoom")->trigger();
    drag(200, 200, 200, 190);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.Z, 5.0f);

    // Moves without a pressed button do nothing.
    mouse(QEvent::MouseMove, 300, 300, Qt::NoButton);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.Z, 5.0f);

    // The object comes back to where it started: the picture is the first one again.
    w->CurrentObject->SetPosition(Vec3{});
    w->CurrentObject->SetRotation(Vec3{});
    w->disegnaClick();
    EXPECT_EQ(frame(), before);
}

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
    const int w = image.width() / 8, h = image.height() / 8;
    return drawnPixels(image, QRect(0, image.height() - h, w, h));
}

QPoint centre(const QImage& image) {
    return QPoint(image.width() / 2, image.height() / 2);
}

bool wireframe() {
    return dynamic_cast<TWFRenderer*>(currentRenderer()) != nullptr;
}

} // namespace

class ViewTest : public AppTest {
  protected:
    QImage board; // the board's picture in the solid view
    void SetUp() override {
        AppTest::SetUp();
        makeBoard(*w->CurrentObject);
        w->disegnaClick();
        board = frame();
        ASSERT_FALSE(isBackground(board.pixel(centre(board))));
    }
};

TEST_F(AppTest, OpenedExampleIsDrawnInTheMiddleOfTheView) {
    EXPECT_EQ(drawnPixels(frame()), 0); // nothing before the first redraw
    open("vase.PLV");
    const QImage image = frame();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(drawnPixels(image, QRect(centre(image) - QPoint(10, 10), QSize(21, 21))), 21 * 21);
    // The vase stands in the middle: columns near the sides cross only the thin selection lines.
    for (int x : {image.width() / 10, image.width() - 2})
        EXPECT_LE(drawnPixels(image, QRect(x, 0, 1, image.height())), 4) << x;
    EXPECT_GT(markerPixels(image), 10);
}

TEST_F(ViewTest, WireframeDrawsOutlinesOnly) {
    w->command("mnWireframed")->trigger();
    EXPECT_TRUE(wireframe());
    const QImage lines = frame();
    EXPECT_EQ(drawnPixels(lines, QRect(centre(lines) - QPoint(3, 3), QSize(7, 7))), 0);
    const int lineCount = drawnPixels(lines);
    EXPECT_GT(lineCount, 200);
    EXPECT_LT(lineCount * 4, drawnPixels(board));

    w->command("mnWireframed")->trigger();
    EXPECT_FALSE(wireframe());
    EXPECT_EQ(frame(), board);
}

TEST_F(ViewTest, NewClearsTheViewAndTheModes) {
    w->command("mnWireframed")->trigger();
    w->movetypeClick();
    w->newClick();
    EXPECT_EQ(w->MoveMode, 1);
    EXPECT_FALSE(w->command("mnWireframed")->isChecked());
    EXPECT_FALSE(wireframe());
    EXPECT_EQ(w->CurrentObject->ProfileCount, 0);
    EXPECT_EQ(drawnPixels(frame()), 0);

    // The new scene numbers its lists afresh: the axes marker and the object both show again.
    makeBoard(*w->CurrentObject);
    w->disegnaClick();
    const QImage image = frame();
    EXPECT_GT(markerPixels(image), 10);
    EXPECT_FALSE(isBackground(image.pixel(centre(image))));
}

TEST_F(ViewTest, CameraDragsRotatePanAndDolly) {
    drag(100, 100, 110, 100); // rotate: 10 pixels right
    EXPECT_FLOAT_EQ(scene.ry, 355.0f);
    EXPECT_FLOAT_EQ(scene.rx, 0.0f);
    EXPECT_NE(frame(), board);
    EXPECT_EQ(w->CurrentObject->Rotation.Y, 0.0f);

    w->command("viewReset")->trigger();
    EXPECT_FLOAT_EQ(scene.ry, 0.0f);
    EXPECT_EQ(frame(), board);

    w->command("setMouseLRUD")->trigger();
    drag(100, 100, 110, 100); // pan: the camera goes 5 to the left
    EXPECT_FLOAT_EQ(scene.eye.X, -5.0f);
    EXPECT_FLOAT_EQ(scene.centre.X, -5.0f);

    w->command("setMouseZoom")->trigger();
    drag(100, 100, 100, 110); // dolly: 10 pixels down moves the camera back by 5
    EXPECT_FLOAT_EQ(scene.eye.Z, 505.0f);
    EXPECT_FLOAT_EQ(scene.eye.Y, 10.0f);
}

TEST_F(ViewTest, ObjectDragsMoveOnlyTheCurrentObject) {
    const uint32_t lists = w->CurrentObject->DisplayList;
    w->command("movetype")->trigger();
    EXPECT_EQ(w->MoveMode, 2);

    drag(200, 200, 210, 200); // rotate: 10 pixels right turns the object by -5 about Y
    EXPECT_FLOAT_EQ(w->CurrentObject->Rotation.Y, -5.0f);
    EXPECT_FLOAT_EQ(w->CurrentObject->Rotation.X, 0.0f);
    EXPECT_FLOAT_EQ(scene.ry, 0.0f);
    EXPECT_EQ(w->CurrentObject->DisplayList, lists); // placed again, not rebuilt
    EXPECT_NE(frame(), board);

    w->command("setMouseLRUD")->trigger();
    drag(200, 200, 210, 204);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.X, 5.0f);
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.Y, 2.0f);

    w->command("setMouseZoom")->trigger();
    drag(200, 200, 200, 190);
    mouse(QEvent::MouseMove, 300, 300, Qt::NoButton); // without a pressed button: nothing
    EXPECT_FLOAT_EQ(w->CurrentObject->Position.Z, 5.0f);

    // The object comes back to where it started: the picture is the first one again.
    w->CurrentObject->SetPosition(Vec3{});
    w->CurrentObject->SetRotation(Vec3{});
    w->disegnaClick();
    EXPECT_EQ(frame(), board);
}

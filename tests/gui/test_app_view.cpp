// Main window tests of the 3D view: pictures read back, wireframe and mouse navigation.
#include "test_app_fixture.h"

#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"

#include <QAction>
#include <QTemporaryDir>

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

TEST_F(AppTest, OpenLooksDownOnTheDocumentSoAFlatFrameShowsItsFace) {
    // A frame lying flat: a profile 20 wide and 6 high swept round a closed square of 300.
    setOutline(*w->CurrentObject, {{0, 0}, {20, 0}, {20, 6}, {0, 6}, {0, 0}},
               {{-150, -150}, {150, -150}, {150, 150}, {-150, 150}}, true);
    // Rows of the view's middle half that show the frame (the selection mark's thin lines cross
    // the whole view: a row counts when more than they are drawn).
    auto rowsShown = [](const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            rows += drawnPixels(image, QRect(image.width() / 4, y, image.width() / 2, 1)) > 8;
        return rows;
    };
    w->disegnaClick();
    const QImage level = frame(); // the camera of a new document looks level: an edge
    EXPECT_LT(rowsShown(level), level.height() / 10);

    QTemporaryDir dir;
    w->saveAnswer = dir.filePath("flat.PLV");
    w->saveClick();
    w->openAnswer = w->saveAnswer;
    w->loadClick();
    EXPECT_FLOAT_EQ(scene.rx, 360 - LookDownAngle);
    const QImage above = frame();
    // A level camera shows under a tenth of the rows; from above the face takes a fifth or more,
    // however wide the docks beside the view leave it.
    EXPECT_GT(rowsShown(above), above.height() / 5) << "the frame's face shows";
    // The whole frame in view: the border rows and columns show background only.
    for (const QRect& edge :
         {QRect(0, 0, above.width(), 1), QRect(0, above.height() - 1, above.width(), 1),
          QRect(above.width() - 1, 0, 1, above.height())})
        EXPECT_LE(drawnPixels(above, edge), 4);
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

// A drag of 10 pixels turns, moves or dollies by 5: the camera in mode 1, only the current object
// in mode 2, whose lists are placed again, not rebuilt; a move without a pressed button does
// nothing. After each drag View > Reset and the object set back restore the picture.
TEST_F(ViewTest, DragsTurnMoveAndDollyTheCameraOrOnlyTheCurrentObject) {
    using V = std::vector<float>;
    TExtrObj& o = *w->CurrentObject;
    const uint32_t lists = o.DisplayList;
    const V camera0{0, 0, 0, 0, 10, 500}, object0{0, 0, 0, 0, 0};
    // Move mode, mouse mode, drag; the camera's rx, ry, eye X, centre X, eye Y, eye Z and the
    // object's rotation X, Y and position after it.
    const std::tuple<int, const char*, QPoint, V, V> cases[] = {
        {1, "setMouseMoveRot", {10, 0}, {0, 355, 0, 0, 10, 500}, object0},
        {1, "setMouseLRUD", {10, 0}, {0, 0, -5, -5, 10, 500}, object0},
        {1, "setMouseZoom", {0, 10}, {0, 0, 0, 0, 10, 505}, object0},
        {2, "setMouseMoveRot", {10, 0}, camera0, {0, -5, 0, 0, 0}},
        {2, "setMouseLRUD", {10, 4}, camera0, {0, 0, 5, 2, 0}},
        {2, "setMouseZoom", {0, -10}, camera0, {0, 0, 0, 0, 5}},
    };
    for (const auto& [moveMode, mouseMode, by, wantCamera, wantObject] : cases) {
        SCOPED_TRACE(std::to_string(moveMode) + mouseMode);
        if (w->MoveMode != moveMode) w->command("movetype")->trigger();
        EXPECT_EQ(w->MoveMode, moveMode);
        w->command(mouseMode)->trigger();
        drag(200, 200, 200 + by.x(), 200 + by.y());
        mouse(QEvent::MouseMove, 300, 300, Qt::NoButton);
        const V camera{scene.rx, scene.ry, scene.eye.X, scene.centre.X, scene.eye.Y, scene.eye.Z},
            object{o.Rotation.X, o.Rotation.Y, o.Position.X, o.Position.Y, o.Position.Z};
        for (size_t i = 0; i < camera.size(); ++i)
            EXPECT_NEAR(camera[i], wantCamera[i], 1e-4) << "camera " << i;
        for (size_t i = 0; i < object.size(); ++i)
            EXPECT_NEAR(object[i], wantObject[i], 1e-4) << "object " << i;
        EXPECT_EQ(o.DisplayList, lists);
        EXPECT_EQ(w->isWindowModified(), moveMode == 2); // moving the camera changes no document
        EXPECT_NE(frame(), board);

        w->command("viewReset")->trigger();
        o.SetPosition(Vec3{});
        o.SetRotation(Vec3{});
        w->setWindowModified(false);
        w->disegnaClick();
        EXPECT_EQ(frame(), board);
    }
}

// A rising path that folds back is built with its fallback and the status bar says so, with the
// object's name; a path that no longer folds clears it.
TEST_F(AppTest, ABuildWarningOfARisingPathShowsInTheStatusBar) {
    setOutline(*w->CurrentObject, {{0, 0}, {20, 0}, {20, 6}, {0, 6}, {0, 0}},
               {{0, 0}, {100, 0}, {40, 0}, {40, 60}}, false);
    w->CurrentObject->PathHeight = {0, 30, 12, 12};
    w->disegnaClick();
    EXPECT_EQ(w->statusPanel(2)->text(),
              "\"obj1\": The path folds back on itself at vertex 2: its section there stands "
              "across the incoming segment.");
    w->CurrentObject->PathHeight = {0, 30, 30, 30};
    w->disegnaClick();
    EXPECT_EQ(w->statusPanel(2)->text(), "");
}

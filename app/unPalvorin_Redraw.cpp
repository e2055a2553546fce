// The main window's picture: the screen's steps around the shared traversal, and frames.
#include "app/UnGLCanvas.h"
#include "app/unPalvorin.h"
#include "app/Internationalization.h"
#include "app/UnQtText.h"
#include "traversal/UnBuildWarnings.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer_OGL.h"
#include "scene/UnOpenGL_GL.h"
#include "ui_unPalvorin.h"

#include <QLabel>
#include <QMetaObject>
#include <QTimer>

#include <GL/gl.h>

namespace {

// The OpenGL work of the screen around the document traversal: background quad and axes marker,
// display-list upkeep, the replay and the end-of-frame check.
class TScreenRedrawHooks : public TRedrawHooks {
  public:
    TScreenRedrawHooks(int32_t& axesListId,
                       std::unordered_map<int32_t, std::pair<Vec3, Vec3>>& objectBounds)
        : axesListId_(axesListId), objectBounds_(objectBounds) {}

    void beforeObjects() override {
        if (rendererString().find("Intel Solano") != std::string::npos) {
            scene.backgroundOn = true;
            buildBackgroundList("", ColorF{0.7f, 0.8f, 0.8f, 1.0f}, 1.0f);
        }
        axesListId_ = buildAxes(axesListId_);
    }
    void deleteObjectLists(int32_t listId) override { ::deleteObjectLists(listId); }
    void placeObjectList(int32_t listId, const Vec3& position, const Vec3& rotation) override {
        ::placeObjectList(listId, position, rotation);
        // The screen renderer kept the box of the object it has just built.
        if (const TRenderer* r = currentRenderer())
            objectBounds_[listId] = {r->boundsMin, r->boundsMax};
    }
    void drawAllLists() override { ::drawAllLists(); }
    void afterRendering() override {
        if (!currentRendererIsOGL()) return;
        const GLenum code = glGetError();
        if (code != GL_NO_ERROR) {
            scene.lastGLError = code;
            raiseGLError(code, "Completing draw error");
        }
    }

  private:
    int32_t& axesListId_;
    std::unordered_map<int32_t, std::pair<Vec3, Vec3>>& objectBounds_;
};

} // namespace

void TfrmPalvorin::startScene() {
    startViewScene(ui->glcanvas->pixelWidth(), ui->glcanvas->pixelHeight());
}

// A fresh scene has an empty registry: ids the objects still carry would point at nothing.
void TfrmPalvorin::forgetDisplayLists() {
    objectBounds.clear();
    if (!Document) return;
    for (int i = 0; i < Document->Count(); ++i)
        Document->Items(i).SetDisplayList(0);
    AxesListId = 0;
    LastListId = 0;
}

// A builder that stopped with an exception may leave a display list open; close it so the
// next frame does not compile into it.
void TfrmPalvorin::closeOpenDisplayList() {
    GLint open = 0;
    glGetIntegerv(GL_LIST_INDEX, &open);
    if (open != 0) glEndList();
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void TfrmPalvorin::glcanvasInit() {
    // Called from inside a show or resize event: a failure is shown once that event is over.
    try {
        forgetDisplayLists();
        startScene();
    } catch (const std::exception& e) {
        reportLater(messageText(e.what()));
        return;
    }
    if (redrawPending) {
        redrawPending = false;
        QTimer::singleShot(0, this, [this] { runCommand([&] { Redraw(); }); });
    }
}

// A message box may not open inside a paint or a context callback; it follows right after.
void TfrmPalvorin::reportLater(const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { showMessage(QMessageBox::Critical, text); }, Qt::QueuedConnection);
}

void TfrmPalvorin::glcanvasShutdown() {
    shutdownScene();
    SceneReady = false;
}

void TfrmPalvorin::glcanvasResize(int width, int height) {
    if (!scene.ready) return;
    try {
        resizeScene(width, height);
    } catch (const std::exception& e) {
        reportLater(messageText(e.what()));
    }
}

void TfrmPalvorin::drawFrame() {
    beginFrame(fileNameBytes(CurrentFileName));
    drawAllLists();
    finishFrame();
}

void TfrmPalvorin::glcanvasPaint() {
    if (!SceneReady || !scene.ready) return;
    try {
        drawFrame();
    } catch (const std::exception& e) {
        // No dialog inside a paint: stop drawing and tell the user once the paint is over.
        SceneReady = false;
        const QString text = messageText(e.what());
        QMetaObject::invokeMethod(
            this, [this, text] { showMessage(QMessageBox::Critical, text); }, Qt::QueuedConnection);
    }
}

void TfrmPalvorin::Repaint() {
    ui->glcanvas->update();
}

void TfrmPalvorin::Redraw() {
    if (!Document || Document->Count() == 0) return panels[2]->clear();
    if (ui->glcanvas->context() == nullptr) {
        // The view has no context before it is first shown; the redraw runs once it has one.
        redrawPending = true;
        return;
    }
    ui->glcanvas->makeCurrent();
    TScreenRedrawHooks hooks(AxesListId, objectBounds);
    try {
        LastListId =
            redrawDocument(*Document, SelectedIndex, fileNameBytes(CurrentFileName), &hooks);
    } catch (...) {
        closeOpenDisplayList();
        ui->glcanvas->update();
        throw;
    }
    SceneReady = true;
    showBuildWarnings();
    updateSceneExtent();
    if (fitAfterRedraw && scene.ready) {
        fitAfterRedraw = false;
        fitCameraFromAbove();
    }
    updateEmptyHint();
    ui->glcanvas->update();
}

void TfrmPalvorin::updateEmptyHint() {
    bool empty = true;
    for (int i = 0; i < Document->Count() && empty; ++i)
        empty = !objectDrawable(Document->Items(i));
    emptyHint->setVisible(empty);
}

void TfrmPalvorin::updateSceneExtent() {
    if (!scene.ready) return;
    TSceneExtent extent;
    for (int i = 0; i < Document->Count(); ++i) {
        const TExtrObj& o = Document->Items(i);
        const auto box = objectBounds.find(static_cast<int32_t>(o.DisplayList));
        if (o.DisplayList == 0 || box == objectBounds.end()) continue;
        ExtendWorldBox(extent, box->second.first, box->second.second,
                       CalcTraslRotObjMatrix(o.Position, o.Rotation));
    }
    setSceneExtent(extent);
    setProjection();
}

void TfrmPalvorin::disegnaClick() {
    runCommand([&] { Redraw(); });
}

void TfrmPalvorin::mnRefreshClick() {
    disegnaClick();
}

void TfrmPalvorin::showBuildWarnings() {
    QStringList lines;
    for (const TBuildWarning& w : buildWarnings(*Document)) {
        QString text = translatedText(w.Text);
        if (text.contains(QLatin1String("%1"))) text = text.arg(w.Vertex);
        lines << QStringLiteral("\"%1\": %2").arg(modelText(w.Object), text);
    }
    QLabel* panel = panels[2];
    panel->setText(lines.isEmpty() ? QString() : lines.front());
    panel->setToolTip(lines.join(QLatin1Char('\n')));
    panel->setStyleSheet(lines.isEmpty() ? QString() : QStringLiteral("color: #a04000;"));
}

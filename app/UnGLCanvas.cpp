// The 3D drawing surface: context set-up, resize and paint forwarding, mouse and wheel input.
#include "app/UnGLCanvas.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QOpenGLContext>

#include <GL/gl.h>

TGLCanvas::TGLCanvas(QWidget* parent) : QOpenGLWidget(parent) {
    setFormat(surfaceFormat());
    setMinimumSize(64, 64);
    setFocusPolicy(Qt::ClickFocus);
}

TGLCanvas::~TGLCanvas() {
    // The owner shuts the scene down first; this only detaches from the context signal.
    if (context() != nullptr) disconnect(context(), nullptr, this, nullptr);
}

QSurfaceFormat TGLCanvas::surfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

int TGLCanvas::pixelWidth() const {
    return qRound(width() * devicePixelRatioF());
}

int TGLCanvas::pixelHeight() const {
    return qRound(height() * devicePixelRatioF());
}

void TGLCanvas::initializeGL() {
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TGLCanvas::contextGoing,
            Qt::DirectConnection);
    emit glInitialize();
}

void TGLCanvas::contextGoing() {
    makeCurrent();
    emit glShutdown();
    doneCurrent();
}

void TGLCanvas::resizeGL(int, int) {
    emit glResize(pixelWidth(), pixelHeight());
}

void TGLCanvas::paintGL() {
    // Whatever the owner draws (or not, while an export runs) starts from the background colour.
    glClearColor(0.7f, 0.8f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    emit glPaint();
}

void TGLCanvas::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseDown(p.x(), p.y());
}

void TGLCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseMove(p.x(), p.y());
}

void TGLCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseUp(p.x(), p.y());
}

void TGLCanvas::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    event->accept();
    emit wheel(delta);
}

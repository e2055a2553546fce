// The 3D drawing surface: an OpenGL widget passing context events and mouse input on.
#pragma once

#include <QOpenGLWidget>
#include <QSurfaceFormat>

class TGLCanvas : public QOpenGLWidget {
    Q_OBJECT
  public:
    explicit TGLCanvas(QWidget* parent = nullptr);
    ~TGLCanvas() override;

    // Double-buffered RGBA with a depth buffer, compatibility profile (display lists, fixed
    // pipeline).
    static QSurfaceFormat surfaceFormat();

    // Size of the drawing surface in device pixels (the viewport).
    int pixelWidth() const;
    int pixelHeight() const;

  signals:
    // The context was created and is current.
    void glInitialize();
    // The context is about to go; it is current when this is emitted.
    void glShutdown();
    // The surface changed size (device pixels); the context is current.
    void glResize(int width, int height);
    // A frame is wanted; the context is current and the surface cleared to the background.
    void glPaint();
    void mouseDown(int x, int y);
    void mouseMove(int x, int y);
    void mouseUp(int x, int y);
    // The wheel turned by angleDelta eighths of a degree (120 a notch; positive away from the
    // user).
    void wheel(int angleDelta);

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void contextGoing();
};
